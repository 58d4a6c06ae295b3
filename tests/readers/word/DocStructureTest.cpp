// The structure the Word 97-2003 reader finds through the document's
// formatting: headings from styles and outline levels, list items from the
// list tables, tables from the paragraphs' table properties, marks,
// hyperlinks, page breaks, and footnotes and endnotes with their
// references.
#include "document/NoteOrder.h"
#include "document/StructuredBlocks.h"
#include "readers/word/DocReader.h"
#include "support/WordBuilder.h"
#include "writers/DescribedOutput.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace scrivlet {
namespace {

using test::WordBuilder;

constexpr uint16_t kSprmPFInTable = 0x2416, kSprmPFTtp = 0x2417, kSprmPOutLvl = 0x2640,
                   kSprmPIlvl = 0x260A, kSprmPIlfo = 0x460B, kSprmPItap = 0x6649,
                   kSprmPFInnerTableCell = 0x244B, kSprmPFInnerTtp = 0x244C, kSprmCFBold = 0x0835,
                   kSprmCFItalic = 0x0836, kSprmCIss = 0x2A48;

Document Read(const WordBuilder& builder) {
  DocReader reader;
  ReaderOptions options;
  Document document;
  reader.Read(builder.Build(), "test.doc", options, document);
  return document;
}

// A document of one 8-bit piece whose paragraphs end at each "\r" or cell
// mark, each with its style and sprms, and a style sheet of Normal and the
// nine headings.
struct Paragraph {
  Paragraph(std::u16string text_, uint16_t istd_ = 0, std::string sprms_ = {})
      : text(std::move(text_)), istd(istd_), sprms(std::move(sprms_)) {}
  std::u16string text; // with its mark
  uint16_t istd;
  std::string sprms;
};

WordBuilder Paragraphs(const std::vector<Paragraph>& paragraphs) {
  WordBuilder builder;
  std::u16string text;
  for (const Paragraph& paragraph : paragraphs) {
    uint32_t start = static_cast<uint32_t>(text.size());
    text += paragraph.text;
    builder.paragraphs.push_back(
        {start, static_cast<uint32_t>(text.size()), paragraph.istd, paragraph.sprms});
  }
  builder.pieces = {{text, true}};
  builder.styles.push_back({0, 0x0FFF, ""});
  for (uint16_t sti = 1; sti <= 9; ++sti)
    builder.styles.push_back({sti, 0, WordBuilder::Sprm8(kSprmPOutLvl, uint8_t(sti - 1))});
  return builder;
}

std::vector<Block> Structure(const Document& document) {
  return StructuredBlocks(document.Main());
}

TEST(DocStructure, HeadingsOfEveryLevelFromStylesAndOutlineLevels) {
  std::vector<Paragraph> paragraphs;
  for (uint16_t level = 1; level <= 9; ++level)
    paragraphs.push_back({u"Heading " + std::u16string(1, char16_t(u'0' + level)) + u"\r", level});
  paragraphs.push_back({u"Outlined\r", 0, WordBuilder::Sprm8(kSprmPOutLvl, 2)});
  paragraphs.push_back({u"Body\r", 0, WordBuilder::Sprm8(kSprmPOutLvl, 9)});
  std::vector<Block> blocks = Structure(Read(Paragraphs(paragraphs)));
  ASSERT_EQ(blocks.size(), 11u);
  for (uint8_t level = 1; level <= 9; ++level) {
    EXPECT_EQ(blocks[level - 1].kind, BlockKind::Heading);
    EXPECT_EQ(blocks[level - 1].level, level);
  }
  EXPECT_EQ(blocks[9].kind, BlockKind::Heading);
  EXPECT_EQ(blocks[9].level, 3);
  EXPECT_EQ(blocks[9].Text(), u"Outlined");
  EXPECT_EQ(blocks[10].kind, BlockKind::Paragraph);
}

TEST(DocStructure, NestedListsNumberTheirItems) {
  auto item = [](std::u16string text, uint16_t ilfo, uint8_t ilvl) {
    return Paragraph{text + u"\r", 0,
                     WordBuilder::Sprm16(kSprmPIlfo, ilfo) + WordBuilder::Sprm8(kSprmPIlvl, ilvl)};
  };
  WordBuilder builder = Paragraphs({item(u"one", 1, 0),
                                    item(u"one.a", 1, 1),
                                    item(u"one.b", 1, 1),
                                    item(u"two", 1, 0),
                                    item(u"two.a", 1, 1),
                                    {u"plain\r"},
                                    item(u"dot", 2, 0),
                                    item(u"no list", 9, 0)});
  builder.lists = {{70, false, 0, 1}, {80, true, 23, 1}};
  builder.listOverrides = {70, 80};
  std::vector<Block> blocks = Structure(Read(builder));
  ASSERT_EQ(blocks.size(), 8u);
  struct Expected {
    BlockKind kind;
    uint8_t level;
    bool ordered;
    int32_t value;
  };
  const Expected expected[] = {
      {BlockKind::ListItem, 1, true, 1},  {BlockKind::ListItem, 2, true, 1},
      {BlockKind::ListItem, 2, true, 2},  {BlockKind::ListItem, 1, true, 2},
      {BlockKind::ListItem, 2, true, 1},  {BlockKind::Paragraph, 0, false, 0},
      {BlockKind::ListItem, 1, false, 0}, {BlockKind::Paragraph, 0, false, 0}};
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(blocks[i].kind, expected[i].kind);
    EXPECT_EQ(blocks[i].level, expected[i].level);
    EXPECT_EQ(blocks[i].ordered, expected[i].ordered);
    EXPECT_EQ(blocks[i].value, expected[i].value);
  }
}

