// The structure the Word 2007+ reader gives: headings and list items from
// the styles and numbering parts, tables with spans and header rows, marks,
// links, notes, comments and page breaks, while the described output stays
// as it was (apart from the note references and the notes after the text).
#include "core/Stream.h"
#include "document/Document.h"
#include "document/StructuredBlocks.h"
#include "readers/docx/DocxReader.h"
#include "support/DocxBuilder.h"
#include "support/ReaderHarness.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::DocxBuilder;
using L = std::vector<std::u16string>;

Document Read(const DocxBuilder& package, ContentItems items = {ContentItem::Text}) {
  DocxReader reader;
  Document document;
  ReaderOptions options;
  options.items = items;
  reader.Read(package.Build(), "x.docx", options, document);
  return document;
}

L PlainLines(const DocxBuilder& package, OutputFormat format = OutputFormat::PlainText) {
  test::ReaderHarness<DocxReader> reader;
  reader.SetTextFormating(format);
  reader.SetParseItems({ContentItem::Text, ContentItem::Notes});
  MemoryStream stream(package.Build());
  reader.LoadFromStream(stream);
  L lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

std::string HeadingStyles() {
  std::string styles = DocxBuilder::Style("paragraph", "Normal", "Normal");
  for (int level = 1; level <= 9; ++level)
    styles +=
        DocxBuilder::Style("paragraph", "Heading" + std::to_string(level),
                           "heading " + std::to_string(level), "<w:basedOn w:val=\"Normal\"/>");
  styles += DocxBuilder::Style("paragraph", "Title", "Title");
  // A style of its own based on a heading style, one with an outline
  // level, and two based on each other.
  styles +=
      DocxBuilder::Style("paragraph", "Chapter", "Chapter", "<w:basedOn w:val=\"Heading2\"/>");
  styles += DocxBuilder::Style("paragraph", "Outlined", "Outlined",
                               "<w:pPr><w:outlineLvl w:val=\"3\"/></w:pPr>");
  styles += DocxBuilder::Style("paragraph", "LoopA", "Loop A", "<w:basedOn w:val=\"LoopB\"/>");
  styles += DocxBuilder::Style("paragraph", "LoopB", "Loop B", "<w:basedOn w:val=\"LoopA\"/>");
  return styles;
}

TEST(WordXStructure, HeadingsFromStylesAndOutlineLevels) {
  DocxBuilder package;
  package.styles = HeadingStyles();
  for (int level = 1; level <= 9; ++level)
    package.body += DocxBuilder::StyledParagraph("Heading" + std::to_string(level),
                                                 "Level " + std::to_string(level));
  package.body +=
      DocxBuilder::StyledParagraph("Title", "Title") +
      DocxBuilder::StyledParagraph("Chapter", "Chapter") +
      DocxBuilder::StyledParagraph("Outlined", "Outlined") +
      DocxBuilder::StyledParagraph("LoopA", "Loop") +
      DocxBuilder::Paragraph(DocxBuilder::Run("Own level"), "<w:outlineLvl w:val=\"0\"/>") +
      // Outline level 9 is body text, whatever the style says.
      DocxBuilder::Paragraph(DocxBuilder::Run("Body"),
                             "<w:pStyle w:val=\"Heading1\"/><w:outlineLvl w:val=\"9\"/>") +
      DocxBuilder::StyledParagraph("Missing", "Plain");
  const std::vector<Block> blocks = StructuredBlocks(Read(package).Main());
  ASSERT_EQ(blocks.size(), 16u);
  for (int level = 1; level <= 9; ++level) {
    EXPECT_EQ(blocks[level - 1].kind, BlockKind::Heading);
    EXPECT_EQ(blocks[level - 1].level, level);
  }
  const std::vector<std::pair<BlockKind, int>> rest = {
      {BlockKind::Heading, 1},   {BlockKind::Heading, 2}, {BlockKind::Heading, 4},
      {BlockKind::Paragraph, 0}, {BlockKind::Heading, 1}, {BlockKind::Paragraph, 0},
      {BlockKind::Paragraph, 0}};
  for (size_t i = 0; i < rest.size(); ++i) {
    EXPECT_EQ(blocks[9 + i].kind, rest[i].first) << i;
    EXPECT_EQ(blocks[9 + i].level, rest[i].second) << i;
  }
  // The described output: one line per paragraph, as before.
  const L lines = PlainLines(package);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], u"Level 1");
  EXPECT_EQ(lines[12], u"Loop");
}

