#include "pdf/filters/AsciiHexDecode.h"
#include "core/Ascii.h"

namespace scrivlet::pdf {

namespace {

} // namespace

std::string AsciiHexDecode(std::string_view input) {
  std::string out;
  out.reserve(input.size() / 2);
  int high = -1;
  for (char c : input) {
    if (c == '>')
      break;
    int digit = HexDigitValue(c);
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
