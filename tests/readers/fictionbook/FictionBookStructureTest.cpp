#include "core/Stream.h"
#include "document/StructuredBlocks.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "support/ReaderHarness.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

Document Read(const std::string& xml) {
  Document document;
  FictionBookReader reader;
  reader.Read(xml, "book.fb2", ReaderOptions(), document);
  return document;
}

std::string Book(const std::string& body, const std::string& notes = "") {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook "
         "xmlns:l=\"http://www.w3.org/1999/xlink\"><body>" +
         body + "</body>" + notes + "</FictionBook>";
}

std::vector<std::u16string> Lines(const std::string& xml, OutputFormat format) {
  test::ReaderHarness<FictionBookReader> reader;
  reader.SetTextFormating(format);
  MemoryStream stream{std::string(xml)};
  reader.LoadFromStream(stream);
  std::vector<std::u16string> lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

// Sections nested depth deep, each with a title naming its depth.
std::string NestedSections(int depth) {
  std::string open, close;
  for (int i = 1; i <= depth; ++i) {
    open += "<section><title><p>Depth " + std::to_string(i) + "</p></title>";
    close += "</section>";
  }
  return open + close;
}

TEST(FictionBookStructure, TitlesAreHeadingsBySectionDepth) {
  Document document =
      Read(Book("<title><p>Book</p><p>Second line</p></title>" + NestedSections(9)));
  std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 10u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Heading);
  EXPECT_EQ(blocks[0].level, 1);
  EXPECT_EQ(blocks[0].VisibleText(), u"Book\nSecond line");
  for (int depth = 1; depth <= 9; ++depth) {
    const Block& heading = blocks[static_cast<size_t>(depth)];
    EXPECT_EQ(heading.kind, BlockKind::Heading);
    EXPECT_EQ(heading.level, std::min(depth + 1, 9)) << depth;
    EXPECT_EQ(heading.Text(), u"Depth " + std::u16string(1, char16_t(u'0' + depth)));
  }
}

TEST(FictionBookStructure, SubtitlesPoemsEpigraphsAndCites) {
  Document document =
      Read(Book("<section><title><p>Chapter</p></title><subtitle>Sub</subtitle>"
                "<epigraph><p>Epi</p><text-author>Author</text-author></epigraph>"
                "<poem><title><p>Poem</p></title><stanza><v>Line one</v><v>Line two</v></stanza>"
                "<date>April 2018</date></poem>"
                "<cite><p>Cited</p></cite><p>After</p></section>"));
  std::vector<Block> blocks = StructuredBlocks(document.Main());
  std::vector<std::pair<BlockKind, std::u16string>> expected = {
      {BlockKind::Heading, u"Chapter"},    {BlockKind::Heading, u"Sub"},
      {BlockKind::Quote, u"Epi"},          {BlockKind::Quote, u"Author"},
      {BlockKind::Heading, u"Poem"},       {BlockKind::Paragraph, u"Line one"},
      {BlockKind::Paragraph, u"Line two"}, {BlockKind::Paragraph, u"April 2018"},
      {BlockKind::Quote, u"Cited"},        {BlockKind::Paragraph, u"After"}};
  ASSERT_EQ(blocks.size(), expected.size());
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].kind, expected[i].first) << i;
    EXPECT_EQ(blocks[i].Text(), expected[i].second) << i;
  }
  EXPECT_EQ(blocks[1].level, 2); // the section's level, as the title's
}

TEST(FictionBookStructure, MarksAndLinks) {
  Document document = Read(Book("<p>Plain <emphasis>it</emphasis> <strong>bold "
                                "<emphasis>both</emphasis></strong> <strikethrough>st"
                                "</strikethrough> H<sub>2</sub>O x<sup>2</sup> <code>c</code> "
                                "<a l:href=\"http://e.org/\">link</a></p>"));
  const std::vector<Inline>& pieces = document.Main().blocks.at(0).content;
  auto find = [&](std::u16string_view text) -> const Inline& {
    for (const Inline& piece : pieces)
      if (piece.text == text)
        return piece;
    ADD_FAILURE() << "no piece";
    return pieces.front();
  };
  EXPECT_EQ(document.Main().blocks[0].Text(), u"Plain it bold both st H2O x2 c link");
  EXPECT_EQ(find(u"Plain ").marks, 0);
  EXPECT_EQ(find(u"it").marks, kItalic);
  EXPECT_EQ(find(u"bold").marks, kBold);
  EXPECT_EQ(find(u"both").marks, kBold | kItalic);
  EXPECT_EQ(find(u"st").marks, kStrike);
  EXPECT_EQ(find(u"2").marks, kSubscript);
  EXPECT_EQ(find(u"c").marks, kCode);
  EXPECT_EQ(find(u"link").target, u"http://e.org/");
}

