#include "pdf/filters/LzwDecode.h"

#include <array>
#include <cstdint>
#include <memory>

namespace scrivlet::pdf {

namespace {

constexpr int ClearCode = 256;
constexpr int EndCode = 257;
constexpr int FirstFreeCode = 258;
constexpr int TableSize = 4096;

class LzwTable {
public:
  LzwTable() { Reset(); }

  void Reset() {
    for (int code = 0; code < 256; ++code) {
      FPrefix[code] = -1;
      FSuffix[code] = static_cast<uint8_t>(code);
      FLength[code] = 1;
    }
    FNext = FirstFreeCode;
  }
  int Next() const { return FNext; }
  bool Known(int code) const { return code < FNext && code != ClearCode && code != EndCode; }

  // Appends the string of a known code to out (at most `room` bytes).
  size_t Append(int code, std::string& out, size_t room) const {
    size_t length = FLength[code];
    size_t start = out.size();
    out.resize(start + length);
    for (int walk = code; walk >= 0; walk = FPrefix[walk])
      out[start + --length] = static_cast<char>(FSuffix[walk]);
    if (out.size() - start > room) {
      out.resize(start + room);
      return room;
    }
    return out.size() - start;
  }
  uint8_t FirstByte(int code) const {
    int walk = code;
    while (FPrefix[walk] >= 0)
      walk = FPrefix[walk];
    return FSuffix[walk];
  }
  void Add(int prefix, uint8_t suffix) {
    if (FNext >= TableSize)
      return;
    FPrefix[FNext] = prefix;
    FSuffix[FNext] = suffix;
    FLength[FNext] = FLength[prefix] + 1;
    ++FNext;
  }

private:
  std::array<int16_t, TableSize> FPrefix{};
  std::array<uint8_t, TableSize> FSuffix{};
  std::array<uint32_t, TableSize> FLength{};
  int FNext = FirstFreeCode;
};

int CodeWidth(int nextCode, bool earlyChange) {
  int limit = nextCode + (earlyChange ? 1 : 0);
  if (limit < 512)
    return 9;
  if (limit < 1024)
    return 10;
  if (limit < 2048)
    return 11;
  return 12;
}

} // namespace

LzwResult LzwDecode(std::string_view input, bool earlyChange, size_t outputCap) {
  LzwResult result;
  std::string& out = result.Data;
  auto table = std::make_unique<LzwTable>();
  uint32_t bitBuffer = 0;
  int bitCount = 0;
  int previous = -1;
  for (char byte : input) {
    bitBuffer = bitBuffer << 8 | static_cast<uint8_t>(byte);
    bitCount += 8;
    for (;;) {
      int width = CodeWidth(table->Next(), earlyChange);
      if (bitCount < width)
        break;
      int code = static_cast<int>(bitBuffer >> (bitCount - width) & ((1u << width) - 1));
      bitCount -= width;
      if (code == EndCode)
        return result;
      if (code == ClearCode) {
        table->Reset();
        previous = -1;
        continue;
      }
      size_t room = outputCap - out.size();
      if (previous < 0) {
        if (code >= 256)
          continue; // damage: the first code must be a byte
        table->Append(code, out, room);
      } else if (table->Known(code)) {
        table->Append(code, out, room);
        table->Add(previous, table->FirstByte(code));
      } else if (code == table->Next()) {
        uint8_t first = table->FirstByte(previous);
        table->Add(previous, first);
        table->Append(code, out, room);
      } else {
        continue; // damage: a code past the table
      }
      previous = code;
      if (out.size() >= outputCap) {
        result.CapExceeded = true;
        return result;
      }
    }
  }
  return result;
}

} // namespace scrivlet::pdf
