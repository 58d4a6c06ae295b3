// The PDF reader's text: one entry per page, in page order, between the
// prologue and epilogue of the output format.
#include "readers/pdf/PdfReader.h"
#include "support/ReaderHarness.h"

#include "core/Stream.h"
#include "support/ChildProcess.h"
#include "support/PdfBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scrivlet {
namespace {

using test::PdfBuilder;

std::string Document(const std::vector<std::string>& pageContents) {
  return PdfBuilder::HelveticaPages(pageContents);
}

std::vector<std::u16string> EntriesOf(const std::string& file,
                                      OutputFormat format = OutputFormat::PlainText) {
  test::ReaderHarness<PdfReader> reader;
  reader.SetTextFormating(format);
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  std::vector<std::u16string> entries;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    entries.push_back(reader.Lines().Get(i));
  return entries;
}

TEST(PdfReaderTextTest, OneEntryPerPageEmptyPagesIncluded) {
  std::string file = Document({"BT /F1 10 Tf 72 700 Td (Caf\\351) Tj 0 -20 Td (line two) Tj ET", "",
                               "BT /F1 10 Tf [(Hello)-333(World)] TJ ET"});
  // The pages' entries follow the prologue's, if the format has any.
  std::vector<std::u16string> pages = EntriesOf(file);
  ASSERT_GE(pages.size(), 3u);
  auto first = std::find(pages.begin(), pages.end(), u"Caf\u00E9\r\nline two");
  ASSERT_NE(first, pages.end());
  ASSERT_LT(first + 2, pages.end());
  EXPECT_EQ(first[1], u"");
  EXPECT_EQ(first[2], u"Hello World");
}

// The page's text is escaped as the format needs, and its lines are
// marked: a line break in HTML, \line in RTF, each block a paragraph.
TEST(PdfReaderTextTest, RtfAndHtmlEscapeTheTextAndMarkItsLines) {
  std::string file = Document({"BT /F1 10 Tf 72 700 Td (a<b> {c}) Tj 0 -12 Td (d\\\\e) Tj ET"});
  struct Case {
    OutputFormat format;
    std::u16string page;
  };
  const Case cases[] = {
      {OutputFormat::PlainText, u"a<b> {c}\r\nd\\e"},
      {OutputFormat::Html, u"<p>a&lt;b&gt; {c}<br>\r\nd\\e</p>"},
      {OutputFormat::Rtf, u"a<b> \\{c\\}\\line\r\nd\\\\e\\par"},
  };
  for (const Case& c : cases) {
    std::vector<std::u16string> entries = EntriesOf(file, c.format);
    EXPECT_NE(std::find(entries.begin(), entries.end(), c.page), entries.end())
        << static_cast<int>(c.format);
  }
}

// Marked content with /ActualText gives its text for the glyphs it spans
// (a font without the characters shows other glyphs); the text after the
// span is the glyphs' again.
TEST(PdfReaderTextTest, ActualTextReplacesTheGlyphsItSpans) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"/Span <</ActualText <FEFF4E2D6587>>> BDC BT /F1 10 Tf 72 700 Td (xx) Tj (yy) Tj ET EMC",
       u"\u4e2d\u6587"},
      {"/Span <</Lang (en) /ActualText (ok)>> BDC /P BMC BT /F1 10 Tf 72 700 Td (zz) Tj ET EMC EMC "
       "BT /F1 10 Tf 90 700 Td (after) Tj ET",
       u"ok after"},
      {"/P <</MCID 0>> BDC BT /F1 10 Tf 72 700 Td (plain) Tj ET EMC", u"plain"},
  };
  for (const auto& [content, text] : cases) {
    std::vector<std::u16string> entries = EntriesOf(Document({content}));
    EXPECT_NE(std::find(entries.begin(), entries.end(), text), entries.end()) << content;
  }
}

// A change of writing direction between letters, and a footnote's raised
// number before its text, keep their word boundary without a gap.
TEST(PdfReaderTextTest, DirectionChangesAndFootnoteNumbersKeepTheirWords) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"BT /F1 10 Tf 72 700 Td (habibi) Tj /Span <</ActualText <FEFF062D0628>>> BDC (xx) Tj EMC ET",
       u"habibi \u062d\u0628"},
      {"BT /F1 7 Tf 72 704 Td (1) Tj ET BT /F1 11 Tf 75.9 700 Td (Pub. L.) Tj ET", u"1 Pub. L."},
      {"BT /F1 11 Tf 72 700 Td (mc) Tj ET BT /F1 7 Tf 84.2 705 Td (2) Tj ET", u"mc2"},
  };
  for (const auto& [content, text] : cases) {
    std::vector<std::u16string> entries = EntriesOf(Document({content}));
    EXPECT_NE(std::find(entries.begin(), entries.end(), text), entries.end())
        << content << "\n"
        << (entries.size() > 1 ? std::string(entries[1].begin(), entries[1].end()) : "");
  }
}

TEST(PdfReaderTextTest, CommandLinePrintsThePageText) {
  test::TempDir dir;
  std::string file =
      dir.Write("words.pdf", Document({"BT /F1 10 Tf 72 700 Td (Hello) Tj 30 0 Td (World) Tj ET"}));
  test::ChildResult run = test::RunChild(SCRIVLET_CLI_PATH, {file}, {});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Hello World"), std::string::npos) << run.out;
}

} // namespace
} // namespace scrivlet
