#include "pdf/content/DocumentText.h"

#include "support/PdfBuilder.h"
#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace scrivlet::pdf {
namespace {

using test::ContentBuilder;
using test::PdfBuilder;

// A document of one page showing content under the resources entries;
// objects holds further objects by number (from 10 on).
std::string OnePage(const std::string& content, const std::string& resources,
                    const std::map<uint32_t, std::string>& objects = {}) {
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Put(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << " + resources +
                 " >> /Contents 4 0 R >>");
  pdf.Put(4, PdfBuilder::Stream("", content));
  for (const auto& [number, body] : objects)
    pdf.Put(number, body);
  pdf.Trailer = "/Root 1 0 R";
  return pdf.Build();
}

std::vector<std::u16string> PagesOf(const std::string& file, int legacyCodePage = 0) {
  PdfDocument document(file);
  DocumentText text(document, legacyCodePage);
  std::vector<std::u16string> pages;
  WalkPages(document, [&](PdfPage& page) { pages.push_back(text.PageText(page)); });
  return pages;
}

std::u16string TextOf(const std::string& file, int legacyCodePage = 0) {
  std::vector<std::u16string> pages = PagesOf(file, legacyCodePage);
  return pages.empty() ? u"<no page>" : pages.front();
}

const char* const kHelvetica =
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";

TEST(DocumentTextTest, StandardFontsWithWinAnsiAndMacRoman) {
  std::string content = "BT /F1 12 Tf 72 700 Td (Caf\\351 \\200 5) Tj 0 -14 Td /F2 12 Tf "
                        "(Caf\\216) Tj ET";
  std::string file = OnePage(content, "/Font << /F1 10 0 R /F2 11 0 R >>",
                             {{10, kHelvetica},
                              {11, "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman "
                                   "/Encoding /MacRomanEncoding >>"}});
  EXPECT_EQ(TextOf(file), u"Caf\u00E9 \u20AC 5\r\nCaf\u00E9");
}

TEST(DocumentTextTest, DifferencesWithGlyphNamesInAnIndirectEncoding) {
  std::string file =
      OnePage("BT /F1 10 Tf 72 700 Td (\\001\\002\\003 it's) Tj ET", "/Font << /F1 10 0 R >>",
              {{10, "<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+Minion /Encoding 11 0 R "
                    "/FirstChar 1 /LastChar 3 /Widths 12 0 R >>"},
               {11, "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [1 /germandbls "
                    "/Euro /uni00FE 39 /quoteright] >>"},
               {12, "[500 500 500]"}});
  EXPECT_EQ(TextOf(file), u"\u00DF\u20AC\u00FE it\u2019s");
}

TEST(DocumentTextTest, FontWithoutEncodingReadsStandardEncoding) {
  std::string file = OnePage("BT /F1 10 Tf (Stra\\373e) Tj ET", "/Font << /F1 10 0 R >>",
                             {{10, "<< /Type /Font /Subtype /TrueType /BaseFont /Georgia "
                                   "/FontDescriptor 11 0 R >>"},
                              {11, "<< /Type /FontDescriptor /FontName /Georgia /Flags 32 >>"}});
  EXPECT_EQ(TextOf(file), u"Stra\u00DFe");
  // A legacy code page reads the bytes as that code page instead.
  EXPECT_EQ(TextOf(file, 1251), u"Stra\u044Be");
}

TEST(DocumentTextTest, Type3FontWithDifferencesAndFontMatrix) {
  std::string file = OnePage(
      "BT /T3 12 Tf [<0102> -2000 <03>] TJ ET", "/Font << /T3 10 0 R >>",
      {{10, "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 10 10] /FontMatrix [0.1 0 0 0.1 0 0] "
            "/CharProcs << >> /Encoding << /Type /Encoding /Differences [1 /O /K /period] >> "
            "/FirstChar 1 /LastChar 3 /Widths [6 6 3] >>"}});
  // The TJ move of 2000 thousandths is two ems: a word space.
  EXPECT_EQ(TextOf(file), u"OK .");
}

std::string TrueTypeProgram() {
  return test::BuildTrueTypeFont(
      40,
      {{3, 1, 4, {{'H', 11}, {'e', 12}, {'l', 13}, {'o', 14}, {'W', 15}, {'r', 16}, {'d', 17}}}});
}

std::map<uint32_t, std::string> IdentityFont(const std::string& toUnicode) {
  std::map<uint32_t, std::string> objects{
      {10, "<< /Type /Font /Subtype /Type0 /BaseFont /ABCDEF+Arial /Encoding /Identity-H "
           "/DescendantFonts [11 0 R]" +
               std::string(toUnicode.empty() ? "" : " /ToUnicode 14 0 R") + " >>"},
      {11, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /ABCDEF+Arial /CIDSystemInfo "
           "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor 12 0 R "
           "/W 15 0 R /DW 1000 /CIDToGIDMap /Identity >>"},
      {12, "<< /Type /FontDescriptor /FontName /ABCDEF+Arial /Flags 4 /FontFile2 13 0 R >>"},
      {13, PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(TrueTypeProgram()))},
      {15, "[11 [722 556 222 222 556] 15 [944] 16 17 500]"}};
  if (!toUnicode.empty())
    objects[14] = PdfBuilder::Stream("", toUnicode);
  return objects;
}

