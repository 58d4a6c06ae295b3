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

int32_t StrToInt(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits.front() == '-')
      throw ConversionError("'%s' is not a valid integer value", {text});
  }
  int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    throw ConversionError("'%s' is not a valid integer value", {text});
  return value;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  try {
    return StrToInt(text);
  } catch (const ConversionError&) {
    return fallback;
  }
}

} // namespace scrivlet
