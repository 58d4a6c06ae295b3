// A line end of the source that the text flows over (a PDF paragraph's
// lines): a blank in the views that flow text, a line end in the described
// output of formats that keep their lines.
#include "support/DocumentBuilder.h"
#include "writers/DescribedOutput.h"
#include "writers/JsonWriter.h"
#include "writers/MarkdownWriter.h"
#include "writers/PageWriter.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::BlockWith;
using test::DocumentOf;
using test::PieceOf;
using test::TextPiece;

// A paragraph of three source lines, the second ending in a hyphenated word.
Block ThreeLines() {
  return BlockWith(BlockKind::Paragraph,
                   {TextPiece(u"The first line"), PieceOf(InlineKind::SoftBreak),
                    TextPiece(u"and a hyphen-"), PieceOf(InlineKind::SoftBreak),
                    TextPiece(u"ated word", kBold)});
}

TEST(SoftBreak, BlockTextGivesABlankAndKeepsTheHyphen) {
  Block block = ThreeLines();
  EXPECT_EQ(block.Text(), u"The first line and a hyphen- ated word");
  EXPECT_EQ(block.VisibleText(), u"The first line and a hyphen- ated word");
}

TEST(SoftBreak, ThePageAndMarkdownFlowTheLines) {
  Document document = DocumentOf({ThreeLines()});
  PageOptions options;
  options.fileName = u"a.pdf";
  std::string page = PageDocument(document, options);
  EXPECT_NE(page.find(">The first line and a hyphen- <strong>ated word</strong></p>"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("<br>"), std::string::npos);
  std::string markdown = MarkdownDocument(document, {});
  EXPECT_NE(markdown.find("The first line and a hyphen- **ated word**\n"), std::string::npos)
      << markdown;
}

TEST(SoftBreak, JsonTextIsOneLine) {
  Document document = DocumentOf({ThreeLines()});
  JsonConversion conversion;
  conversion.file = "a.pdf";
  conversion.readerName = "pdf";
  std::string json = JsonDocument(document, TextLines(), nullptr, nullptr, conversion);
  EXPECT_NE(json.find("{\"type\": \"paragraph\", \"text\": \"The first line and a hyphen- ated "
                      "word\"}"),
            std::string::npos)
      << json;
}

TEST(SoftBreak, ThePdfDescribedOutputKeepsOneLinePerLine) {
  Document document = DocumentOf({ThreeLines()});
  document.markup = MarkupConvention::Pdf;
  document.textRead = document.textStarted = document.complete = true;
  TextLines lines = DescribedLines(document, DescribedOutputOptions{});
  bool found = false;
  for (int i = 0; i < lines.Count(); ++i)
    found = found || lines.Get(i) == u"The first line\r\nand a hyphen-\r\nated word";
  EXPECT_TRUE(found);
}

} // namespace
} // namespace scrivlet
