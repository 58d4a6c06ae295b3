#include "core/Stream.h"
#include "document/StructuredBlocks.h"
#include "readers/epub/EpubReader.h"
#include "support/EpubBuilder.h"
#include "support/ReaderHarness.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

Document Read(const test::EpubBuilder& book) {
  Document document;
  EpubReader reader;
  reader.Read(book.Build(), "book.epub", ReaderOptions(), document);
  return document;
}

std::vector<Block> Blocks(const std::string& body) {
  return StructuredBlocks(Read(test::EpubBuilder().Chapter("c.xhtml", body)).Main());
}

std::vector<std::u16string> Lines(const std::string& body, OutputFormat format) {
  test::ReaderHarness<EpubReader> reader;
  reader.SetTextFormating(format);
  MemoryStream stream(test::EpubBuilder().Chapter("c.xhtml", body).Build());
  reader.LoadFromStream(stream);
  std::vector<std::u16string> lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

TEST(EpubStructure, HeadingsOfEachLevel) {
  std::vector<Block> blocks = Blocks("<h1>One</h1><h2>Two</h2><h3>Three</h3><h4>Four</h4>"
                                     "<h5>Five</h5><h6>Six</h6><p>Text</p>");
  ASSERT_EQ(blocks.size(), 7u);
  for (int level = 1; level <= 6; ++level) {
    EXPECT_EQ(blocks[static_cast<size_t>(level - 1)].kind, BlockKind::Heading);
    EXPECT_EQ(blocks[static_cast<size_t>(level - 1)].level, level);
  }
  EXPECT_EQ(blocks[6].kind, BlockKind::Paragraph);
}

TEST(EpubStructure, NestedListsKeepTheirLevelsAndItemText) {
  std::vector<Block> blocks = Blocks("<ul><li>A<ul><li>A1</li><li><p>A2</p></li></ul></li>"
                                     "<li>B</li></ul><ol><li>First</li><li>Second</li></ol>");
  std::vector<std::tuple<std::u16string, int, bool>> expected = {
      {u"A", 1, false}, {u"A1", 2, false},   {u"A2", 2, false},
      {u"B", 1, false}, {u"First", 1, true}, {u"Second", 1, true}};
  ASSERT_EQ(blocks.size(), expected.size());
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].kind, BlockKind::ListItem) << i;
    EXPECT_EQ(blocks[i].Text(), std::get<0>(expected[i])) << i;
    EXPECT_EQ(blocks[i].level, std::get<1>(expected[i])) << i;
    EXPECT_EQ(blocks[i].ordered, std::get<2>(expected[i])) << i;
  }
  EXPECT_EQ(blocks[5].value, 2);
}

TEST(EpubStructure, TableOfContentsIsNoList) {
  std::vector<Block> blocks = Blocks("<nav epub:type=\"toc\"><ol><li><a href=\"c.xhtml\">One</a>"
                                     "</li></ol></nav><ul><li>Item</li></ul>");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Paragraph);
  EXPECT_EQ(blocks[1].kind, BlockKind::ListItem);
}

TEST(EpubStructure, TableWithMergedCellQuoteAndPreformatted) {
  std::vector<Block> blocks = Blocks("<table><thead><tr><th colspan=\"2\">Wide</th></tr></thead>"
                                     "<tbody><tr><td>a</td><td><p>b</p></td></tr></tbody></table>"
                                     "<blockquote><p>Quoted</p></blockquote><pre>code here</pre>");
  ASSERT_EQ(blocks.size(), 3u);
  ASSERT_EQ(blocks[0].kind, BlockKind::Table);
  ASSERT_EQ(blocks[0].rows.size(), 2u);
  EXPECT_EQ(blocks[0].rows[0].cells.at(0).columnSpan, 2);
  EXPECT_EQ(blocks[0].rows[0].cells.at(0).blocks.at(0).Text(), u"Wide");
  EXPECT_TRUE(blocks[0].rows[0].cells.at(0).header); // th
  ASSERT_EQ(blocks[0].rows[1].cells.size(), 2u);
  EXPECT_FALSE(blocks[0].rows[1].cells[0].header);
  EXPECT_EQ(blocks[0].rows[1].cells[1].blocks.at(0).Text(), u"b");
  EXPECT_EQ(blocks[1].kind, BlockKind::Quote);
  EXPECT_EQ(blocks[2].kind, BlockKind::Preformatted);
  EXPECT_EQ(blocks[2].Text(), u"code here");
}

