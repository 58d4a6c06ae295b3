// The structure a Write document gives: alignment, marks and page breaks,
// through the model and through the described output, which stays as it
// was.
#include "core/CodePage.h"
#include "core/Stream.h"
#include "document/StructuredBlocks.h"
#include "readers/write/WriteReader.h"
#include "support/ReaderHarness.h"
#include "support/WriteBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::WriteBuilder;
using test::WriteCharProps;

Document ReadDocument(const std::string& file) {
  WriteReader reader;
  ReaderOptions options;
  Document document;
  reader.Read(file, "test.wri", options, document);
  return document;
}

std::string Convert(const std::string& file, OutputFormat format) {
  test::ReaderHarness<WriteReader> reader;
  reader.SetTextFormating(format);
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  return WideToAnsi(reader.Lines().Get(0));
}

// Paragraph property bytes with this justification.
std::string Justified(uint8_t justification) {
  std::string bytes(2, '\0');
  bytes[1] = static_cast<char>(justification);
  return bytes;
}

int32_t AlignmentOf(const Block& block) {
  for (const Inline& piece : block.content)
    if (piece.kind == InlineKind::Alignment)
      return piece.value;
  return 0;
}

TEST(WriteStructure, ParagraphsNotFlushLeftStartWithTheirAlignment) {
  WriteBuilder b;
  b.text = "left\r\ncentre\r\nright\r\n";
  b.AddRun(21);
  b.AddParagraph(6);
  b.AddParagraph(14, Justified(1));
  b.AddParagraph(21, Justified(2));
  b.AddFont(0, "Arial");
  const Document document = ReadDocument(b.Build());
  const auto& blocks = document.Main().blocks;
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(AlignmentOf(blocks[0]), 0);
  EXPECT_EQ(blocks[0].content.front().kind, InlineKind::Text);
  EXPECT_EQ(AlignmentOf(blocks[1]), 1);
  EXPECT_EQ(blocks[1].content.front().kind, InlineKind::Alignment);
  EXPECT_EQ(AlignmentOf(blocks[2]), 2);
  EXPECT_EQ(blocks[1].VisibleText(), u"centre");
  EXPECT_EQ(Convert(b.Build(), OutputFormat::PlainText), "left\r\ncentre\r\nright\r\n");
}

TEST(WriteStructure, MarksFromTheCharacterProperties) {
  WriteBuilder b;
  b.text = "iu low\r\n";
  WriteCharProps slanted, lowered;
  slanted.italic = true;
  slanted.underline = true;
  lowered.position = 10;
  b.AddRun(2, slanted.Bytes());
  b.AddRun(3);
  b.AddRun(8, lowered.Bytes());
  b.AddParagraph(8);
  const Document document = ReadDocument(b.Build());
  const auto& pieces = document.Main().blocks.at(0).content;
  ASSERT_GE(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].marks, kItalic | kUnderline);
  EXPECT_EQ(pieces[1].marks, 0);
  EXPECT_EQ(pieces[2].text, u"low");
  EXPECT_EQ(pieces[2].marks, kSubscript);
}

// A form feed that starts a paragraph (or a run) is a page break; the
// described output keeps it as the line feed it always showed.
TEST(WriteStructure, FormFeedStartsAPage) {
  WriteBuilder b;
  b.text = "One\r\n\fTwo\r\n\f";
  WriteCharProps bold;
  bold.bold = true;
  b.AddRun(5);
  b.AddRun(6); // the form feed alone
  b.AddRun(11, bold.Bytes());
  b.AddRun(12);
  b.AddParagraph(5);
  b.AddParagraph(11);
  b.AddParagraph(12);
  b.AddFont(0, "Arial");
  const std::string file = b.Build();
  const Document document = ReadDocument(file);
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[0].VisibleText(), u"One");
  EXPECT_EQ(blocks[1].kind, BlockKind::PageBreak);
  EXPECT_EQ(blocks[1].value, 0);
  EXPECT_EQ(blocks[2].VisibleText(), u"Two");
  EXPECT_EQ(blocks[3].kind, BlockKind::PageBreak);
  EXPECT_EQ(Convert(file, OutputFormat::PlainText), "One\r\n\nTwo\r\n\n");
  const std::string face = "<font face=\"Arial\" size=\"-1\">";
  const std::string html = Convert(file, OutputFormat::Html);
  // Runs that end where a paragraph starts show as empty runs, as always.
  EXPECT_NE(html.find("<p>" + face + "One\r</font></p><p>" + face + "</font>" + face + "\n</font>" +
                      face + "<b>Two\r</b></font></p><p>" + face + "<b></b></font>" + face +
                      "\n</font></p>"),
            std::string::npos)
      << html;
}

TEST(WriteStructure, FormFeedInsideARunStaysALineFeed) {
  WriteBuilder b;
  b.text = "a\fb\r\n";
  b.AddRun(5);
  b.AddParagraph(5);
  const Document document = ReadDocument(b.Build());
  ASSERT_EQ(document.Main().blocks.size(), 1u);
  EXPECT_EQ(document.Main().blocks[0].VisibleText(), u"a\nb");
}

} // namespace
} // namespace scrivlet
