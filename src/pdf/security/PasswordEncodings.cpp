#include "pdf/security/PasswordEncodings.h"

#include <optional>

namespace scrivlet {

namespace {

// Decodes UTF-8 to code points; nothing when the bytes are not UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    char32_t value = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      value = lead & 0x07;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      extra = 2;
      value = lead & 0x0F;
    } else if (lead >= 0xC2 && lead < 0xE0) {
      extra = 1;
      value = lead & 0x1F;
    } else if (lead >= 0x80) {
      return std::nullopt;
    }
    if (i + extra >= text.size() && extra > 0)
      return std::nullopt;
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return std::nullopt;
      value = value << 6 | (next & 0x3F);
    }
    out += value;
    i += extra + 1;
  }
  return out;
}

} // namespace

std::vector<std::string> Latin1PasswordForms(std::string_view password) {
  std::vector<std::string> forms{std::string(password)};
  const auto decoded = DecodeUtf8(password);
  if (!decoded || decoded->size() == password.size())
    return forms;
  std::string latin1;
  for (char32_t c : *decoded) {
    if (c > 0xFF)
      return forms;
    latin1 += static_cast<char>(c);
  }
  forms.push_back(latin1);
  return forms;
}

std::vector<std::string> Utf8PasswordForms(std::string_view password) {
  std::vector<std::string> forms{std::string(password)};
  if (DecodeUtf8(password))
    return forms;
  std::string utf8;
  for (char c : password) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | byte >> 6);
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  forms.push_back(utf8);
  return forms;
}

} // namespace scrivlet