TEST(EpubStructure, MarksLinksAndLineBreaks) {
  std::vector<Block> blocks =
      Blocks("<p><em>it</em> <b>bo</b> <u>un</u> <del>de</del> x<sup>2</sup> H<sub>2</sub> "
             "<code>co</code> <a href=\"http://e.org/\">link</a><br/>next</p>");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].Text(), u"it bo un de x2 H2 co linknext");
  EXPECT_EQ(blocks[0].VisibleText(), u"it bo un de x2 H2 co link\nnext");
  Marks all = 0;
  bool linked = false;
  for (const Inline& piece : blocks[0].content) {
    all |= piece.marks;
    linked = linked || (piece.text == u"link" && piece.target == u"http://e.org/");
  }
  EXPECT_EQ(all, kItalic | kBold | kUnderline | kStrike | kSuperscript | kSubscript | kCode);
  EXPECT_TRUE(linked);
}

TEST(EpubStructure, MarkedFootnotesBecomeNotes) {
  Document document = Read(test::EpubBuilder().Chapter(
      "c.xhtml", "<p>Text<a epub:type=\"noteref\" href=\"#fn1\">[1]</a> and "
                 "<a epub:type=\"noteref\" href=\"#gone\">2</a>.</p>"
                 "<aside epub:type=\"footnote\" id=\"fn1\"><p>The note.</p></aside>"
                 "<p>After</p>"));
  ASSERT_EQ(document.notes.size(), 1u);
  EXPECT_EQ(document.notes[0].id, u"fn1");
  EXPECT_EQ(document.notes[0].label, u"1");
  ASSERT_EQ(document.notes[0].blocks.size(), 1u);
  EXPECT_EQ(document.notes[0].blocks[0].Text(), u"The note.");
  std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 2u);
  // A reference to no note stays the link it was.
  EXPECT_EQ(blocks[0].Text(), u"Text[1] and 2.");
  EXPECT_EQ(blocks[1].Text(), u"After");
}

// A note's back-link to its reference is no part of its text, as pandoc
// ("↩︎") and LibreOffice (its number first) write it; plain links of a
// label to an element whose id names a note make it a note.
TEST(EpubStructure, BackLinksLeaveTheNoteAndPlainLinksFindTheirNotes) {
  const std::string cases[] = {
      "<p>Text<a epub:type=\"noteref\" href=\"#fn1\" id=\"r1\">1</a></p><aside "
      "epub:type=\"footnote\" id=\"fn1\"><p>The note.<a href=\"#r1\" role=\"doc-backlink\">"
      "↩︎</a></p></aside>",
      "<p>Text<a epub:type=\"noteref\" href=\"#ftn1\" id=\"b1\">1</a></p><aside "
      "epub:type=\"footnote\" id=\"ftn1\"><p><a href=\"#b1\">1</a>The note.</p></aside>",
      "<p>Text<a href=\"#footnote-1\" id=\"footnote-1-backlink\">[1]</a></p><aside "
      "id=\"footnotes\"><article id=\"footnote-1\"><p>[<a href=\"#footnote-1-backlink\">1</a>]"
      " The note.</p></article></aside>",
  };
  for (const std::string& body : cases) {
    Document document = Read(test::EpubBuilder().Chapter("c.xhtml", body));
    ASSERT_EQ(document.notes.size(), 1u) << body;
    EXPECT_EQ(document.notes[0].label, u"1") << body;
    ASSERT_EQ(document.notes[0].blocks.size(), 1u) << body;
    EXPECT_EQ(document.notes[0].blocks[0].Text(), u"The note.") << body;
    EXPECT_EQ(StructuredBlocks(document.Main()).at(0).Text(), u"Text[1]") << body;
  }
  // A link to another place of the book (a line of the poem) is text.
  Document lines = Read(test::EpubBuilder().Chapter(
      "c.xhtml", "<p id=\"ln23\">Line<a epub:type=\"noteref\" href=\"#n\">*</a></p><div "
                 "epub:type=\"rearnote\" id=\"n\"><p><a href=\"#ln23\">23.</a> Cf.</p></div>"));
  ASSERT_EQ(lines.notes.size(), 1u);
  EXPECT_EQ(lines.notes[0].blocks.at(0).Text(), u"23. Cf.");
}

