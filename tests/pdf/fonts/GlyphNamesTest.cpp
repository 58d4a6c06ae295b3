#include "pdf/fonts/GlyphNames.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

TEST(GlyphNamesTest, LatinNamesGiveTheirCharactersNotAsciiStandIns) {
  EXPECT_EQ(GlyphNameToText("eacute"), u"\u00E9");
  EXPECT_EQ(GlyphNameToText("germandbls"), u"\u00DF");
  EXPECT_EQ(GlyphNameToText("thorn"), u"\u00FE");
  EXPECT_EQ(GlyphNameToText("Euro"), u"\u20AC");
  EXPECT_EQ(GlyphNameToText("paragraph"), u"\u00B6");
  EXPECT_EQ(GlyphNameToText("quoteright"), u"\u2019");
  EXPECT_EQ(GlyphNameToText("emdash"), u"\u2014");
  EXPECT_EQ(GlyphNameToText("A"), u"A");
  EXPECT_EQ(GlyphNameToText("space"), u" ");
  EXPECT_EQ(GlyphNameToText("fi"), u"\uFB01");
}

TEST(GlyphNamesTest, NamesOfTheWholeGlyphListAndHebrewRows) {
  EXPECT_EQ(GlyphNameToText("afii10017"), u"\u0410"); // Cyrillic A
  EXPECT_EQ(GlyphNameToText("alpha"), u"\u03B1");
  EXPECT_EQ(GlyphNameToText("alef"), u"\u05D0");
  EXPECT_EQ(GlyphNameToText("finalkaf"), u"\u05DA");
  EXPECT_EQ(GlyphNameToText("kaffinal"), u"\u05DA");
  EXPECT_EQ(GlyphNameToText("newsheqelsign"), u"\u20AA");
  EXPECT_EQ(GlyphNameToText("hyphenminus"), u"-");
}

TEST(GlyphNamesTest, UniAndUNamesAreCodePoints) {
  EXPECT_EQ(GlyphNameToText("uni00E9"), u"\u00E9");
  EXPECT_EQ(GlyphNameToText("uni00660069"), u"fi");
  EXPECT_EQ(GlyphNameToText("u1F600"), u"\U0001F600");
  EXPECT_EQ(GlyphNameToText("u00E9"), u"\u00E9");
  EXPECT_EQ(GlyphNameToText("uniD800"), u""); // a lone surrogate is no character
  EXPECT_EQ(GlyphNameToText("uni00E"), u"");
}

TEST(GlyphNamesTest, GFollowedByHexDigitsIsTheCharacter) {
  EXPECT_EQ(GlyphNameToText("G41"), u"A");
  EXPECT_EQ(GlyphNameToText("g61"), u"a");
  EXPECT_EQ(GlyphNameToText("prime"), u"\x2032"); // TeX's symbol font: not in the glyph list
  EXPECT_EQ(GlyphNameToText("mapsto"), u"\x21A6");
  EXPECT_EQ(GlyphNameToText("g3"), u"");           // one digit: a glyph number, not a character
  EXPECT_EQ(GlyphNameToText("G0A"), u"");          // control characters are no text
  EXPECT_EQ(GlyphNameToText("gbreve"), u"\u011F"); // a listed name wins
}

TEST(GlyphNamesTest, SuffixesAndLigatureParts) {
  EXPECT_EQ(GlyphNameToText("a.sc"), u"a");
  EXPECT_EQ(GlyphNameToText("f_f_i"), u"ffi");
  EXPECT_EQ(GlyphNameToText("T_h.liga"), u"Th");
  EXPECT_EQ(GlyphNameToText("f_unknownpart"), u"");
}

TEST(GlyphNamesTest, UnknownNamesSayNothing) {
  EXPECT_EQ(GlyphNameToText(".notdef"), u"");
  EXPECT_EQ(GlyphNameToText("glyph123"), u"");
  EXPECT_EQ(GlyphNameToText(""), u"");
  EXPECT_EQ(GlyphNameToText("Eacute "), u""); // names are exact
}

} // namespace
} // namespace scrivlet::pdf
