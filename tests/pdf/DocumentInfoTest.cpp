#include "pdf/DocumentInfo.h"

#include "pdf/TextString.h"
#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::PdfBuilder;

DocumentInfo InfoOf(const std::string& entries) {
  PdfDocument document(PdfBuilder::WithPages({"x"}, entries).Build());
  return ReadDocumentInfo(document);
}

TEST(PdfDocumentInfoTest, EntriesFillTheRecord) {
  DocumentInfo info =
      InfoOf("/Title (A \\(short\\) title) /Author (Ann) /Subject (S) "
             "/Keywords (k1, k2) /Creator (Writer) /Producer (Maker 1.0) "
             "/CreationDate (D:20090512102030+02'00') /ModDate (D:20100101000000Z)");
  EXPECT_EQ(info.Title, u"A (short) title");
  EXPECT_EQ(info.Author, u"Ann");
  EXPECT_EQ(info.Subject, u"S");
  EXPECT_EQ(info.Keywords, u"k1, k2");
  EXPECT_EQ(info.Creator, u"Writer");
  EXPECT_EQ(info.Producer, u"Maker 1.0");
  ASSERT_TRUE(info.Created);
  EXPECT_EQ(*info.Created, (PdfDate{2009, 5, 12, 10, 20, 30}));
  ASSERT_TRUE(info.Modified);
  EXPECT_EQ(info.Modified->Year, 2010);
}

TEST(PdfDocumentInfoTest, Utf16TitlesWhateverTheirFirstCharacter) {
  // Japanese and Russian titles: the first character's high byte is not 0.
  EXPECT_EQ(InfoOf("/Title <FEFF65E5672C8A9E>").Title, u"日本語");
  EXPECT_EQ(InfoOf("/Title <FEFF0420043E0441>").Title, u"Рос");
  EXPECT_EQ(InfoOf("/Title <FEFF0041>").Title, u"A");
  // A hexadecimal pair that is a backslash is not an escape.
  EXPECT_EQ(InfoOf("/Title <FEFF5C6E>").Title, u"\u5C6E");
}

TEST(PdfDocumentInfoTest, Utf8AndPdfDocEncodingTitles) {
  EXPECT_EQ(InfoOf("/Title <EFBBBFC3A9>").Title, u"é");
  // 0x80 bullet, 0x93 fi ligature, 0xE9 e acute, 0xA0 Euro.
  EXPECT_EQ(InfoOf("/Title <809320E9A0>").Title, u"\u2022\uFB01 é€");
}

TEST(PdfDocumentInfoTest, IndirectStringsAreFollowed) {
  PdfBuilder pdf = PdfBuilder::WithPages({"x"}, "/Title 9 0 R");
  pdf.Put(9, "(Held elsewhere)");
  PdfDocument document(pdf.Build());
  EXPECT_EQ(ReadDocumentInfo(document).Title, u"Held elsewhere");
}

TEST(PdfDocumentInfoTest, NoInfoGivesEmptyRecord) {
  PdfDocument document(PdfBuilder::WithPages({"x"}).Build());
  DocumentInfo info = ReadDocumentInfo(document);
  EXPECT_TRUE(info.Title.empty());
  EXPECT_FALSE(info.Created);
}

TEST(PdfDocumentInfoTest, DatesNeedEveryField) {
  EXPECT_EQ(ParsePdfDate("D:2009"), std::nullopt);
  EXPECT_EQ(ParsePdfDate("D:20091312000000"), std::nullopt); // month 13
  EXPECT_EQ(ParsePdfDate("20090512102030"), std::nullopt);
  EXPECT_EQ(ParsePdfDate("d:20090512102030"), (PdfDate{2009, 5, 12, 10, 20, 30}));
}

TEST(PdfDocumentInfoTest, LanguageTagsAreNotText) {
  EXPECT_EQ(DecodeTextString(std::string("\xFE\xFF\x00\x1B"
                                         "en\x00\x1B\x00"
                                         "A",
                                         10)),
            u"A");
}

} // namespace
} // namespace scrivlet::pdf