TEST(EpubStructure, NotesInAnotherChapterAndUnreferenced) {
  Document document = Read(test::EpubBuilder()
                               .Chapter("a.xhtml", "<p>See<a epub:type=\"noteref\" "
                                                   "href=\"b.xhtml#n\">*</a></p>")
                               .Chapter("b.xhtml", "<div epub:type=\"rearnote\" id=\"n\"><p>Rear."
                                                   "</p></div><aside epub:type=\"endnote\" "
                                                   "id=\"e\"><p>Alone.</p></aside>"));
  ASSERT_EQ(document.notes.size(), 2u);
  EXPECT_EQ(document.notes[0].label, u"*");
  EXPECT_EQ(document.notes[1].label, u"2");
  EXPECT_EQ(document.notes[1].blocks.at(0).Text(), u"Alone.");
  EXPECT_EQ(StructuredBlocks(document.Main()).at(0).Text(), u"See[*]");
}

TEST(EpubStructure, DescribedOutputKeepsItsEntries) {
  // The list item's own text beside its nested list never was an entry.
  const std::string body = "<h2>Head</h2><ul><li>A<ul><li>A1</li></ul></li></ul>"
                           "<table><tr><td>a</td></tr></table><blockquote>q</blockquote>";
  std::vector<std::u16string> html = Lines(body, OutputFormat::Html);
  for (std::u16string_view entry : {u"<h2>Head</h2>", u"<p>A1</p>", u"<p>a</p>", u"<p>q</p>"})
    EXPECT_NE(std::find(html.begin(), html.end(), entry), html.end());
  EXPECT_EQ(std::find(html.begin(), html.end(), u"<p>A</p>"), html.end());
}

TEST(EpubStructure, RubyKeepsItsBaseTextWithoutTheReading) {
  const std::string body =
      "<p><ruby>\xE5\xB1\xB1\xE8\xB7\xAF<rp>(</rp><rt>\xE3\x82\x84\xE3\x81\xBE\xE3\x81\xBF"
      "\xE3\x81\xA1</rt><rp>)</rp></ruby>\xE3\x82\x92 <em><ruby>A<rt>a</rt>B<rt>b</rt></ruby></em>"
      "</p><h2>T<ruby>x<rt>ex</rt></ruby></h2>";
  std::vector<Block> blocks = Blocks(body);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].Text(), u"\u5C71\u8DEF\u3092 AB");
  // The reading between the base letters leaves the mark's piece whole.
  ASSERT_FALSE(blocks[0].content.empty());
  EXPECT_EQ(blocks[0].content.back().text, u"AB");
  EXPECT_EQ(blocks[0].content.back().marks, kItalic);
  EXPECT_EQ(blocks[1].kind, BlockKind::Heading);
  EXPECT_EQ(blocks[1].Text(), u"Tx");
  std::vector<std::u16string> lines = Lines(body, OutputFormat::PlainText);
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"\u5C71\u8DEF\u3092 AB"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), u"Tx"), lines.end());
}

// An equation is a line of text built from its structure: never dropped.
TEST(EpubStructure, MathMlAsLinearText) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"<mi>x</mi><mo>=</mo><msup><mi>r</mi><mn>2</mn></msup>", u"x=r²"},
      {"<msup><mi>e</mi><mrow><mo>−</mo><mi>x</mi></mrow></msup>", u"e^(−x)"},
      {"<mfrac><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mi>c</mi></mfrac>", u"(a+b)/c"},
      {"<msqrt><mi>x</mi><mo>+</mo><mn>1</mn></msqrt>", u"√(x+1)"},
      {"<munderover><mo>∑</mo><mrow><mi>n</mi><mo>=</mo><mn>1</mn></mrow><mi>∞</mi>"
       "</munderover>",
       u"∑_(n=1)^∞"},
      {"<semantics><msub><mi>a</mi><mi>n</mi></msub><annotation>a_n</annotation></semantics>",
       u"a_n"},
  };
  for (const auto& [mathml, text] : cases) {
    std::vector<Block> blocks =
        Blocks(std::string("<p>Area <math xmlns=\"http://www.w3.org/1998/Math/MathML\">") + mathml +
               "</math> here</p>");
    ASSERT_EQ(blocks.size(), 1u) << mathml;
    EXPECT_EQ(blocks[0].Text(), u"Area " + text + u" here") << mathml;
  }
}

// Preformatted text keeps its white space and its lines.
TEST(EpubStructure, PreformattedTextIsVerbatim) {
  std::vector<Block> blocks = Blocks("<pre>\nint main() {\n    return 0;\n}\n</pre>");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Preformatted);
  EXPECT_EQ(blocks[0].VisibleText(), u"int main() {\n    return 0;\n}");
  std::vector<std::u16string> plain = Lines("<pre>a\n  b</pre>", OutputFormat::PlainText);
  EXPECT_NE(std::find(plain.begin(), plain.end(), u"a\r\n  b"), plain.end());
}

} // namespace
} // namespace scrivlet
