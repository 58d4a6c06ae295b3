#include "pdf/fonts/CffEncoding.h"

#include "pdf/fonts/CffStandardStrings.h"

#include <cstdint>
#include <vector>

namespace scrivlet::pdf {
namespace {

constexpr uint32_t kMaxGlyphs = 65536;

class CffReader {
public:
  explicit CffReader(std::string_view data) : FData(data) {}

  bool Has(size_t at, size_t length) const {
    return at <= FData.size() && length <= FData.size() - at;
  }
  uint32_t U8(size_t at) const { return static_cast<uint8_t>(FData[at]); }
  uint32_t U16(size_t at) const { return U8(at) << 8 | U8(at + 1); }
  uint32_t Offset(size_t at, uint32_t size) const {
    uint32_t value = 0;
    for (uint32_t i = 0; i < size; ++i)
      value = value << 8 | U8(at + i);
    return value;
  }
  std::string_view Bytes(size_t at, size_t length) const { return FData.substr(at, length); }

  // An INDEX at pos: its items; pos moves past it.  False when damaged.
  bool ReadIndex(size_t& pos, std::vector<std::string_view>& items) const {
    items.clear();
    if (!Has(pos, 2))
      return false;
    uint32_t count = U16(pos);
    if (count == 0) {
      pos += 2;
      return true;
    }
    if (!Has(pos + 2, 1))
      return false;
    uint32_t offSize = U8(pos + 2);
    if (offSize < 1 || offSize > 4 || !Has(pos + 3, size_t{count + 1} * offSize))
      return false;
    size_t offsets = pos + 3;
    size_t dataStart = offsets + size_t{count + 1} * offSize - 1;
    uint32_t last = Offset(offsets + size_t{count} * offSize, offSize);
    if (last < 1 || !Has(dataStart + 1, last - 1))
      return false;
    items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t start = Offset(offsets + size_t{i} * offSize, offSize);
      uint32_t end = Offset(offsets + size_t{i + 1} * offSize, offSize);
      if (start < 1 || end < start || end > last)
        return false;
      items.push_back(Bytes(dataStart + start, end - start));
    }
    pos = dataStart + last;
    return true;
  }

private:
  std::string_view FData;
};

struct TopDict {
  uint32_t charset = 0;
  uint32_t encoding = 0;
  uint32_t charStrings = 0;
  bool cidKeyed = false;
};

// The operators of the Top DICT this reader needs (integers only).
TopDict ReadTopDict(std::string_view dict) {
  TopDict top;
  std::vector<int64_t> operands;
  for (size_t i = 0; i < dict.size();) {
    auto b0 = static_cast<uint8_t>(dict[i]);
    auto byteAt = [&](size_t k) { return k < dict.size() ? static_cast<uint8_t>(dict[k]) : 0u; };
    if (b0 <= 21) {
      int op = b0;
      ++i;
      if (b0 == 12) {
        op = 1200 + static_cast<int>(byteAt(i));
        ++i;
      }
      int64_t value = operands.empty() ? 0 : operands.back();
      if (op == 15)
        top.charset = static_cast<uint32_t>(value);
      else if (op == 16)
        top.encoding = static_cast<uint32_t>(value);
      else if (op == 17)
        top.charStrings = static_cast<uint32_t>(value);
      else if (op == 1230)
        top.cidKeyed = true;
      operands.clear();
    } else if (b0 == 28) {
      operands.push_back(static_cast<int16_t>(byteAt(i + 1) << 8 | byteAt(i + 2)));
      i += 3;
    } else if (b0 == 29) {
      operands.push_back(static_cast<int32_t>(byteAt(i + 1) << 24 | byteAt(i + 2) << 16 |
                                              byteAt(i + 3) << 8 | byteAt(i + 4)));
      i += 5;
    } else if (b0 == 30) { // a real number: nibbles up to 0xF
      ++i;
      while (i < dict.size() && (byteAt(i) & 0x0F) != 0x0F && (byteAt(i) >> 4) != 0x0F)
        ++i;
      ++i;
      operands.push_back(0);
    } else if (b0 >= 32 && b0 <= 246) {
      operands.push_back(static_cast<int64_t>(b0) - 139);
      ++i;
    } else if (b0 >= 247 && b0 <= 250) {
      operands.push_back((static_cast<int64_t>(b0) - 247) * 256 + byteAt(i + 1) + 108);
      i += 2;
    } else if (b0 >= 251 && b0 <= 254) {
      operands.push_back(-(static_cast<int64_t>(b0) - 251) * 256 - byteAt(i + 1) - 108);
      i += 2;
    } else {
      ++i;
    }
    if (operands.size() > 48)
      operands.erase(operands.begin());
  }
  return top;
}

// String ids of the glyphs, glyph 0 (.notdef) included.
std::vector<uint32_t> ReadCharset(const CffReader& cff, uint32_t offset, uint32_t glyphs) {
  std::vector<uint32_t> sids{0};
  if (offset == 0) { // ISOAdobe: glyph i is string i
    for (uint32_t g = 1; g < glyphs && g < 229; ++g)
      sids.push_back(g);
    return sids;
  }
  if (offset <= 2 || !cff.Has(offset, 1))
    return sids; // the expert charsets hold no text names worth reading
  uint32_t format = cff.U8(offset);
  size_t pos = offset + 1;
  while (sids.size() < glyphs) {
    if (format == 0) {
      if (!cff.Has(pos, 2))
        break;
      sids.push_back(cff.U16(pos));
      pos += 2;
    } else if (format == 1 || format == 2) {
      size_t entry = format == 1 ? 3 : 4;
      if (!cff.Has(pos, entry))
        break;
      uint32_t first = cff.U16(pos);
      uint32_t left = format == 1 ? cff.U8(pos + 2) : cff.U16(pos + 2);
      pos += entry;
      for (uint32_t k = 0; k <= left && sids.size() < glyphs; ++k)
        sids.push_back(first + k);
    } else {
      break;
    }
  }
  return sids;
}

std::string NameOfSid(uint32_t sid, const std::vector<std::string_view>& strings) {
  if (sid < kCffStandardStringCount)
    return kCffStandardStrings[sid];
  sid -= kCffStandardStringCount;
  return sid < strings.size() ? std::string(strings[sid]) : std::string();
}

} // namespace

