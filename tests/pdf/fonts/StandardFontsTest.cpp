#include "pdf/fonts/StandardFonts.h"

#include <gtest/gtest.h>

#include <string>

namespace scrivlet::pdf {
namespace {

std::string NameOf(const char* baseFont) {
  const StandardFontMetrics* font = FindStandardFont(baseFont);
  return font ? font->name : "";
}

TEST(StandardFontsTest, NamesAndAliases) {
  EXPECT_EQ(NameOf("Helvetica"), "Helvetica");
  EXPECT_EQ(NameOf("/Helvetica-BoldOblique"), "Helvetica-BoldOblique");
  EXPECT_EQ(NameOf("Arial,Bold"), "Helvetica-Bold");
  EXPECT_EQ(NameOf("ABCDEF+ArialMT"), "Helvetica");
  EXPECT_EQ(NameOf("Arial-BoldItalicMT"), "Helvetica-BoldOblique");
  EXPECT_EQ(NameOf("TimesNewRomanPSMT"), "Times-Roman");
  EXPECT_EQ(NameOf("Times-Italic"), "Times-Italic");
  EXPECT_EQ(NameOf("CourierNew,Bold"), "Courier-Bold");
  EXPECT_EQ(NameOf("Symbol"), "Symbol");
  // A Symbol font is a Symbol font in every style.
  for (const char* symbol : {"Symbol,Italic", "Symbol,Bold", "Symbol-BoldItalic", "SymbolMT"})
    EXPECT_EQ(NameOf(symbol), "Symbol") << symbol;
  EXPECT_EQ(NameOf("SymbolSans"), "");
  EXPECT_EQ(NameOf("ZapfDingbats"), "ZapfDingbats");
  EXPECT_EQ(NameOf("Verdana"), "");
}

TEST(StandardFontsTest, WidthsOfTheStandardMetrics) {
  const StandardFontMetrics& helvetica = *FindStandardFont("Helvetica");
  EXPECT_EQ(StandardWidthOfCharacter(helvetica, u'a'), 556u);
  EXPECT_EQ(StandardWidthOfCharacter(helvetica, u' '), 278u);
  EXPECT_EQ(StandardWidthOfCharacter(helvetica, u'W'), 944u);
  EXPECT_EQ(StandardWidthOfCharacter(*FindStandardFont("Times-Roman"), u' '), 250u);
  EXPECT_EQ(StandardWidthOfCharacter(*FindStandardFont("Times-Bold"), u'A'), 722u);
  EXPECT_EQ(StandardWidthOfCharacter(*FindStandardFont("Courier"), u'i'), 600u);
  EXPECT_EQ(StandardWidthOfCharacter(helvetica, u'\u4E2D'), 0u);
  const StandardFontMetrics& symbol = *FindStandardFont("Symbol");
  EXPECT_TRUE(IsSymbolicStandardFont(symbol));
  EXPECT_EQ(StandardWidthOfCode(symbol, 'a'), 631u); // alpha
}

} // namespace
} // namespace scrivlet::pdf