TEST(FictionBookStructure, TableWithMergedCell) {
  Document document = Read(Book("<table><tr><th colspan=\"2\">Wide</th></tr>"
                                "<tr><td>a</td><td>b</td></tr></table>"));
  std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].kind, BlockKind::Table);
  ASSERT_EQ(blocks[0].rows.size(), 2u);
  ASSERT_EQ(blocks[0].rows[0].cells.size(), 1u);
  EXPECT_EQ(blocks[0].rows[0].cells[0].columnSpan, 2);
  EXPECT_EQ(blocks[0].rows[0].cells[0].blocks.at(0).Text(), u"Wide");
  EXPECT_TRUE(blocks[0].rows[0].cells[0].header); // th
  ASSERT_EQ(blocks[0].rows[1].cells.size(), 2u);
  EXPECT_FALSE(blocks[0].rows[1].cells[0].header);
  EXPECT_EQ(blocks[0].rows[1].cells[1].blocks.at(0).Text(), u"b");
}

const char* kNotes = "<body name=\"notes\"><title><p>Notes</p></title>"
                     "<section id=\"n1\"><title><p>Note 1</p></title><p>First note.</p>"
                     "<p>More <a l:href=\"#n2\" type=\"note\">2</a>.</p></section>"
                     "<section id=\"n2\"><title><p>[2]</p></title><p>Second.</p></section>"
                     "</body><body name=\"comments\"><section><section id=\"c1\">"
                     "<p>A comment.</p></section></section></body>";

TEST(FictionBookStructure, NotesBodyGivesNotes) {
  Document document = Read(Book("<section><p>Text<a l:href=\"#n1\" type=\"note\">[1]</a> and "
                                "<a l:href=\"#n2\" type=\"note\">2</a>, "
                                "<a l:href=\"#nowhere\" type=\"note\">3</a>.</p></section>",
                                kNotes));
  ASSERT_EQ(document.notes.size(), 3u);
  EXPECT_EQ(document.notes[0].id, u"n1");
  EXPECT_EQ(document.notes[0].label, u"1");
  ASSERT_EQ(document.notes[0].blocks.size(), 2u); // the title is no part of it
  EXPECT_EQ(document.notes[0].blocks[0].Text(), u"First note.");
  EXPECT_EQ(document.notes[0].blocks[1].Text(), u"More [2].");
  EXPECT_EQ(document.notes[1].label, u"2");
  EXPECT_EQ(document.notes[2].id, u"c1");
  EXPECT_EQ(document.notes[2].label, u"3"); // no title and no reference: its number
  const Block& paragraph = document.Main().blocks.at(0);
  EXPECT_EQ(paragraph.Text(), u"Text[1] and [2], 3.");
  ASSERT_GE(paragraph.content.size(), 2u);
  EXPECT_EQ(paragraph.content[1].kind, InlineKind::NoteReference);
  EXPECT_EQ(paragraph.content[1].target, u"n1");
  EXPECT_EQ(paragraph.content[1].text, u"1");
}

TEST(FictionBookStructure, DescribedOutputKeepsALinePerTitleParagraph) {
  const std::string book = Book("<title><p>Book</p><p>Second</p></title><section><title><p>"
                                "One</p></title><table><tr><td>a</td></tr></table></section>");
  EXPECT_EQ(Lines(book, OutputFormat::PlainText),
            (std::vector<std::u16string>{u"", u"Book", u"Second", u"One", u"a", u"", u""}));
  std::vector<std::u16string> html = Lines(book, OutputFormat::Html);
  EXPECT_NE(std::find(html.begin(), html.end(), u"<p>Second</p>"), html.end());
  EXPECT_NE(std::find(html.begin(), html.end(), u"<p>One</p>"), html.end());
}

TEST(FictionBookStructure, DescribedOutputListsNotesAfterTheText) {
  std::vector<std::u16string> lines = Lines(
      Book("<p>Text<a l:href=\"#n2\" type=\"note\">[2]</a></p>", kNotes), OutputFormat::PlainText);
  ASSERT_GE(lines.size(), 4u); // after the prologue's entry
  EXPECT_EQ(lines[1], u"Text[2]");
  EXPECT_EQ(lines[2], u"");
  EXPECT_EQ(lines[3], u"[2] Second.");
}

} // namespace
} // namespace scrivlet
