// ASCII letter case and digits.  Names of format elements (XML tags,
// configuration sections, file extensions, encodings, field keywords) compare
// without regard to ASCII case; other letters are left as they are.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace scrivlet {

template <class Char> constexpr Char AsciiLower(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

template <class Char> constexpr Char AsciiUpper(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - ('a' - 'A')) : c;
}

template <class String> String AsciiLowerCase(String text) {
  for (auto& c : text)
    c = AsciiLower(c);
  return text;
}

template <class String> String AsciiUpperCase(String text) {
  for (auto& c : text)
    c = AsciiUpper(c);
  return text;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

constexpr bool IsAsciiDigit(char32_t c) {
  return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or -1.
constexpr int HexDigitValue(char32_t c) {
  if (c >= '0' && c <= '9')
    return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f')
    return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F')
    return static_cast<int>(c - 'A' + 10);
  return -1;
}

} // namespace scrivlet