const char* const kHelloWorldGlyphs = "BT /F1 10 Tf [<000B000C000D000D000E> -300 "
                                      "<000F000E0010000D0011>] TJ ET";

TEST(DocumentTextTest, TrueTypeIdentityFontWithoutToUnicodeReadsItsCmap) {
  std::string file = OnePage(kHelloWorldGlyphs, "/Font << /F1 10 0 R >>", IdentityFont(""));
  EXPECT_EQ(TextOf(file), u"Hello World");
}

TEST(DocumentTextTest, TrueTypeIdentityFontWithToUnicode) {
  std::string toUnicode = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                          "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                          "2 beginbfchar <000B> <0048> <000C> <00E9> endbfchar\n"
                          "2 beginbfrange <000D> <000E> [<006C> <D835DC28>]\n"
                          "<000F> <0011> <0061> endbfrange\nendcmap end end";
  std::string file = OnePage(kHelloWorldGlyphs, "/Font << /F1 10 0 R >>", IdentityFont(toUnicode));
  EXPECT_EQ(TextOf(file), u"H\u00E9ll\U0001D428 a\U0001D428blc");
}

TEST(DocumentTextTest, ShiftJisCMapFont) {
  std::string file =
      OnePage("BT /F1 10 Tf (\x93\xfa\x96\x7b\x8c\xea abc) Tj ET", "/Font << /F1 10 0 R >>",
              {{10, "<< /Type /Font /Subtype /Type0 /BaseFont /MS-Mincho /Encoding /90ms-RKSJ-H "
                    "/DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 /BaseFont /MS-Mincho "
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> "
                    "/DW 1000 >>] >>"}});
  EXPECT_EQ(TextOf(file), u"\u65E5\u672C\u8A9E abc");
}

TEST(DocumentTextTest, CidFontOfACollectionWithoutMapsUsesTheCollectionMap) {
  if (!std::filesystem::exists("/usr/share/poppler/cMap/Adobe-Japan1/Adobe-Japan1-UCS2"))
    GTEST_SKIP() << "poppler-data is not installed: no collection maps";
  std::string file = OnePage(
      "BT /F1 10 Tf <0022034B> Tj ET", "/Font << /F1 10 0 R >>",
      {{10, "<< /Type /Font /Subtype /Type0 /BaseFont /Ryumin /Encoding /Identity-H "
            "/DescendantFonts [11 0 R] >>"},
       {11, "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Ryumin /CIDSystemInfo 12 0 R >>"},
       {12, "<< /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >>"}});
  EXPECT_EQ(TextOf(file), u"A\u3042");
}

TEST(DocumentTextTest, FormsShownTwiceWithTheirOwnAndInheritedFonts) {
  std::string file = OnePage(
      "q 1 0 0 1 72 700 cm /Fm1 Do Q q 1 0 0 1 72 600 cm /Fm1 Do Q /Fm2 Do",
      "/Font << /F1 10 0 R >> /XObject << /Fm1 11 0 R /Fm2 12 0 R /Im1 13 0 R >>",
      {{10, kHelvetica},
       {11, PdfBuilder::Stream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                               "/Resources << /Font << /FX 14 0 R >> >>",
                               "BT /FX 10 Tf (S) Tj ET")},
       {12, PdfBuilder::Stream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                               "/Matrix [1 0 0 1 0 100] /Resources << /XObject << /Me 12 0 R >> >>",
                               "BT /F1 10 Tf (footer) Tj ET /Me Do")},
       {13, PdfBuilder::Stream("/Type /XObject /Subtype /Image /Width 1 /Height 1", "x")},
       {14, "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>"}});
  // The form's own Symbol font shows Sigma; the second form finds F1 in
  // the page's fonts and shows itself only once.
  EXPECT_EQ(TextOf(file), u"\u03A3\r\n\u03A3\r\nfooter");
}