std::string Level(int ilvl, const std::string& format, const std::string& text, int start = 1) {
  return "<w:lvl w:ilvl=\"" + std::to_string(ilvl) + "\"><w:start w:val=\"" +
         std::to_string(start) + "\"/><w:numFmt w:val=\"" + format + "\"/><w:lvlText w:val=\"" +
         text + "\"/></w:lvl>";
}

std::string Num(int numId, int abstractId, const std::string& more = "") {
  return "<w:num w:numId=\"" + std::to_string(numId) + "\"><w:abstractNumId w:val=\"" +
         std::to_string(abstractId) + "\"/>" + more + "</w:num>";
}

TEST(WordXStructure, NestedListsCountPerListAndLevel) {
  DocxBuilder package;
  package.numbering =
      "<w:abstractNum w:abstractNumId=\"1\">" + Level(0, "decimal", "%1.") +
      Level(1, "lowerLetter", "%1.%2)") + "</w:abstractNum><w:abstractNum w:abstractNumId=\"2\">" +
      Level(0, "bullet", "\xE2\x80\xA2") + "</w:abstractNum>" + Num(1, 1) + Num(2, 2) +
      Num(3, 1, "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"5\"/></w:lvlOverride>") +
      Num(4, 1);
  package.styles = DocxBuilder::Style("paragraph", "ListBullet", "List Bullet",
                                      "<w:pPr><w:numPr><w:numId w:val=\"2\"/></w:numPr></w:pPr>");
  package.body = DocxBuilder::ListParagraph(1, 0, "one") + DocxBuilder::ListParagraph(1, 1, "a") +
                 DocxBuilder::ListParagraph(1, 1, "b") + DocxBuilder::ListParagraph(1, 0, "two") +
                 DocxBuilder::ListParagraph(1, 1, "a again") +
                 DocxBuilder::StyledParagraph("ListBullet", "bullet") +
                 // w:numId 0 takes the paragraph out of its style's list.
                 DocxBuilder::Paragraph(DocxBuilder::Run("not listed"),
                                        "<w:pStyle w:val=\"ListBullet\"/><w:numPr><w:numId "
                                        "w:val=\"0\"/></w:numPr>") +
                 // A list of the same definition continues; one that
                 // overrides its start starts again.
                 DocxBuilder::ListParagraph(4, 0, "three") +
                 DocxBuilder::ListParagraph(3, 0, "five") +
                 // Lists or levels the part does not define are no lists.
                 DocxBuilder::ListParagraph(9, 0, "unknown list") +
                 DocxBuilder::ListParagraph(1, 12, "unknown level");
  const Document document = Read(package);
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  struct Expected {
    BlockKind kind;
    int level;
    bool ordered;
    int value;
    std::u16string marker;
  };
  const std::vector<Expected> expected = {
      {BlockKind::ListItem, 1, true, 1, u"1."},   {BlockKind::ListItem, 2, true, 1, u"1.a)"},
      {BlockKind::ListItem, 2, true, 2, u"1.b)"}, {BlockKind::ListItem, 1, true, 2, u"2."},
      {BlockKind::ListItem, 2, true, 1, u"2.a)"}, {BlockKind::ListItem, 1, false, 0, u"\u2022"},
      {BlockKind::Paragraph, 0, false, 0, u""},   {BlockKind::ListItem, 1, true, 3, u"3."},
      {BlockKind::ListItem, 1, true, 5, u"5."},   {BlockKind::Paragraph, 0, false, 0, u""},
      {BlockKind::Paragraph, 0, false, 0, u""}};
  ASSERT_EQ(blocks.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(blocks[i].kind, expected[i].kind) << i;
    EXPECT_EQ(blocks[i].level, expected[i].level) << i;
    EXPECT_EQ(blocks[i].ordered, expected[i].ordered) << i;
    EXPECT_EQ(blocks[i].value, expected[i].value) << i;
    EXPECT_EQ(blocks[i].marker, expected[i].marker) << i;
  }
  EXPECT_EQ(PlainLines(package)[1], u"a"); // no number in the described text
}

