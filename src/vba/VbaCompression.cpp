#include "vba/VbaCompression.h"

#include <bit>
#include <cstdint>

namespace scrivlet {
namespace {

constexpr uint8_t kContainerSignature = 0x01;
constexpr uint16_t kChunkSignature = 3;
constexpr size_t kChunkWindow = 4096;
constexpr size_t kChunkHeaderSize = 2;

uint16_t Get16(std::string_view data, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1])
                                                                    << 8);
}

// Bits of a copy token's length field when the token stands `decoded` bytes
// into its chunk's output: the offset field gets just enough bits to reach
// the chunk's start, at least 4 and at most 12.
unsigned LengthBits(size_t decoded) {
  unsigned offsetBits = std::bit_width(decoded - 1); // ceil(log2(decoded))
  if (offsetBits < 4)
    offsetBits = 4;
  return 16 - offsetBits;
}

class Decompressor {
public:
  Decompressor(std::string_view container, size_t maxOutput)
      : data(container), maxOutput(maxOutput) {}

  std::string Run() {
    if (data.empty() || static_cast<uint8_t>(data[0]) != kContainerSignature)
      throw VbaError("VBA compressed container without its signature byte");
    size_t position = 1;
    while (position < data.size())
      position = Chunk(position);
    return std::move(output);
  }

private:
  // Decodes the chunk at position; returns the position after it.
  size_t Chunk(size_t position) {
    if (data.size() - position < kChunkHeaderSize)
      throw VbaError("VBA compressed chunk header cut off");
    uint16_t header = Get16(data, position);
    if (header == 0 && IsZeroPadding(position))
      return data.size();
    if ((header >> 12 & 7) != kChunkSignature)
      throw VbaError("VBA compressed chunk with a wrong signature");
    size_t body = position + kChunkHeaderSize;
    if ((header & 0x8000) == 0)
      return RawChunk(body);
    size_t end = position + (header & 0x0FFF) + 3;
    if (end > data.size())
      throw VbaError("VBA compressed chunk runs past its data");
    CompressedChunk(body, end);
    return end;
  }

  // Streams may be padded with zero bytes after a container's last chunk;
  // no chunk header is zero, so the padding cannot hide data.
  bool IsZeroPadding(size_t position) const {
    return data.find_first_not_of('\0', position) == std::string_view::npos;
  }

  size_t RawChunk(size_t body) {
    if (data.size() - body < kChunkWindow)
      throw VbaError("VBA uncompressed chunk cut off");
    Reserve(kChunkWindow);
    output.append(data.substr(body, kChunkWindow));
    return body + kChunkWindow;
  }

  void CompressedChunk(size_t position, size_t end) {
    const size_t chunkStart = output.size();
    while (position < end) {
      uint8_t flags = static_cast<uint8_t>(data[position++]);
      for (int bit = 0; bit < 8 && position < end; ++bit) {
        if ((flags >> bit & 1) == 0) {
          Literal(chunkStart, data[position++]);
          continue;
        }
        if (end - position < 2)
          throw VbaError("VBA copy token cut off");
        CopyToken(chunkStart, Get16(data, position));
        position += 2;
      }
    }
  }

  void Literal(size_t chunkStart, char byte) {
    if (output.size() - chunkStart >= kChunkWindow)
      throw VbaError("VBA compressed chunk decodes past 4096 bytes");
    Reserve(1);
    output.push_back(byte);
  }

  void CopyToken(size_t chunkStart, uint16_t token) {
    size_t decoded = output.size() - chunkStart;
    if (decoded == 0)
      throw VbaError("VBA copy token at the start of a chunk");
    unsigned lengthBits = LengthBits(decoded);
    size_t length = (token & ((1u << lengthBits) - 1)) + 3u;
    size_t offset = (static_cast<size_t>(token) >> lengthBits) + 1;
    if (offset > output.size())
      throw VbaError("VBA copy token reaches before the start of the output");
    if (decoded + length > kChunkWindow)
      throw VbaError("VBA compressed chunk decodes past 4096 bytes");
    Reserve(length);
    // Byte by byte: a copy may overlap its own output (a run).
    size_t from = output.size() - offset;
    for (size_t i = 0; i < length; ++i)
      output.push_back(output[from + i]);
  }

  void Reserve(size_t count) {
    if (count > maxOutput - output.size())
      throw VbaError("VBA compressed container decodes past %d bytes",
                     {static_cast<int64_t>(maxOutput)});
  }

  std::string_view data;
  size_t maxOutput;
  std::string output;
};

} // namespace

std::string DecompressVba(std::string_view container, size_t maxOutput) {
  return Decompressor(container, maxOutput).Run();
}

} // namespace scrivlet