std::vector<std::vector<std::u16string>> Cells(const Block& table) {
  std::vector<std::vector<std::u16string>> rows;
  for (const TableRow& row : table.rows) {
    auto& cells = rows.emplace_back();
    for (const TableCell& cell : row.cells) {
      std::u16string text;
      for (const Block& block : cell.blocks)
        text += (block.kind == BlockKind::Table ? u"<table>" : u"") + block.Text();
      cells.push_back(text);
    }
  }
  return rows;
}

using Rows = std::vector<std::vector<std::u16string>>;

TEST(DocStructure, TablesFromCellMarksAndRowEnds) {
  const std::string cell = WordBuilder::Sprm8(kSprmPFInTable, 1);
  const std::string rowEnd = cell + WordBuilder::Sprm8(kSprmPFTtp, 1);
  // An empty cell, a cell of two paragraphs, and text after the table.
  WordBuilder builder = Paragraphs({{u"before\r"},
                                    {u"a\x07", 0, cell},
                                    {u"b1\r", 0, cell},
                                    {u"b2\x07", 0, cell},
                                    {u"\x07", 0, rowEnd},
                                    {u"\x07", 0, cell},
                                    {u"d\x07", 0, cell},
                                    {u"\x07", 0, rowEnd},
                                    {u"after\r"}});
  Document document = Read(builder);
  std::vector<Block> blocks = Structure(document);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].Text(), u"before");
  ASSERT_EQ(blocks[1].kind, BlockKind::Table);
  EXPECT_EQ(Cells(blocks[1]), (Rows{{u"a", u"b1b2"}, {u"", u"d"}}));
  EXPECT_EQ(blocks[2].Text(), u"after");
}

TEST(DocStructure, NestedTablesStandInTheirCell) {
  const std::string outer = WordBuilder::Sprm8(kSprmPFInTable, 1);
  const std::string inner = outer + WordBuilder::Sprm32(kSprmPItap, 2);
  const std::string innerCell = inner + WordBuilder::Sprm8(kSprmPFInnerTableCell, 1);
  const std::string innerRowEnd = innerCell + WordBuilder::Sprm8(kSprmPFInnerTtp, 1);
  WordBuilder builder = Paragraphs({{u"x\r", 0, innerCell},
                                    {u"y\r", 0, innerCell},
                                    {u"\r", 0, innerRowEnd},
                                    {u"outer\x07", 0, outer},
                                    {u"\x07", 0, outer + WordBuilder::Sprm8(kSprmPFTtp, 1)}});
  std::vector<Block> blocks = Structure(Read(builder));
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].rows.size(), 1u);
  ASSERT_EQ(blocks[0].rows[0].cells.size(), 1u);
  const std::vector<Block>& cell = blocks[0].rows[0].cells[0].blocks;
  ASSERT_EQ(cell.size(), 2u);
  ASSERT_EQ(cell[0].kind, BlockKind::Table);
  EXPECT_EQ(Cells(cell[0]), (Rows{{u"x", u"y"}}));
  EXPECT_EQ(cell[1].Text(), u"outer");
}