TEST(WordXStructure, TablesWithSpansHeaderRowsAndNesting) {
  DocxBuilder package;
  auto cell = [](const std::string& text, const std::string& properties = "") {
    return "<w:tc>" + (properties.empty() ? "" : "<w:tcPr>" + properties + "</w:tcPr>") +
           DocxBuilder::Paragraph(DocxBuilder::Run(text)) + "</w:tc>";
  };
  const std::string inner = "<w:tbl><w:tr>" + cell("inner") + "</w:tr></w:tbl>";
  package.body = "<w:tbl><w:tr><w:trPr><w:tblHeader/></w:trPr>" + cell("Name") + cell("Score") +
                 "</w:tr><w:tr>" + cell("both", "<w:gridSpan w:val=\"2\"/>") +
                 "</w:tr><w:tr><w:trPr><w:tblHeader w:val=\"0\"/></w:trPr>" +
                 cell("huge", "<w:gridSpan w:val=\"70000\"/>") + "<w:tc>" + inner +
                 DocxBuilder::Paragraph(DocxBuilder::Run("after")) + "</w:tc></w:tr></w:tbl>";
  const std::vector<Block> blocks = StructuredBlocks(Read(package).Main());
  ASSERT_EQ(blocks.size(), 1u);
  const Block& table = blocks[0];
  ASSERT_EQ(table.kind, BlockKind::Table);
  ASSERT_EQ(table.rows.size(), 3u);
  ASSERT_EQ(table.rows[0].cells.size(), 2u);
  EXPECT_TRUE(table.rows[0].cells[0].header);
  EXPECT_TRUE(table.rows[0].cells[1].header);
  ASSERT_EQ(table.rows[1].cells.size(), 1u);
  EXPECT_EQ(table.rows[1].cells[0].columnSpan, 2);
  EXPECT_FALSE(table.rows[1].cells[0].header);
  ASSERT_EQ(table.rows[2].cells.size(), 2u);
  EXPECT_EQ(table.rows[2].cells[0].columnSpan, 1);
  EXPECT_FALSE(table.rows[2].cells[0].header);
  const TableCell& nesting = table.rows[2].cells[1];
  ASSERT_EQ(nesting.blocks.size(), 2u);
  EXPECT_EQ(nesting.blocks[0].kind, BlockKind::Table);
  EXPECT_EQ(nesting.blocks[1].Text(), u"after");
  EXPECT_EQ(PlainLines(package), (L{u"Name", u"Score", u"both", u"huge", u"inner", u"after"}));
}

