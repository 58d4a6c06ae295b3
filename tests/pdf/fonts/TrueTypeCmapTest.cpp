#include "pdf/fonts/TrueTypeCmap.h"

#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::BuildTrueTypeFont;
using test::CmapSubtable;

CmapSubtable Subtable(uint16_t platform, uint16_t encoding, uint16_t format,
                      std::vector<std::pair<uint32_t, uint16_t>> mappings) {
  return {platform, encoding, format, std::move(mappings)};
}

TEST(TrueTypeCmapTest, Format4ReadBackwards) {
  std::string font =
      BuildTrueTypeFont(10, {Subtable(3, 1, 4, {{'A', 3}, {'B', 4}, {'C', 5}, {0x20AC, 9}})});
  TrueTypeCmap map = TrueTypeCmap::Read(font);
  EXPECT_EQ(map.CharacterOfGlyph(3), U'A');
  EXPECT_EQ(map.CharacterOfGlyph(5), U'C');
  EXPECT_EQ(map.CharacterOfGlyph(9), U'\u20AC');
  EXPECT_EQ(map.CharacterOfGlyph(6), 0u);
  EXPECT_EQ(map.CharacterOfGlyph(0), 0u);
}

TEST(TrueTypeCmapTest, Formats0And6And12) {
  EXPECT_EQ(TrueTypeCmap::Read(BuildTrueTypeFont(10, {Subtable(1, 0, 0, {{'a', 2}})}))
                .CharacterOfGlyph(2),
            U'a');
  EXPECT_EQ(TrueTypeCmap::Read(BuildTrueTypeFont(10, {Subtable(3, 1, 6, {{'x', 7}, {'z', 8}})}))
                .CharacterOfGlyph(8),
            U'z');
  EXPECT_EQ(TrueTypeCmap::Read(BuildTrueTypeFont(10, {Subtable(3, 10, 12, {{0x1F600, 4}})}))
                .CharacterOfGlyph(4),
            U'\U0001F600');
}

TEST(TrueTypeCmapTest, MacRomanSubtableCodesAreMacRoman) {
  TrueTypeCmap map = TrueTypeCmap::Read(BuildTrueTypeFont(10, {Subtable(1, 0, 0, {{0x8E, 2}})}));
  EXPECT_EQ(map.CharacterOfGlyph(2), U'\u00E9');
}

TEST(TrueTypeCmapTest, UnicodeSubtableIsPreferredAndSymbolCodesAreBytes) {
  std::string font =
      BuildTrueTypeFont(10, {Subtable(1, 0, 0, {{'q', 2}}), Subtable(3, 1, 4, {{'Q', 2}})});
  EXPECT_EQ(TrueTypeCmap::Read(font).CharacterOfGlyph(2), U'Q');
  std::string symbol = BuildTrueTypeFont(10, {Subtable(3, 0, 4, {{0xF041, 3}})});
  EXPECT_EQ(TrueTypeCmap::Read(symbol).CharacterOfGlyph(3), U'A');
}

TEST(TrueTypeCmapTest, GlyphsBeyondTheFontsCountAreIgnored) {
  TrueTypeCmap map = TrueTypeCmap::Read(BuildTrueTypeFont(4, {Subtable(3, 1, 4, {{'A', 7}})}));
  EXPECT_EQ(map.CharacterOfGlyph(7), 0u);
}

TEST(TrueTypeCmapTest, DamagedProgramsGiveAnEmptyMap) {
  std::string font = BuildTrueTypeFont(10, {Subtable(3, 1, 4, {{'A', 3}})});
  EXPECT_TRUE(TrueTypeCmap::Read("").Empty());
  EXPECT_TRUE(TrueTypeCmap::Read("garbage").Empty());
  for (size_t cut = 0; cut < font.size(); cut += 3)
    TrueTypeCmap::Read(std::string_view(font).substr(0, cut)); // never reads past the data
  std::string badOffset = font;
  badOffset[12 + 8] = '\x7F'; // cmap table offset far past the end
  EXPECT_TRUE(TrueTypeCmap::Read(badOffset).Empty());
}

} // namespace
} // namespace scrivlet::pdf
