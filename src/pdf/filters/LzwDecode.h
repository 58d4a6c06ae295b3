// LZWDecode: variable-width codes (9 to 12 bits, most significant bit
// first), 256 clears the table, 257 ends the data.  With early change (the
// default of PDF streams) the width grows one code before the table needs
// it.  The output is not cut at the encoded length (LZW expands); it ends at
// the end-of-data code or at the end of the input, and stops at the cap.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct LzwResult {
  std::string Data;
  bool CapExceeded = false; // the output reached the cap and was cut there
};

LzwResult LzwDecode(std::string_view input, bool earlyChange, size_t outputCap);

} // namespace scrivlet::pdf
