// Builders for the inputs of the PDF font and content layers: content
// streams operator by operator, and minimal TrueType font programs that hold
// just the tables text extraction reads ("maxp" and "cmap").
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace scrivlet::test {

// A content stream written one operator per line.
class ContentBuilder {
public:
  ContentBuilder& Op(const std::string& line) {
    FText += line;
    FText += '\n';
    return *this;
  }
  ContentBuilder& BeginText() { return Op("BT"); }
  ContentBuilder& EndText() { return Op("ET"); }
  ContentBuilder& Font(const std::string& name, double size);
  ContentBuilder& MoveTo(double x, double y);        // Td
  ContentBuilder& Show(const std::string& bytes);    // (bytes) Tj, escaped as needed
  ContentBuilder& ShowHex(const std::string& bytes); // <hex> Tj
  const std::string& Text() const { return FText; }

  // A literal string with "(", ")" and "\" escaped.
  static std::string Literal(const std::string& bytes);
  static std::string Hex(const std::string& bytes);

private:
  std::string FText;
};

// One subtable of a TrueType cmap table.
struct CmapSubtable {
  uint16_t platform = 3;
  uint16_t encoding = 1;
  uint16_t format = 4;
  // (character, glyph) pairs; formats 4, 6 and 12 group consecutive runs.
  std::vector<std::pair<uint32_t, uint16_t>> mappings;
};

// A font program with a "maxp" table of glyphCount glyphs and a "cmap" table
// of the subtables.
std::string BuildTrueTypeFont(uint16_t glyphCount, const std::vector<CmapSubtable>& subtables);

// A bare CFF font program (as "/FontFile3" of subtype Type1C holds) whose
// glyphs 1..n are named by glyphNames (standard string ids or custom names)
// and encoded by codes (format 0), plus supplement (code, glyph name) pairs.
// With standardEncoding the Top DICT names no encoding of its own.
std::string BuildCffFont(const std::vector<std::string>& glyphNames,
                         const std::vector<uint8_t>& codes,
                         const std::vector<std::pair<uint8_t, std::string>>& supplements = {},
                         bool standardEncoding = false);

// Big-endian numbers.
std::string Be16(uint32_t v);
std::string Be32(uint32_t v);

} // namespace scrivlet::test