TEST(DocStructure, TablesLeaveTheDescribedOutputAsItWas) {
  const std::string cell = WordBuilder::Sprm8(kSprmPFInTable, 1);
  const std::string rowEnd = cell + WordBuilder::Sprm8(kSprmPFTtp, 1);
  WordBuilder builder =
      Paragraphs({{u"a\x07", 0, cell}, {u"b\x07", 0, cell}, {u"\x07", 0, rowEnd}, {u"Head\r", 1}});
  WordBuilder plain = builder;
  plain.paragraphs.clear();
  plain.styles.clear();
  DescribedOutputOptions options;
  EXPECT_EQ(DescribedLines(Read(builder), options).Get(1),
            DescribedLines(Read(plain), options).Get(1));
}

TEST(DocStructure, MarksLinksAndPageBreaks) {
  WordBuilder builder =
      Paragraphs({{u"plain bold italic x2\r"},
                  {u"\x13 HYPERLINK \"http://example.org/\" \\l \"top\" \x14site\x15\r"},
                  {u"\x0c"
                   u"next page\r"}});
  // The character runs cover the text without gaps, as Word's do.
  builder.characters = {{0, 6, 0, ""},   {6, 10, 0, WordBuilder::Sprm8(kSprmCFBold, 1)},
                        {10, 11, 0, ""}, {11, 17, 0, WordBuilder::Sprm8(kSprmCFItalic, 0x81)},
                        {17, 19, 0, ""}, {19, 20, 0, WordBuilder::Sprm8(kSprmCIss, 1)},
                        {20, 21, 0, ""}};
  std::vector<Block> blocks = Structure(Read(builder));
  ASSERT_EQ(blocks.size(), 4u);
  const std::vector<Inline>& pieces = blocks[0].content;
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[1].text, u"bold");
  EXPECT_EQ(pieces[1].marks, kBold);
  EXPECT_EQ(pieces[3].text, u"italic");
  EXPECT_EQ(pieces[3].marks, kItalic);
  EXPECT_EQ(pieces[5].text, u"2");
  EXPECT_EQ(pieces[5].marks, kSuperscript);
  EXPECT_EQ(pieces[4].text, u" x");
  EXPECT_EQ(pieces[4].marks, 0);
  bool linked = false;
  for (const Inline& piece : blocks[1].content)
    if (piece.kind == InlineKind::FieldResult) {
      EXPECT_EQ(piece.text, u"site");
      EXPECT_EQ(piece.target, u"http://example.org/#top");
      linked = true;
    }
  EXPECT_TRUE(linked);
  EXPECT_EQ(blocks[2].kind, BlockKind::PageBreak);
  EXPECT_EQ(blocks[3].Text(), u"next page");
}

// Word 6 and Word 95 write one-byte modifier codes whose operand sizes
// differ by code, two-byte page numbers, shorter paragraph entries and
// 8-bit style names: the same structure comes out.
TEST(DocStructure, Word6HeadingsTablesAndMarks) {
  const std::string tabs("\x0F\x03\x00\x00\x00", 5); // tabs changed: none (a length byte)
  const std::string cell = tabs + "\x18\x01";        // in a table
  // The row's cell edges (a two-byte count of the bytes after it, plus
  // one), then the row's end.
  const std::string rowEnd =
      cell + std::string("\xBE\x08\x00\x02\x00\x00\xA0\x05\x40\x0B", 10) + "\x19\x01";
  const std::u16string text = u"Title\ra\x07"
                              u"b\x07\x07"
                              u"bold after\r";
  WordBuilder builder;
  builder.nFib = 104;
  builder.pieces = {{text, true}};
  builder.styles = {{0, 0x0FFF, ""}, {1, 0, tabs}};
  builder.paragraphs = {
      {0, 6, 1, ""}, {6, 8, 0, cell}, {8, 10, 0, cell}, {10, 11, 0, rowEnd}, {11, 22, 0, tabs}};
  builder.characters = {{0, 11, 0, ""},
                        {11, 15, 0, std::string("\x55\x01", 2)},  // bold
                        {15, 22, 0, std::string("\x56\x00", 2)}}; // not italic
  std::vector<Block> blocks = Structure(Read(builder));
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Heading);
  EXPECT_EQ(blocks[0].level, 1);
  EXPECT_EQ(blocks[0].Text(), u"Title");
  ASSERT_EQ(blocks[1].kind, BlockKind::Table);
  EXPECT_EQ(Cells(blocks[1]), (Rows{{u"a", u"b"}}));
  ASSERT_EQ(blocks[2].content.size(), 2u);
  EXPECT_EQ(blocks[2].content[0].text, u"bold");
  EXPECT_EQ(blocks[2].content[0].marks, kBold);
  EXPECT_EQ(blocks[2].content[1].marks, 0);
}

