// Inflate: deflate data (RFC 1951), raw as ZIP members store it or wrapped
// in a zlib header and checksum (RFC 1950) as PDF streams do.
//
// The output grows with what the data actually produces, up to a cap the
// caller gives; nothing is allocated from a size that a file declares.  What
// was produced before damage, a cut-off input or the cap is kept, so callers
// decide whether a partial result is useful.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scrivlet {

enum class DeflateWrapper { Raw, Zlib };

enum class InflateStatus {
  Complete,    // the stream's end marker was reached
  Truncated,   // the input ended before the end marker
  Damaged,     // the data are not valid deflate (or the zlib checksum is wrong)
  CapExceeded, // the output reached the cap before the end marker
};

struct InflateResult {
  std::string Data; // everything produced, at most the cap
  InflateStatus Status = InflateStatus::Complete;
  size_t Consumed = 0; // bytes of the input read
};

// Inflates the input.  outputCap bounds the output; sizeHint (for example a
// ZIP member's declared size) only guides the first allocation and is itself
// bounded by the cap and by deflate's largest expansion of the input.
InflateResult Inflate(std::string_view input, DeflateWrapper wrapper, size_t outputCap,
                      size_t sizeHint = 0);

} // namespace scrivlet
