#include "pdf/fonts/Font.h"

#include "pdf/fonts/CharacterCollections.h"
#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace scrivlet::pdf {
namespace {

ShownText Show(const FontDescription& description, std::string_view bytes,
               const FontContext& context = {}) {
  ShownText shown;
  Font::Create(description, context)->Decode(bytes, shown);
  return shown;
}

FontDescription Simple(const char* baseFont, const char* encoding = "") {
  FontDescription d;
  d.subtype = "Type1";
  d.baseFont = baseFont;
  d.encodingName = encoding;
  return d;
}

TEST(FontTest, StandardFontWithWinAnsiAndMacRoman) {
  EXPECT_EQ(Show(Simple("Helvetica", "/WinAnsiEncoding"), "caf\xE9 \x80").text,
            u"caf\u00E9 \u20AC");
  EXPECT_EQ(Show(Simple("Times-Roman", "/MacRomanEncoding"), "caf\x8E").text, u"caf\u00E9");
}

TEST(FontTest, StandardFontWidthsAndCounts) {
  ShownText shown = Show(Simple("Helvetica", "/WinAnsiEncoding"), "a a");
  EXPECT_DOUBLE_EQ(shown.width, (556 + 278 + 556) / 1000.0);
  EXPECT_EQ(shown.codes, 3);
  EXPECT_EQ(shown.spaces, 1);
}

TEST(FontTest, DifferencesNameTheirCodesGlyphs) {
  FontDescription d = Simple("Times-Roman", "/WinAnsiEncoding");
  d.hasEncodingDictionary = true;
  d.differences = std::make_shared<const GlyphDifferences>(GlyphDifferences{
      {39, "quoteright"}, {65, "alef"}, {66, "uni00E9"}, {67, "G44"}, {68, "zzz"}});
  // An unknown name keeps the base encoding's character.
  EXPECT_EQ(Show(d, "'ABCD").text, u"\u2019\u05D0\u00E9DD");
}

TEST(FontTest, NoEncodingReadsStandardEncodingNotUtf8OrLatin1) {
  // 0x27 is quoteright and 0xFB germandbls in StandardEncoding.
  EXPECT_EQ(Show(Simple("CustomSerif"), "it\x27s Stra\xFB"
                                        "e")
                .text,
            u"it\u2019s Stra\u00DFe");
}

TEST(FontTest, EmbeddedType1BuiltInEncodingIsUsed) {
  FontDescription d = Simple("ABCDEF+CMR10");
  d.type1Program = "%!PS-AdobeFont-1.0: CMR10\n/Encoding 256 array\n0 1 255 {1 index exch "
                   "/.notdef put} for\ndup 65 /eacute put\ndup 66 /B put\nreadonly def\n"
                   "currentfile eexec\x80\x81 dup 67 /C put";
  EXPECT_EQ(Show(d, "ABC").text, u"\u00E9B"); // code 67 is past eexec: not in the encoding
}

TEST(FontTest, SymbolicFontsKeepTheirCodes) {
  FontDescription d = Simple("Wingdings");
  d.subtype = "TrueType";
  d.flags = 4;
  EXPECT_EQ(Show(d, "\x27"
                    "A")
                .text,
            u"'A");
  EXPECT_EQ(Show(Simple("Symbol"), "abg").text, u"\u03B1\u03B2\u03B3");
}

TEST(FontTest, LegacyCodePageReadsBytesOfThatCodePage) {
  FontContext legacy;
  legacy.legacyCodePage = 1251;
  EXPECT_EQ(Show(Simple("CustomSerif"), "\xC0\xE1", legacy).text, u"\u0410\u0431");
  // An encoding still decides when the font has one.
  EXPECT_EQ(Show(Simple("Helvetica", "/WinAnsiEncoding"), "\xE9", legacy).text, u"\u00E9");
}

TEST(FontTest, WidthsArrayWithFirstCharAndMissingWidth) {
  FontDescription d = Simple("Custom", "/WinAnsiEncoding");
  d.hasWidths = true;
  d.firstChar = 65;
  d.widths = {700, 800};
  d.missingWidth = 250;
  EXPECT_DOUBLE_EQ(Show(d, "AB").width, 1.5);
  EXPECT_DOUBLE_EQ(Show(d, "C").width, 0.25);
  // Unknown widths without an array are half an em.
  EXPECT_DOUBLE_EQ(Show(Simple("Custom"), "xy").width, 1.0);
}

TEST(FontTest, Type3WidthsScaleByTheFontMatrix) {
  FontDescription d;
  d.subtype = "Type3";
  d.hasEncodingDictionary = true;
  d.differences = std::make_shared<const GlyphDifferences>(GlyphDifferences{{1, "H"}, {2, "i"}});
  d.hasWidths = true;
  d.firstChar = 1;
  d.widths = {10, 5};
  d.fontMatrixA = 0.05;
  ShownText shown = Show(d, "\x01\x02");
  EXPECT_EQ(shown.text, u"Hi");
  EXPECT_DOUBLE_EQ(shown.width, 0.75);
}

TEST(FontTest, ToUnicodeMapWinsForSimpleFonts) {
  FontDescription d = Simple("Custom", "/WinAnsiEncoding");
  d.toUnicode = "1 beginbfchar <41> <0066006C> endbfchar";
  EXPECT_EQ(Show(d, "AB").text, u"flB");
}

FontDescription Composite(const char* encoding) {
  FontDescription d;
  d.subtype = "Type0";
  d.baseFont = "ABCDEF+Custom";
  d.encodingCMapText = encoding;
  return d;
}

TEST(FontTest, IdentityFontWithToUnicode) {
  FontDescription d = Composite("/Identity-H");
  d.toUnicode = "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                "2 beginbfrange <0003> <0005> <0048> <0010> <0011> [<00660069> <D83DDE00>] "
                "endbfrange";
  ShownText shown = Show(d, std::string("\0\x03\0\x04\0\x10\0\x11\0\x09", 10));
  EXPECT_EQ(shown.text, u"HIfi\U0001F600"); // code 9 is unmapped: dropped
  EXPECT_EQ(shown.codes, 5);
  EXPECT_DOUBLE_EQ(shown.width, 5.0); // "/DW" 1000 by default
}

TEST(FontTest, IdentityFontWithoutToUnicodeReadsTheTrueTypeCmap) {
  FontDescription d = Composite("/Identity-H");
  d.trueTypeProgram = test::BuildTrueTypeFont(20, {{3, 1, 4, {{'H', 5}, {'i', 6}, {0x00E9, 7}}}});
  EXPECT_EQ(Show(d, std::string("\0\x05\0\x06\0\x07\0\x08", 8)).text, u"Hi\u00E9");
  // A CIDToGIDMap stream renumbers: CID 1 -> glyph 6, CID 2 -> glyph 5.
  d.cidToGidMap = std::string("\0\0\0\x06\0\x05", 6);
  EXPECT_EQ(Show(d, std::string("\0\x01\0\x02\0\x03", 6)).text, u"iH");
}

TEST(FontTest, IdentityFontWithNothingToMapDropsItsCodes) {
  FontDescription d = Composite("/Identity-H");
  d.trueTypeProgram = "not a font program";
  EXPECT_EQ(Show(d, std::string("\0\x41\0\x42", 4)).text, u"");
}

TEST(FontTest, CidWidthsFromTheWArray) {
  FontDescription d = Composite("/Identity-H");
  d.cidWidths =
      std::make_shared<const CidWidths>(CidWidths::Parse("[1 [500 600] 10 20 250 30 [ 700 ]]"));
  d.defaultCidWidth = 900;
  auto width = [&](uint16_t cid) {
    std::string bytes{static_cast<char>(cid >> 8), static_cast<char>(cid & 0xFF)};
    return Show(d, bytes).width;
  };
  EXPECT_DOUBLE_EQ(width(1), 0.5);
  EXPECT_DOUBLE_EQ(width(2), 0.6);
  EXPECT_DOUBLE_EQ(width(15), 0.25);
  EXPECT_DOUBLE_EQ(width(30), 0.7);
  EXPECT_DOUBLE_EQ(width(3), 0.9);
}

TEST(FontTest, CodePageCMapFont) {
  FontDescription d = Composite("/90ms-RKSJ-H");
  ShownText shown = Show(d, "A\x82\xA0");
  EXPECT_EQ(shown.text, u"A\u3042");
  EXPECT_EQ(shown.codes, 2);
}

TEST(FontTest, EmbeddedEncodingCMapGivesCodesAndCids) {
  FontDescription d = Composite("/CMapName /Custom def 1 begincodespacerange <00> <FF> "
                                "endcodespacerange 1 begincidrange <20> <7E> 1 endcidrange");
  d.trueTypeProgram = test::BuildTrueTypeFont(200, {{3, 1, 4, {{'x', 34}}}});
  d.cidWidths = std::make_shared<const CidWidths>(CidWidths::Parse("[34 [333]]"));
  ShownText shown = Show(d, "A");
  EXPECT_EQ(shown.codes, 1);
  EXPECT_EQ(shown.text, u"x"); // code 0x41 -> CID 34 -> glyph 34
  EXPECT_DOUBLE_EQ(shown.width, 0.333);
}

TEST(FontTest, CollectionMapForCidFontsWithoutOtherMapping) {
  if (!std::filesystem::exists("/usr/share/poppler/cMap/Adobe-Japan1/Adobe-Japan1-UCS2"))
    GTEST_SKIP() << "poppler-data is not installed";
  CharacterCollections collections;
  FontContext context;
  context.collections = &collections;
  FontDescription d = Composite("/Identity-H");
  d.collection = "Adobe-Japan1";
  // CID 34 is "A" and 843 hiragana a in Adobe-Japan1.
  EXPECT_EQ(Show(d, std::string("\0\x22\x03\x4B", 4), context).text, u"A\u3042");
  d.collection = "Adobe-Unknown";
  EXPECT_EQ(Show(d, std::string("\0\x22", 2), context).text, u"");
}

} // namespace
} // namespace scrivlet::pdf
