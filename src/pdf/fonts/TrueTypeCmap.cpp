#include "pdf/fonts/TrueTypeCmap.h"

#include "pdf/fonts/BaseEncoding.h"

#include <cstdint>
#include <optional>

namespace scrivlet::pdf {
namespace {

// Big-endian numbers at checked offsets.
class BigEndianView {
public:
  explicit BigEndianView(std::string_view data) : FData(data) {}

  bool Has(size_t offset, size_t length) const {
    return offset <= FData.size() && length <= FData.size() - offset;
  }
  uint32_t U8(size_t at) const { return static_cast<uint8_t>(FData[at]); }
  uint32_t U16(size_t at) const { return U8(at) << 8 | U8(at + 1); }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }
  std::string_view Bytes(size_t at, size_t length) const { return FData.substr(at, length); }
  size_t Size() const { return FData.size(); }

private:
  std::string_view FData;
};

struct TableLocation {
  size_t offset = 0;
  size_t length = 0;
};

std::optional<TableLocation> FindTable(const BigEndianView& font, std::string_view tag) {
  if (!font.Has(0, 12))
    return std::nullopt;
  uint32_t count = font.U16(4);
  for (uint32_t i = 0; i < count; ++i) {
    size_t entry = 12 + size_t{i} * 16;
    if (!font.Has(entry, 16))
      break;
    if (font.Bytes(entry, 4) != tag)
      continue;
    TableLocation where{font.U32(entry + 8), font.U32(entry + 12)};
    if (!font.Has(where.offset, 0))
      return std::nullopt;
    if (!font.Has(where.offset, where.length)) // a length past the end: take what is there
      where.length = font.Size() - where.offset;
    return where;
  }
  return std::nullopt;
}

} // namespace

// Reads one subtable of a cmap table into the glyph map.
class CmapTableReader {
public:
  CmapTableReader(std::string_view table, TrueTypeCmap& map) : FTable(table), FMap(map) {}

  bool Read(size_t offset) {
    if (!FTable.Has(offset, 4))
      return false;
    switch (FTable.U16(offset)) {
    case 0: return ReadFormat0(offset);
    case 4: return ReadFormat4(offset);
    case 6: return ReadFormat6(offset);
    case 12: return ReadFormat12(offset);
    default: return false;
    }
  }

private:
  bool ReadFormat0(size_t at) {
    if (!FTable.Has(at + 6, 256))
      return false;
    for (uint32_t code = 0; code < 256; ++code)
      FMap.Map(code, FTable.U8(at + 6 + code));
    return true;
  }

  bool ReadFormat4(size_t at) {
    if (!FTable.Has(at, 14))
      return false;
    uint32_t segments = FTable.U16(at + 6) / 2;
    size_t ends = at + 14, starts = ends + size_t{segments} * 2 + 2;
    size_t deltas = starts + size_t{segments} * 2, offsets = deltas + size_t{segments} * 2;
    if (!FTable.Has(offsets, size_t{segments} * 2))
      return false;
    for (uint32_t s = 0; s < segments; ++s) {
      uint32_t end = FTable.U16(ends + s * 2), start = FTable.U16(starts + s * 2);
      uint32_t delta = FTable.U16(deltas + s * 2);
      size_t rangeAt = offsets + s * 2;
      uint32_t rangeOffset = FTable.U16(rangeAt);
      for (uint32_t code = start; code <= end && code != 0xFFFF && FMap.FBudget; ++code) {
        uint32_t glyph;
        if (rangeOffset == 0) {
          glyph = (code + delta) & 0xFFFF;
        } else {
          size_t glyphAt = rangeAt + rangeOffset + (code - start) * 2;
          if (!FTable.Has(glyphAt, 2))
            break;
          glyph = FTable.U16(glyphAt);
          if (glyph != 0)
            glyph = (glyph + delta) & 0xFFFF;
        }
        FMap.Map(code, glyph);
      }
    }
    return true;
  }

  bool ReadFormat6(size_t at) {
    if (!FTable.Has(at, 10))
      return false;
    uint32_t first = FTable.U16(at + 6), count = FTable.U16(at + 8);
    if (!FTable.Has(at + 10, size_t{count} * 2))
      return false;
    for (uint32_t i = 0; i < count; ++i)
      FMap.Map(first + i, FTable.U16(at + 10 + i * 2));
    return true;
  }

  bool ReadFormat12(size_t at) {
    if (!FTable.Has(at, 16))
      return false;
    uint32_t groups = FTable.U32(at + 12);
    if (!FTable.Has(at + 16, size_t{groups} * 12))
      return false;
    for (uint32_t g = 0; g < groups; ++g) {
      size_t entry = at + 16 + size_t{g} * 12;
      uint32_t first = FTable.U32(entry), last = FTable.U32(entry + 4);
      uint32_t glyph = FTable.U32(entry + 8);
      if (last < first || last > 0x10FFFF)
        continue;
      for (uint32_t code = first; code <= last && glyph < FMap.FGlyphLimit && FMap.FBudget;
           ++code, ++glyph)
        FMap.Map(code, glyph);
    }
    return true;
  }

  BigEndianView FTable;
  TrueTypeCmap& FMap;
};

void TrueTypeCmap::Map(uint32_t character, uint32_t glyph) {
  if (FBudget == 0)
    return;
  --FBudget;
  if (glyph == 0 || glyph >= FGlyphLimit)
    return;
  if (FSymbol) {
    if (character >= 0xF000 && character <= 0xF0FF)
      character -= 0xF000;
    else if (character > 0xFF)
      return;
  } else if (FMacRoman) {
    character = character < 0x80 ? character
                                 : EncodedCharacter(BaseEncoding::MacRoman,
                                                    static_cast<unsigned char>(character));
  }
  if (character < 0x20)
    return;
  if (glyph >= FGlyphText.size())
    FGlyphText.resize(glyph + 1, 0);
  if (FGlyphText[glyph] == 0) // the first (lowest) character that shows a glyph
    FGlyphText[glyph] = character;
}

TrueTypeCmap TrueTypeCmap::Read(std::string_view data) {
  TrueTypeCmap map;
  BigEndianView font(data);
  if (auto maxp = FindTable(font, "maxp"); maxp && maxp->length >= 6 && font.U16(maxp->offset + 4))
    map.FGlyphLimit = font.U16(maxp->offset + 4);
  auto cmap = FindTable(font, "cmap");
  if (!cmap || cmap->length < 4)
    return map;
  BigEndianView table(font.Bytes(cmap->offset, cmap->length));
  uint32_t count = table.U16(2);
  // Rank of each kind of subtable, best first.
  auto rank = [](uint32_t platform, uint32_t encoding) {
    if (platform == 3 && encoding == 10)
      return 0;
    if (platform == 3 && encoding == 1)
      return 1;
    if (platform == 0)
      return 2;
    if (platform == 1 && encoding == 0)
      return 3;
    if (platform == 3 && encoding == 0)
      return 4;
    return 99;
  };
  int bestRank = 99;
  size_t bestOffset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    size_t record = 4 + size_t{i} * 8;
    if (!table.Has(record, 8))
      break;
    int r = rank(table.U16(record), table.U16(record + 2));
    if (r < bestRank) {
      bestRank = r;
      bestOffset = table.U32(record + 4);
    }
  }
  if (bestRank == 99)
    return map;
  map.FSymbol = bestRank == 4;
  map.FMacRoman = bestRank == 3;
  CmapTableReader(table.Bytes(0, table.Size()), map).Read(bestOffset);
  return map;
}

} // namespace scrivlet::pdf
