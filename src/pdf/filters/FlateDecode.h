// FlateDecode: zlib-wrapped deflate data.  What the data produced before
// damage or a cut-off end is kept (a truncated stream costs its own tail,
// not the document); data without the zlib header are tried as raw deflate.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct FlateResult {
  std::string Data;
  bool CapExceeded = false;
};

FlateResult FlateDecode(std::string_view input, size_t outputCap);

} // namespace scrivlet::pdf