// Forms that share one resources dictionary naming them all, each showing
// ten others: every form shown under another used to index that dictionary
// again (and keep the index), so the work grew with forms shown times the
// dictionary's entries.  Now the dictionary is read once; the runs end at
// the form budget.
// Forms that draw each other, each under one of `dictionaries` equal
// resources dictionaries naming them all (form i under dictionary i modulo
// their count), shown until the form budget ends the page.  Returns the
// work the document spent per byte of the file.
double WorkPerByteOfNestedForms(int dictionaries) {
  constexpr int kForms = 200;
  std::string names;
  for (int i = 0; i < kForms; ++i)
    names += "/X" + std::to_string(i) + " " + std::to_string(20 + i) + " 0 R ";
  std::map<uint32_t, std::string> objects{{10, kHelvetica}};
  for (int d = 0; d < dictionaries; ++d)
    objects[11 + d] = "<< /Font << /F1 10 0 R >> /XObject << " + names + ">> >>";
  for (int i = 0; i < kForms; ++i) {
    std::string draws;
    for (int k = 1; k <= 10; ++k)
      draws += "/X" + std::to_string((i + 7 * k) % kForms) + " Do\n";
    objects[20 + i] = PdfBuilder::Stream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                         "/Resources " +
                                             std::to_string(11 + i % dictionaries) + " 0 R",
                                         "BT /F1 10 Tf (form) Tj ET\n" + draws);
  }
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Put(3, "<< /Type /Page /Parent 2 0 R /Resources 11 0 R /Contents 4 0 R >>");
  pdf.Put(4, PdfBuilder::Stream("", "/X0 Do"));
  for (const auto& [number, body] : objects)
    pdf.Put(number, body);
  pdf.Trailer = "/Root 1 0 R";
  std::string file = pdf.Build();

  PdfDocument document(file);
  const uint64_t formBudget = 2 << 20; // some ten thousand forms shown
  DocumentText text(document, 0, formBudget);
  std::vector<PdfPage> pages;
  WalkPages(document, [&](PdfPage& page) { pages.push_back(page); });
  EXPECT_EQ(pages.size(), 1u);
  if (pages.size() == 1) {
    EXPECT_THROW(text.PageText(pages.front()), LimitExceeded);
  }
  return double(document.Budget().WorkSpent()) / double(file.size());
}

TEST(DocumentTextTest, FormsSharingOneResourcesDictionaryReadItOnce) {
  // Each object parsed once or a few times; indexing the dictionary per
  // form shown cost some 3 KB each, about 15 MB in all.
  EXPECT_LT(WorkPerByteOfNestedForms(1), 4.0);
}

TEST(DocumentTextTest, FormsUnderAlternatingResourcesAreReadOnce) {
  // A form's resources are never its caller's here, so each form shown
  // gets resources of its own; reading the form's dictionary and finding
  // the end of its resources dictionary again for each took the
  // dictionary's 3 KB per form shown.
  EXPECT_LT(WorkPerByteOfNestedForms(2), 4.0);
}

// Pages with resources of their own that all name one font dictionary of
// many entries: the dictionary is found and indexed once, not once a page
// (which read and kept an index of its 20,000 entries for each page).
TEST(DocumentTextTest, PagesNamingOneLargeFontDictionaryIndexItOnce) {
  constexpr int kPages = 100;
  PdfBuilder pdf;
  std::string names;
  for (int i = 0; i < 20000; ++i)
    names += "/F" + std::to_string(i) + " 10 0 R ";
  pdf.Put(10, kHelvetica);
  pdf.Put(11, "<< " + names + ">>");
  pdf.Put(12, PdfBuilder::Stream("", "BT /F7 10 Tf (shared) Tj ET"));
  std::string kids;
  for (int i = 0; i < kPages; ++i) {
    uint32_t page = 100 + i;
    pdf.Put(page, "<< /Type /Page /Parent 2 0 R /Resources << /Font 11 0 R >> /Contents 12 0 R >>");
    kids += std::to_string(page) + " 0 R ";
  }
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(kPages) + " >>");
  pdf.Trailer = "/Root 1 0 R";
  std::string file = pdf.Build();
  PdfDocument document(file);
  DocumentText text(document);
  std::vector<std::u16string> pages;
  WalkPages(document, [&](PdfPage& page) { pages.push_back(text.PageText(page)); });
  ASSERT_EQ(pages.size(), size_t{kPages});
  EXPECT_EQ(pages.back(), u"shared");
  EXPECT_LT(document.Budget().WorkSpent(), 4 * file.size());
  EXPECT_LT(document.Budget().MemorySpent(), 20 * file.size());
}

