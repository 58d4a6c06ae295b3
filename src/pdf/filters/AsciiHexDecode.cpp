#include "pdf/filters/AsciiHexDecode.h"

namespace scrivlet::pdf {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

std::string AsciiHexDecode(std::string_view input) {
  std::string out;
  out.reserve(input.size() / 2);
  int high = -1;
  for (char c : input) {
    if (c == '>')
      break;
    int digit = HexValue(c);
    if (digit < 0)
      continue;
    if (high < 0) {
      high = digit;
    } else {
      out += static_cast<char>(high << 4 | digit);
      high = -1;
    }
  }
  if (high >= 0)
    out += static_cast<char>(high << 4);
  return out;
}

} // namespace scrivlet::pdf
