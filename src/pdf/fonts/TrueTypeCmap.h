// The "cmap" table of an embedded TrueType (or OpenType) font program, read
// backwards: which character each glyph shows.
//
// Composite fonts without a ToUnicode map name glyphs, not characters; their
// font program's cmap table maps characters to those glyphs.  Subtables are
// taken in the order Windows Unicode (3,10 and 3,1), Unicode (0,*), Mac Roman
// (1,0), Windows symbol (3,0); formats 0, 4, 6 and 12 are read.  Every
// offset and count is checked against the data.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

class TrueTypeCmap {
public:
  // Reads the font program; a program without a usable cmap table gives an
  // empty map.
  static TrueTypeCmap Read(std::string_view font);

  bool Empty() const { return FGlyphText.empty(); }
  // The character a glyph shows; 0 when none maps to it.
  char32_t CharacterOfGlyph(uint32_t glyph) const {
    return glyph < FGlyphText.size() ? FGlyphText[glyph] : 0;
  }

private:
  void Map(uint32_t character, uint32_t glyph);

  std::vector<char32_t> FGlyphText; // by glyph number
  uint32_t FGlyphLimit = 0x10000;
  bool FSymbol = false; // Windows symbol subtable: F0xx codes are bytes
  bool FMacRoman = false;
  // Mappings read at most: overlapping or huge ranges of a damaged table
  // cannot make the reading slow.
  uint32_t FBudget = 1u << 20;

  friend class CmapTableReader;
};

} // namespace scrivlet::pdf