// 300,000 fonts written inline (8.4 MB) took a record of some kilobytes
// each, 1.1 GB before the records budget stopped them.  Fonts alike share
// a record: base font names that are no standard font make no difference,
// a standard font or widths of their own do.
TEST(DocumentTextTest, FontsAlikeShareOneRecord) {
  std::string fonts, content = "BT ";
  for (int i = 0; i < 3000; ++i) {
    std::string name = "/F" + std::to_string(i);
    fonts += name + " << /Subtype /Type1 /BaseFont /B" + std::to_string(i) + " >> ";
    content += name + " 10 Tf (a) Tj ";
  }
  fonts += "/H << /Subtype /Type1 /BaseFont /Helvetica >> /W << /Subtype /Type1 /BaseFont /B "
           "/FirstChar 97 /Widths [250] >>";
  content += "/H 10 Tf (b) Tj /W 10 Tf (c) Tj ET";
  PdfDocument document(OnePage(content, "/Font << " + fonts + " >>"));
  DocumentText text(document);
  std::vector<std::u16string> pages;
  WalkPages(document, [&](PdfPage& page) { pages.push_back(text.PageText(page)); });
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], std::u16string(3000, u'a') + u"bc");
  EXPECT_EQ(text.FontRecordCount(), 3u);
}

TEST(DocumentTextTest, WordSpacesAndLineMovesOnARealPage) {
  std::string content = "BT /F1 10 Tf 12 TL 72 700 Td (Hello) Tj 30 0 Td (World) Tj T* "
                        "[(Second)-333(line)] TJ (Third line) ' ET";
  std::string file = OnePage(content, "/Font << /F1 10 0 R >>", {{10, kHelvetica}});
  EXPECT_EQ(TextOf(file), u"Hello World\r\nSecond line\r\nThird line");
}

TEST(DocumentTextTest, FontNamesDifferingInCaseAndUnknownFonts) {
  std::string file = OnePage("BT /f1 10 Tf (\\351) Tj /F9 10 Tf (\\351) Tj ET",
                             "/Font << /F1 10 0 R >>", {{10, kHelvetica}});
  // An unknown font name shows WinAnsi text.
  EXPECT_EQ(TextOf(file), u"\u00E9\u00E9");
}

TEST(DocumentTextTest, PagesWithoutContentOrFontsGiveEmptyText) {
  std::string file = OnePage("", "");
  EXPECT_EQ(TextOf(file), u"");
}

TEST(DocumentTextTest, DamagedFontObjectsNeverFail) {
  std::string file =
      OnePage("BT /F1 10 Tf (abc) Tj /F2 10 Tf <0041> Tj ET", "/Font << /F1 10 0 R /F2 11 0 R >>",
              {{10, "<< /Subtype /Type1 /Encoding 10 0 R /Widths 10 0 R "
                    "/FontDescriptor 99 0 R /ToUnicode 10 0 R >>"},
               {11, "<< /Subtype /Type0 /Encoding 11 0 R /DescendantFonts 11 0 R "
                    "/W [1 [2 [3]]] >>"}});
  std::u16string text = TextOf(file);
  EXPECT_EQ(text.substr(0, 3), u"abc");
}

} // namespace
} // namespace scrivlet::pdf

namespace scrivlet::pdf {
namespace {

TEST(DocumentTextTest, EachPageGivesOneTextInPageOrder) {
  PdfBuilder pdf = PdfBuilder::WithPages({"BT /F1 10 Tf (one) Tj ET", "", "BT (three) Tj ET"});
  std::string file = pdf.Build();
  PdfDocument document(file);
  std::vector<std::u16string> pages;
  ForEachPageText(document, [&](const std::u16string& page) { pages.push_back(page); });
  EXPECT_EQ(pages, (std::vector<std::u16string>{u"one", u"", u"three"}));
}

} // namespace
} // namespace scrivlet::pdf
