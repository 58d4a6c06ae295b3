// Hexadecimal writing of byte strings, for test vectors and expectations.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::test {

// "9ac7cc" -> the bytes 9A C7 CC; white space between digits is skipped.
inline std::string FromHex(std::string_view hex) {
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
      return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  int high = -1;
  for (char c : hex) {
    int v = value(c);
    if (v < 0)
      continue;
    if (high < 0) {
      high = v;
    } else {
      bytes += static_cast<char>(high << 4 | v);
      high = -1;
    }
  }
  return bytes;
}

inline std::string ToHex(std::string_view bytes) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += Digits[c >> 4];
    hex += Digits[c & 15];
  }
  return hex;
}

} // namespace scrivlet::test
