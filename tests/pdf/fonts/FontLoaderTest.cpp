#include "pdf/fonts/FontLoader.h"

#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::PdfBuilder;

std::string Ref(uint32_t number) {
  return std::to_string(number) + " 0 R";
}

// A document whose objects 100 onwards are `count` fonts made by makeFont.
struct Fonts {
  std::string bytes;
  std::vector<uint32_t> numbers;
};

template <class MakeFont> Fonts BuildFonts(PdfBuilder& pdf, int count, MakeFont makeFont) {
  Fonts fonts;
  uint32_t catalog = pdf.Add("<< /Type /Catalog >>");
  for (int i = 0; i < count; ++i)
    fonts.numbers.push_back(pdf.Add(makeFont()));
  pdf.Trailer = "/Root " + Ref(catalog);
  fonts.bytes = pdf.Build();
  return fonts;
}

std::vector<FontDescription> ReadAll(const PdfDocument& document, const Fonts& fonts,
                                     SharedFontArrays& shared) {
  std::vector<FontDescription> descriptions;
  for (uint32_t number : fonts.numbers) {
    IndirectObject object = document.Object(number);
    descriptions.push_back(ReadFontDescription(document, object.Dictionary, object, &shared));
  }
  return descriptions;
}

// Fonts that share an encoding object whose /Differences is written inline,
// or a /W array inline in a shared descendant, or one ToUnicode stream,
// share what was parsed of it: each parsing it kept another copy.
TEST(FontLoader, SharedArraysAndMapsAreParsedOnce) {
  PdfBuilder pdf;
  std::string names = "65 /B";
  for (int i = 0; i < 2000; ++i)
    names += " /x";
  const uint32_t encoding =
      pdf.Add("<< /BaseEncoding /WinAnsiEncoding /Differences [" + names + "] >>");
  const uint32_t toUnicode =
      pdf.Add(PdfBuilder::Stream("", "1 beginbfchar <0001> <0061> endbfchar"));
  const uint32_t descendant =
      pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /W [1 [500] 2 3 600] >>");
  int made = 0;
  Fonts fonts = BuildFonts(pdf, 40, [&] {
    return ++made % 2 ? "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding " +
                            Ref(encoding) + " >>"
                      : "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode " +
                            Ref(toUnicode) + " /DescendantFonts [" + Ref(descendant) + "] >>";
  });
  PdfDocument document(fonts.bytes);
  SharedFontArrays shared;
  std::vector<FontDescription> read = ReadAll(document, fonts, shared);
  ASSERT_TRUE(read[0].differences && read[1].cidWidths && read[1].toUnicodeMap);
  EXPECT_EQ(read[0].differences->size(), 256u - 65u); // codes past 255 are dropped
  EXPECT_TRUE(read[1].toUnicodeMap->HasUnicode());
  for (size_t i = 2; i < read.size(); i += 2) {
    EXPECT_EQ(read[i].differences, read[0].differences);
    EXPECT_EQ(read[i + 1].cidWidths, read[1].cidWidths);
    EXPECT_EQ(read[i + 1].toUnicodeMap, read[1].toUnicodeMap);
  }
  EXPECT_EQ(shared.differences.size(), 1u);
  EXPECT_EQ(shared.toUnicode.size(), 1u);
  // Each font record is paid for, the shared array once.
  EXPECT_GE(document.Budget().MemorySpent(), 40 * 8192u);
  EXPECT_LT(document.Budget().MemorySpent(), 40 * 8192u + 3 * 2001 * 48u);
}

// A /Differences array that names one code again and again keeps one entry
// for it, the one a font would end with: the last name with text ("C"; the
// unknown name after it leaves the code as it was).  Each font applied
// every entry, and thousands of fonts sharing an array of half a million
// entries ran for minutes.
TEST(FontLoader, DifferencesKeepOneEntryPerCode) {
  PdfBuilder pdf;
  std::string names;
  for (int i = 0; i < 1000; ++i)
    names += " 65 /B 65 /x";
  const uint32_t encoding =
      pdf.Add("<< /Differences [" + names + " 65 /C 65 /no_such_glyph 66 /D /E] >>");
  Fonts fonts = BuildFonts(
      pdf, 1, [&] { return "<< /Type /Font /Subtype /Type1 /Encoding " + Ref(encoding) + " >>"; });
  PdfDocument document(fonts.bytes);
  SharedFontArrays shared;
  std::vector<FontDescription> read = ReadAll(document, fonts, shared);
  ASSERT_TRUE(read[0].differences);
  EXPECT_EQ(*read[0].differences, (GlyphDifferences{{65, "C"}, {66, "D"}, {67, "E"}}));
}

// Each look-up of a key that a dictionary lacks reads it whole: fonts that
// share one large descendant font or encoding dictionary read it once.
TEST(FontLoader, SharedDictionariesAreReadOnce) {
  PdfBuilder pdf;
  std::string ranges;
  for (int i = 0; i < 10000; ++i)
    ranges += std::to_string(2 * i) + " " + std::to_string(2 * i + 1) + " 500 ";
  std::string names;
  for (int i = 0; i < 10000; ++i)
    names += " /g" + std::to_string(i % 256);
  const uint32_t descendant =
      pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /W [" + ranges + "] >>");
  const uint32_t encoding = pdf.Add("<< /Differences [0" + names + "] >>");
  int made = 0;
  Fonts fonts = BuildFonts(pdf, 200, [&] {
    return ++made % 2 ? "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [" +
                            Ref(descendant) + "] >>"
                      : "<< /Type /Font /Subtype /Type1 /Encoding " + Ref(encoding) + " >>";
  });
  PdfDocument document(fonts.bytes);
  SharedFontArrays shared;
  std::vector<FontDescription> read = ReadAll(document, fonts, shared);
  ASSERT_TRUE(read[0].cidWidths && read[1].differences);
  EXPECT_EQ(read[198].cidWidths, read[0].cidWidths);
  EXPECT_EQ(read[199].differences, read[1].differences);
  EXPECT_EQ(read[199].differences->size(), 256u);
  // Read for each font, the two dictionaries cost 100 times their size.
  EXPECT_LT(document.Budget().WorkSpent(), 20 * fonts.bytes.size());
}

TEST(FontLoader, FontRecordsPastTheMemoryBudgetEndTheReading) {
  PdfBuilder pdf;
  Fonts fonts =
      BuildFonts(pdf, 50, [] { return std::string("<< /Type /Font /Subtype /Type1 >>"); });
  PdfDocument::Limits limits;
  limits.MemoryPerInputByte = 0;
  limits.MemoryFloor = 20 * 8192;
  PdfDocument document(fonts.bytes, limits);
  SharedFontArrays shared;
  try {
    ReadAll(document, fonts, shared);
    FAIL() << "50 font records fit a budget of 20";
  } catch (const LimitExceeded& e) {
    EXPECT_EQ(e.Message(), "The document exceeds the limit of 163840 bytes of records kept");
  }
}

} // namespace
} // namespace scrivlet::pdf
