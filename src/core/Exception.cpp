#include "core/Exception.h"

#include <charconv>

namespace scrivlet {

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%' || i + 1 >= pattern.size()) {
      out += c;
      continue;
    }
    char kind = pattern[i + 1];
    if (kind == '%') {
      out += '%';
      ++i;
    } else if ((kind == 's' || kind == 'd') && next != args.end()) {
      if (const auto* text = std::get_if<std::string_view>(&*next))
        out += *text;
      else
        out += std::to_string(std::get<int64_t>(*next));
      ++next;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

PasswordError::PasswordError(std::string_view fileName, bool passwordGiven)
    : Exception(passwordGiven ? std::string("The password is not valid")
                              : Format("%s is protected by a password (give it with --password)",
                                       {fileName})) {}

} // namespace scrivlet
