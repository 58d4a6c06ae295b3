// CMaps: the code tables of composite fonts and the ToUnicode streams of any
// font.
//
// A CMap is a PostScript-like text.  Its "codespacerange" sections say how
// many bytes make one code (one to four, most significant first); "bfchar"
// and "bfrange" sections map codes to text (UTF-16BE hexadecimal strings,
// several units for ligatures and surrogate pairs, an array of strings per
// code of a range, or a glyph name); "cidchar" and "cidrange" sections map
// codes to CIDs.  "usecmap" names a predefined CMap this one extends.
//
// Nothing is expanded: a range of a million codes costs one entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet::pdf {

// One character code of a shown string.
struct CharCode {
  uint32_t value = 0;
  uint8_t length = 1; // bytes
};

class CMap {
public:
  // Parses the text of a CMap stream; damaged entries are skipped.
  static CMap Parse(std::string_view text);

  bool HasCodeSpace() const { return !FCodeSpace.empty(); }
  bool HasUnicode() const { return !FTextChars.empty() || !FTextRanges.empty(); }
  bool HasCids() const { return !FCidChars.empty() || !FCidRanges.empty(); }
  const std::string& UseCMap() const { return FUseCMap; }
  // The most array elements parsing held at once: a "bfrange" array keeps
  // no more elements than its range has codes.
  size_t LargestArrayHeld() const { return FLargestArray; }

  // The code at bytes[pos] by the code space ranges (pos < bytes.size()).
  // A code no range holds takes the length of the shortest range that
  // matches its first byte, else one byte.  Without code space ranges codes
  // are fallbackLength bytes long.
  CharCode ReadCode(std::string_view bytes, size_t pos, uint8_t fallbackLength) const;

  // The text of a code, when the CMap maps it.
  std::optional<std::u16string> Text(CharCode code) const;
  // The CID of a code, when the CMap maps it.
  std::optional<uint32_t> Cid(CharCode code) const;

  // Calls f(cid, text) for every single character mapping to a CID (used to
  // reverse the published Unicode-to-CID CMaps of the character
  // collections).  Ranges wider than maxRange codes are skipped.
  template <class F> void ForEachCidMapping(F f, uint32_t maxRange = 0x10000) const;

private:
  struct CodeSpaceRange {
    uint8_t length;
    uint8_t low[4];
    uint8_t high[4];
  };
  struct TextRange {
    uint32_t low, high;
    uint8_t length;
    std::u16string start;             // text of the first code, last unit counts up
    std::vector<std::u16string> list; // or one text per code
  };
  struct CidRange {
    uint32_t low, high;
    uint8_t length;
    uint32_t cid;
  };

  static uint64_t Key(CharCode code) { return uint64_t{code.length} << 32 | code.value; }
  void SortRanges();

  size_t FLargestArray = 0;
  std::vector<CodeSpaceRange> FCodeSpace;
  std::unordered_map<uint64_t, std::u16string> FTextChars;
  std::vector<TextRange> FTextRanges; // sorted by low
  std::unordered_map<uint64_t, uint32_t> FCidChars;
  std::vector<CidRange> FCidRanges; // sorted by low
  std::string FUseCMap;

  friend class CMapParser;
};

template <class F> void CMap::ForEachCidMapping(F f, uint32_t maxRange) const {
  for (const CidRange& range : FCidRanges) {
    if (range.high - range.low >= maxRange)
      continue;
    for (uint32_t code = range.low; code <= range.high; ++code)
      f(range.cid + (code - range.low), code);
  }
  for (const auto& [key, cid] : FCidChars)
    f(cid, static_cast<uint32_t>(key & 0xFFFFFFFF));
}

} // namespace scrivlet::pdf
