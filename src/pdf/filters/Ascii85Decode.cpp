#include "pdf/filters/Ascii85Decode.h"

#include <algorithm>
#include <cstdint>

namespace scrivlet::pdf {

namespace {

void FlushGroup(std::string& out, const uint32_t* digits, int count) {
  if (count < 2)
    return;
  uint64_t value = 0;
  for (int k = 0; k < 5; ++k)
    value = value * 85 + (k < count ? digits[k] : 84);
  // Five characters past "s8W-!" overflow 32 bits: damage, keep the low bits.
  auto word = static_cast<uint32_t>(value);
  for (int k = 0; k < count - 1; ++k)
    out += static_cast<char>(word >> (24 - 8 * k) & 0xFF);
}

} // namespace

std::string Ascii85Decode(std::string_view input, size_t cap, bool* capExceeded) {
  std::string out;
  out.reserve(std::min(input.size() / 5 * 4 + 4, cap));
  uint32_t digits[5];
  int count = 0;
  if (capExceeded)
    *capExceeded = false;
  for (size_t i = 0; i < input.size(); ++i) {
    if (out.size() > cap) {
      out.resize(cap);
      if (capExceeded)
        *capExceeded = true;
      return out;
    }
    char c = input[i];
    if (c == '~')
      break; // "~>" or a damaged end mark
    if (c == 'z' && count == 0) {
      out.append(4, '\0');
      continue;
    }
    if (c < '!' || c > 'u')
      continue; // white space and damage
    digits[count++] = static_cast<uint32_t>(c - '!');
    if (count == 5) {
      FlushGroup(out, digits, 5);
      count = 0;
    }
  }
  FlushGroup(out, digits, count);
  return out;
}

} // namespace scrivlet::pdf