TEST(WordXStructure, MarksDirectAndThroughCharacterStyles) {
  DocxBuilder package;
  package.styles =
      DocxBuilder::Style("character", "Strong", "Strong", "<w:rPr><w:b/></w:rPr>") +
      DocxBuilder::Style("character", "StrongItalic", "Strong Italic",
                         "<w:basedOn w:val=\"Strong\"/><w:rPr><w:i w:val=\"true\"/></w:rPr>");
  using D = DocxBuilder;
  package.body = D::Paragraph(
      D::Run("b", "<w:b/>") + D::Run("i", "<w:i w:val=\"1\"/>") +
          D::Run("u", "<w:u w:val=\"single\"/>") + D::Run("no u", "<w:u w:val=\"none\"/>") +
          D::Run("s", "<w:strike/>") + D::Run("ds", "<w:dstrike w:val=\"on\"/>") +
          D::Run("sup", "<w:vertAlign w:val=\"superscript\"/>") +
          D::Run("sub", "<w:vertAlign w:val=\"subscript\"/>") +
          D::Run("off", "<w:b w:val=\"0\"/>") +
          D::Run("styled", "<w:rStyle w:val=\"StrongItalic\"/>") +
          D::Run("unbolded", "<w:rStyle w:val=\"StrongItalic\"/><w:b w:val=\"false\"/>") +
          D::Run("plain"),
      // The paragraph mark's properties are not the text's.
      "<w:rPr><w:b/></w:rPr>");
  const std::vector<Marks> expected = {kBold,   kItalic,         kUnderline,   0,
                                       kStrike, kStrike,         kSuperscript, kSubscript,
                                       0,       kBold | kItalic, kItalic,      0};
  for (ContentItems items : {ContentItems{ContentItem::Text},
                             ContentItems{ContentItem::Text, ContentItem::HiddenText}}) {
    const Document document = Read(package, items);
    const Block& paragraph = document.Main().blocks.at(0);
    ASSERT_EQ(paragraph.content.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(paragraph.content[i].marks, expected[i]) << i;
  }
}

TEST(WordXStructure, HyperlinksByRelationshipAnchorAndField) {
  DocxBuilder package;
  package.relationships =
      "<Relationship Id=\"rId5\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/hyperlink\" Target=\"https://example.org/a?b=1&amp;c=2\" "
      "TargetMode=\"External\"/>";
  using D = DocxBuilder;
  package.body = D::Paragraph(
      "<w:hyperlink r:id=\"RID5\">" + D::Run("site") + "</w:hyperlink>" + D::Run(" and ") +
      "<w:hyperlink w:anchor=\"_Toc1\">" + D::Run("section") + "</w:hyperlink>" +
      "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> "
      "HYPERLINK &quot;http://field.example/</w:instrText><w:instrText>&quot; \\o \"tip\" "
      "</w:instrText></w:r>"
      "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" +
      D::Run("field") + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" + D::Run("after") +
      "<w:fldSimple w:instr=\" HYPERLINK \\l &quot;top&quot; \">" + D::Run("simple") +
      "</w:fldSimple><w:fldSimple w:instr=\"PAGE\">" + D::Run("7") + "</w:fldSimple>");
  const Document document = Read(package);
  const Block& paragraph = document.Main().blocks.at(0);
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"site", u"https://example.org/a?b=1&c=2"},
      {u" and ", u""},
      {u"section", u"#_Toc1"},
      {u"field", u"http://field.example/"},
      {u"after", u""},
      {u"simple", u"#top"},
      {u"7", u""}};
  ASSERT_EQ(paragraph.content.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(paragraph.content[i].text, expected[i].first);
    EXPECT_EQ(paragraph.content[i].target, expected[i].second) << i;
  }
  EXPECT_EQ(PlainLines(package), L{u"site and sectionfieldaftersimple7"});
}

TEST(WordXStructure, NotesReferredToBecomeTheDocumentsNotes) {
  DocxBuilder package;
  using D = DocxBuilder;
  package.body = D::Paragraph(D::Run("Text") + "<w:r><w:endnoteReference w:id=\"2\"/></w:r>" +
                              D::Run(" more") + "<w:r><w:footnoteReference w:id=\"5\"/></w:r>" +
                              D::Run(" and") + "<w:r><w:footnoteReference w:id=\"3\"/></w:r>") +
                 "<w:tbl><w:tr><w:tc>" +
                 D::Paragraph("<w:r><w:endnoteReference w:id=\"4\"/></w:r>") +
                 "</w:tc></w:tr></w:tbl>";
  package.footnotes = D::Note("w:footnote", "-1", "", "separator") +
                      D::Note("w:footnote", "0", "", "continuationSeparator") +
                      D::Note("w:footnote", "3", "Third note") +
                      D::Note("w:footnote", "5", "Fifth note") +
                      D::Note("w:footnote", "7", "Never referred to");
  package.endnotes = D::Note("w:endnote", "2", "End one") + D::Note("w:endnote", "4", "End two");
  const Document document = Read(package, {ContentItem::Text, ContentItem::Notes});
  const Block& paragraph = document.Main().blocks.at(0);
  EXPECT_EQ(paragraph.Text(), u"Text[i] more[1] and[2]");
  ASSERT_EQ(document.notes.size(), 4u);
  struct Expected {
    std::u16string label;
    bool endnote;
    std::u16string text;
  };
  // The footnotes first, each part's notes in their order.
  const std::vector<Expected> expected = {{u"2", false, u"Third note"},
                                          {u"1", false, u"Fifth note"},
                                          {u"i", true, u"End one"},
                                          {u"ii", true, u"End two"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(document.notes[i].label, expected[i].label);
    EXPECT_EQ(document.notes[i].endnote, expected[i].endnote);
    ASSERT_EQ(document.notes[i].blocks.size(), 1u);
    EXPECT_EQ(document.notes[i].blocks[0].Text(), expected[i].text);
  }
  EXPECT_EQ(paragraph.content[1].target, document.notes[2].id);
  // The text shows the references; the notes follow it in the order of
  // reference.
  EXPECT_EQ(PlainLines(package), (L{u"Text[i] more[1] and[2]", u"[ii]", u"", u"[i] End one",
                                    u"[1] Fifth note", u"[2] Third note", u"[ii] End two"}));
  EXPECT_EQ(PlainLines(package, OutputFormat::Html).at(1), u"<p>Text[i] more[1] and[2]</p>");
  // The notes parts stay stories of their own, separators and all.
  test::ReaderHarness<DocxReader> reader;
  reader.SetParseItems({ContentItem::Text});
  MemoryStream stream(package.Build());
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Stories()->Footnotes.Count(), 5);
  EXPECT_EQ(reader.Stories()->Endnotes.Count(), 2);
}

