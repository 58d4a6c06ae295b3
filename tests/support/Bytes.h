// Little-endian numbers written into byte strings, for the file builders.
#pragma once

#include <cstdint>
#include <string>

namespace scrivlet::test {

inline void Put16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

inline void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

inline std::string U16(uint32_t v) {
  std::string s(2, '\0');
  Put16(s, 0, v);
  return s;
}

inline std::string U32(uint32_t v) {
  std::string s(4, '\0');
  Put32(s, 0, v);
  return s;
}

} // namespace scrivlet::test
