// The compression of VBA projects: module source, the "dir" stream and the
// other streams of a VBA project are stored as a compressed container.
//
// A container is one signature byte (1) followed by chunks.  Each chunk
// begins with a 16-bit header: its low 12 bits are the chunk's size less 3
// (header included), bits 12-14 are always 3, and bit 15 says whether the
// chunk is compressed.  A chunk that is not compressed holds 4096 raw bytes.
// A compressed chunk decompresses to at most 4096 bytes: a flag byte
// precedes each group of up to 8 tokens, one flag bit per token from the
// lowest; a clear bit is a literal byte, a set bit a 16-bit copy token.  A
// copy token splits into an offset (high bits) and a length (low bits);
// the split depends on how far into the chunk's output the token stands,
// so that the offset field can just reach the chunk's start.  Zero bytes
// after the last chunk are padding.
#pragma once

#include "core/Exception.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace scrivlet {

// A damaged VBA project: a container, a "dir" stream or a module that does
// not hold together.
class VbaError : public Exception {
public:
  using Exception::Exception;
};

// The most bytes one container may decompress to unless the caller says
// otherwise; a module's source is a few hundred kilobytes at most, while a
// hostile container could expand about 800-fold.
inline constexpr size_t kVbaMaxDecompressed = size_t{64} << 20;

// Decompresses a whole container (signature byte first).  Raises VbaError
// when the container is damaged or its output would pass maxOutput bytes.
std::string DecompressVba(std::string_view container, size_t maxOutput = kVbaMaxDecompressed);

} // namespace scrivlet