TEST(WordXStructure, CommentsPartIsACommentsStory) {
  DocxBuilder package;
  package.body = DocxBuilder::Paragraph(DocxBuilder::Run("Text"));
  package.comments = "<w:comment w:id=\"0\" w:author=\"A\">" +
                     DocxBuilder::Paragraph(DocxBuilder::Run("A remark")) + "</w:comment>";
  test::ReaderHarness<DocxReader> reader;
  reader.SetParseItems({ContentItem::Text});
  MemoryStream stream(package.Build());
  reader.LoadFromStream(stream);
  ASSERT_EQ(reader.Stories()->Comments.Count(), 1);
  EXPECT_EQ(reader.Stories()->Comments.Get(0), u"A remark");
  EXPECT_EQ(reader.Lines().Count(), 1);
  // Without a comments part there is no such story.
  package.comments.clear();
  const Document document = Read(package);
  EXPECT_EQ(document.Find(StoryKind::Comments), nullptr);
}

TEST(WordXStructure, PageBreaksBetweenBlocksOutsideTables) {
  DocxBuilder package;
  using D = DocxBuilder;
  package.body =
      D::Paragraph(D::Run("one") + "<w:r><w:br w:type=\"page\"/></w:r>" + D::Run("two")) +
      D::Paragraph(D::Run("three"), "<w:pageBreakBefore/>") +
      D::Paragraph(D::Run("four"), "<w:pageBreakBefore w:val=\"0\"/>") + "<w:tbl><w:tr><w:tc>" +
      D::Paragraph(D::Run("cell") + "<w:r><w:br w:type=\"page\"/></w:r>") +
      "</w:tc></w:tr></w:tbl>" + D::Paragraph(D::Run("x") + "<w:r><w:br/></w:r>");
  const std::vector<Block> blocks = StructuredBlocks(Read(package).Main());
  std::vector<BlockKind> kinds;
  for (const Block& block : blocks)
    kinds.push_back(block.kind);
  EXPECT_EQ(kinds,
            (std::vector<BlockKind>{BlockKind::Paragraph, BlockKind::PageBreak,
                                    BlockKind::PageBreak, BlockKind::Paragraph,
                                    BlockKind::Paragraph, BlockKind::Table, BlockKind::Paragraph}));
  // The described text keeps every break as a line break, and no more.
  EXPECT_EQ(PlainLines(package), (L{u"one\r\ntwo", u"three", u"four", u"cell\r\n", u"x\r\n"}));
}

// Damaged styles and numbering parts cost the structure, never the text.
TEST(WordXStructure, DamagedStylesAndNumberingParts) {
  DocxBuilder package;
  package.styles = "<w:style w:type=\"paragraph\" w:styleId=\"H\"><w:name w:val=\"heading 1\"/>"
                   "<w:style><w:basedOn w:val=\"H\"/>";
  package.numbering = "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"x\"/></w:num>"
                      "<w:abstractNum w:abstractNumId=\"99999999999\">" +
                      Level(0, "decimal", "%1.") + "</w:abstractNum>";
  package.body =
      DocxBuilder::StyledParagraph("H", "text") + DocxBuilder::ListParagraph(1, 0, "item");
  const std::vector<Block> blocks = StructuredBlocks(Read(package).Main());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].kind, BlockKind::Paragraph);
  EXPECT_EQ(PlainLines(package), (L{u"text", u"item"}));
}

} // namespace
} // namespace scrivlet