TEST(DocStructure, Word6ModifiersOfUnknownSizeEndTheWalkSafely) {
  // A code of unknown operand size stops the paragraph's modifiers there:
  // those before it hold, none after it is guessed at.
  const std::string cutShort = std::string("\x18\x01\xFA\x19\x01", 5);
  const std::string overrun = std::string("\x18\x01\x0F\x7F", 4); // a length past the end
  WordBuilder builder;
  builder.nFib = 101;
  builder.pieces = {{u"a\x07"
                     u"b\x07",
                     true}};
  builder.styles = {{0, 0x0FFF, ""}};
  builder.paragraphs = {{0, 2, 0, overrun}, {2, 4, 0, cutShort}};
  std::vector<Block> blocks = Structure(Read(builder));
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].kind, BlockKind::Table);
  // No row end was read, so the cells stand in one row the table closes.
  EXPECT_EQ(Cells(blocks[0]), (Rows{{u"a", u"b"}}));
}

// Main text "A\x02 B\x02 C*.\r", a footnote story with two notes (the
// second marked "*") and an endnote story with one.
WordBuilder NotesDocument() {
  const std::u16string main = u"A\x02 B\x02 C*.\r";
  const std::u16string footnotes = u"\x02 First note.\r* Marked note.\r\r";
  const std::u16string endnotes = u"\x02\tEnd note.\r\r";
  WordBuilder builder;
  builder.pieces = {{main + footnotes + endnotes, true}};
  builder.ccpFtn = static_cast<int32_t>(footnotes.size());
  builder.ccpEdn = static_cast<int32_t>(endnotes.size());
  builder.footnotes = {{1, true, 0}, {7, false, 14}};
  builder.endnotes = {{4, true, 0}};
  return builder;
}

TEST(DocStructure, NotesAndTheirReferences) {
  Document document = Read(NotesDocument());
  ASSERT_EQ(document.notes.size(), 3u);
  EXPECT_EQ(document.notes[0].label, u"1");
  EXPECT_EQ(document.notes[1].label, u"*");
  EXPECT_EQ(document.notes[2].label, u"i");
  EXPECT_TRUE(document.notes[2].endnote);
  EXPECT_EQ(NoteText(document.notes[0]), u"First note.");
  EXPECT_EQ(NoteText(document.notes[1]), u"Marked note.");
  EXPECT_EQ(NoteText(document.notes[2]), u"End note.");
  std::vector<Block> blocks = Structure(document);
  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(blocks[0].Text(), u"A[1] B[i] C[*].");
  size_t references = 0;
  for (const Inline& piece : blocks[0].content)
    if (piece.kind == InlineKind::NoteReference) {
      ++references;
      EXPECT_FALSE(piece.target.empty());
    }
  EXPECT_EQ(references, 3u);
  // The notes' texts leave the main text for the list after it.
  DescribedOutputOptions options;
  options.notes = true;
  TextLines lines = DescribedLines(document, options);
  EXPECT_EQ(lines.Get(1), u"A[1] B[i] C[*].\r\n");
}

// Headers, footers and comments are stories of their own; a text box
// stands after the paragraph of its anchor (one whose shape has no anchor
// after the text), never in the text's flow of another story.
TEST(DocStructure, StoriesInTheirPlacesAndTextBoxesAtTheirAnchors) {
  WordBuilder b = Paragraphs({{u"One\r"}, {u"Two\r"}});
  b.pieces[0].text += u"Head\rFoot\r\rNote\rBox one\rBox two\r\r";
  b.ccpHdd = 11;
  b.ccpAtn = 5;
  b.ccpTxbx = 17;
  b.headerPlaces = {0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 10, 10, 10, 11};
  b.textBoxes = {{0, 1u}, {8, std::nullopt}};
  Document document = Read(b);
  std::vector<std::u16string> main;
  for (const Block& block : document.Main().blocks)
    main.push_back(block.Text());
  EXPECT_EQ(main, (std::vector<std::u16string>{u"One", u"Box one", u"Two", u"Box two"}));
  auto storyText = [&](StoryKind kind) {
    std::u16string text;
    for (const Story& story : document.stories)
      if (story.kind == kind)
        for (const Block& block : story.blocks)
          text += block.Text() + u"|";
    return text;
  };
  EXPECT_EQ(storyText(StoryKind::Headers), u"Head|");
  EXPECT_EQ(storyText(StoryKind::Footers), u"Foot|");
  EXPECT_EQ(storyText(StoryKind::Comments), u"Note|");
}

} // namespace
} // namespace scrivlet
