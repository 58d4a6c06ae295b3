// Little-endian reads from a byte buffer held in memory.  Readers parse whole
// files from memory; every read is checked against the buffer and raises the
// stream read error past its end, as a stream would.
#pragma once

#include "core/Exception.h"

#include <cstdint>
#include <string_view>

namespace scrivlet {

class ByteReader {
public:
  explicit ByteReader(std::string_view data, uint64_t position = 0)
      : FData(data), FPosition(position) {}

  uint64_t Position() const { return FPosition; }
  void Seek(uint64_t position) { FPosition = position; }
  uint64_t Size() const { return FData.size(); }
  // Bytes from the position to the end (0 when past it).
  uint64_t Remaining() const { return FPosition < FData.size() ? FData.size() - FPosition : 0; }

  uint8_t U8() { return static_cast<uint8_t>(Take(1)[0]); }
  uint16_t U16() { return Get16(Take(2), 0); }
  uint32_t U32() { return Get32(Take(4), 0); }
  uint64_t U64() { return Get64(Take(8), 0); }
  std::string_view Bytes(uint64_t count) { return Take(count); }

  // Values at a fixed offset of a block.
  static uint16_t Get16(std::string_view block, size_t offset) {
    return static_cast<uint16_t>(Byte(block, offset) | Byte(block, offset + 1) << 8);
  }
  static uint32_t Get32(std::string_view block, size_t offset) {
    return Byte(block, offset) | Byte(block, offset + 1) << 8 | Byte(block, offset + 2) << 16 |
           static_cast<uint32_t>(Byte(block, offset + 3)) << 24;
  }
  static uint64_t Get64(std::string_view block, size_t offset) {
    return Get32(block, offset) | uint64_t{Get32(block, offset + 4)} << 32;
  }

private:
  static uint32_t Byte(std::string_view block, size_t offset) {
    return static_cast<uint8_t>(block[offset]);
  }
  std::string_view Take(uint64_t count) {
    if (count > Remaining())
      throw ReadError();
    std::string_view bytes =
        FData.substr(static_cast<size_t>(FPosition), static_cast<size_t>(count));
    FPosition += count;
    return bytes;
  }

  std::string_view FData;
  uint64_t FPosition;
};

} // namespace scrivlet