std::optional<Type1Encoding> ReadCffEncoding(std::string_view program) {
  CffReader cff(program);
  if (!cff.Has(0, 4) || cff.U8(0) != 1)
    return std::nullopt;
  size_t pos = cff.U8(2);
  std::vector<std::string_view> names, topDicts, strings;
  if (!cff.ReadIndex(pos, names) || !cff.ReadIndex(pos, topDicts) || topDicts.empty() ||
      !cff.ReadIndex(pos, strings))
    return std::nullopt;
  TopDict top = ReadTopDict(topDicts.front());
  if (top.cidKeyed)
    return std::nullopt;
  Type1Encoding encoding;
  if (top.encoding == 0) {
    encoding.standard = true;
    return encoding;
  }
  if (top.encoding == 1 || !cff.Has(top.encoding, 2))
    return std::nullopt; // the expert encoding: no text characters worth reading
  size_t charStrings = top.charStrings;
  std::vector<std::string_view> glyphs;
  if (charStrings == 0 || !cff.ReadIndex(charStrings, glyphs))
    return std::nullopt;
  auto glyphCount = static_cast<uint32_t>(std::min<size_t>(glyphs.size(), kMaxGlyphs));
  std::vector<uint32_t> sids = ReadCharset(cff, top.charset, glyphCount);
  auto nameOfGlyph = [&](uint32_t glyph) {
    return glyph < sids.size() ? NameOfSid(sids[glyph], strings) : std::string();
  };

  uint32_t format = cff.U8(top.encoding);
  size_t at = top.encoding + 1;
  if ((format & 0x7F) == 0) {
    uint32_t count = cff.U8(at++);
    if (!cff.Has(at, count))
      return std::nullopt;
    for (uint32_t g = 1; g <= count; ++g)
      encoding.names[cff.U8(at + g - 1)] = nameOfGlyph(g);
    at += count;
  } else if ((format & 0x7F) == 1) {
    uint32_t ranges = cff.U8(at++);
    if (!cff.Has(at, size_t{ranges} * 2))
      return std::nullopt;
    uint32_t glyph = 1;
    for (uint32_t r = 0; r < ranges; ++r) {
      uint32_t first = cff.U8(at + r * 2), left = cff.U8(at + r * 2 + 1);
      for (uint32_t code = first; code <= first + left && code < 256; ++code)
        encoding.names[code] = nameOfGlyph(glyph++);
    }
    at += size_t{ranges} * 2;
  } else {
    return std::nullopt;
  }
  if (format & 0x80 && cff.Has(at, 1)) { // supplements: more codes for named glyphs
    uint32_t count = cff.U8(at++);
    for (uint32_t s = 0; s < count && cff.Has(at + s * 3, 3); ++s)
      encoding.names[cff.U8(at + s * 3)] = NameOfSid(cff.U16(at + s * 3 + 1), strings);
  }
  return encoding;
}

} // namespace scrivlet::pdf
