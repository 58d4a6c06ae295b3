// The structure a WordPerfect document gives: tables, page breaks, notes,
// marks and alignment, read through the model and through the described
// output, which shows no trace of the tables and page-break blocks.
#include "core/Stream.h"
#include "document/NoteOrder.h"
#include "document/StructuredBlocks.h"
#include "readers/wordperfect/WordPerfectReader.h"
#include "readers/wordperfect/WordPerfectTable.h"
#include "support/ReaderHarness.h"
#include "support/WordPerfectBuilder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::WordPerfectBuilder;

Document ReadDocument(const std::string& file) {
  WordPerfectReader reader;
  ReaderOptions options;
  Document document;
  reader.Read(file, "test.wpd", options, document);
  return document;
}

Document ReadBody(const std::string& body) {
  WordPerfectBuilder b;
  b.body = body;
  return ReadDocument(b.Build());
}

std::u16string Plain(const std::string& file) {
  test::ReaderHarness<WordPerfectReader> reader;
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  return reader.Lines().Get(0);
}

std::u16string CellText(const TableCell& cell) {
  std::u16string text;
  for (const Block& block : cell.blocks)
    text += block.VisibleText();
  return text;
}

TEST(WordPerfectStructure, TableRowsCellsAndAMergedCell) {
  using B = WordPerfectBuilder;
  const std::string body = "before\xCC" + B::TableDefinition() + B::TableBreak(0x0B, 2) + "Title" +
                           B::TableBreak(0x0C) + "a" + B::TableBreak(0x0A, 1) + "b" +
                           B::TableBreak(0x11) + "after\xCC";
  const Document document = ReadBody(body);
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].VisibleText(), u"before");
  ASSERT_EQ(blocks[1].kind, BlockKind::Table);
  const auto& rows = blocks[1].rows;
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].cells.size(), 1u);
  EXPECT_EQ(CellText(rows[0].cells[0]), u"Title");
  EXPECT_EQ(rows[0].cells[0].columnSpan, 2);
  ASSERT_EQ(rows[1].cells.size(), 2u);
  EXPECT_EQ(CellText(rows[1].cells[0]), u"a");
  EXPECT_EQ(rows[1].cells[0].columnSpan, 1);
  EXPECT_EQ(CellText(rows[1].cells[1]), u"b");
  EXPECT_EQ(blocks[2].VisibleText(), u"after");
  // In the described text each cell ends its line, as the other readers'
  // cells do: the cells of a row never run together.
  WordPerfectBuilder b;
  b.body = body;
  EXPECT_EQ(Plain(b.Build()), u"before\r\nTitle\r\na\r\nb\r\nafter\r\n");
}

TEST(WordPerfectStructure, TableCodesWithoutADefinitionOrAnEndStillMakeATable) {
  using B = WordPerfectBuilder;
  const Document document = ReadBody("x" + B::TableBreak(0x0A) + "y" + B::TableBreak(0x0B) + "z");
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].VisibleText(), u"x");
  ASSERT_EQ(blocks[1].kind, BlockKind::Table);
  ASSERT_EQ(blocks[1].rows.size(), 2u);
  EXPECT_EQ(CellText(blocks[1].rows[0].cells.at(0)), u"y");
  EXPECT_EQ(CellText(blocks[1].rows[1].cells.at(0)), u"z");
  // A second definition ends the table before it; codes in suppressed text
  // leave no boundary.
  const Document two =
      ReadBody(B::TableDefinition() + B::TableBreak(0x0B) + "1" + B::TableDefinition() +
               B::TableBreak(0x0B) + "2" + B::Suppress(true) + B::TableBreak(0x0A) +
               B::Suppress(false) + "3" + B::TableBreak(0x13));
  const std::vector<Block> tables = StructuredBlocks(two.Main());
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(CellText(tables[0].rows.at(0).cells.at(0)), u"1");
  ASSERT_EQ(tables[1].rows.at(0).cells.size(), 1u);
  EXPECT_EQ(CellText(tables[1].rows[0].cells[0]), u"23");
}

TEST(WordPerfectStructure, ColumnSpanReadsOnlyWhatTheDataHold) {
  const std::string spanning = std::string("\x85\x03\x01\x85", 4);
  // Sizes, no data to drop, the sub-group, the closing size and code.
  const std::string data = std::string("\x09\x00\x00\x00", 4) + spanning + "\x09\x00\xD0";
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0, data), 3);
  // Prefix identifiers come first when the flags say so.
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0x80, std::string("\x01\x05\x00", 3) + data), 3);
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0x80, ""), 1);
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0, std::string("\x09\x00\xFF\xFF", 4) + spanning), 1);
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0, std::string("\x09\x00\x00\x00\x85\x03\x01", 7)), 1);
  EXPECT_EQ(WordPerfectTable::ColumnSpan(0, std::string("\x09\x00\x00\x00\x85\x00\x01\x85", 8)), 1);
}

TEST(WordPerfectStructure, HardPageBreakIsABlockBetweenTheParagraphParts) {
  const std::string body = "one" + WordPerfectBuilder::PageBreak() + "two\xCC";
  const Document document = ReadBody(body);
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].VisibleText(), u"one");
  EXPECT_EQ(blocks[1].kind, BlockKind::PageBreak);
  EXPECT_EQ(blocks[1].value, 0);
  EXPECT_EQ(blocks[2].VisibleText(), u"two");
  WordPerfectBuilder b;
  b.body = body;
  EXPECT_EQ(Plain(b.Build()), u"one\r\ntwo\r\n");
}

TEST(WordPerfectStructure, MarksAndCentring) {
  using B = WordPerfectBuilder;
  const Document document =
      ReadBody(B::Alignment(2) + "t" + B::Attribute(12, true) + "b" + B::Attribute(8, true) + "bi" +
               B::Attribute(12, false) + B::Attribute(8, false) + B::Attribute(14, true) + "u" +
               B::Attribute(14, false) + B::Attribute(13, true) + "s" + B::Attribute(13, false) +
               B::Attribute(6, true) + "2" + B::Attribute(6, false));
  ASSERT_EQ(document.Main().blocks.size(), 1u);
  std::vector<std::pair<std::u16string, Marks>> texts;
  int32_t alignment = -1;
  for (const Inline& piece : document.Main().blocks[0].content) {
    if (piece.kind == InlineKind::Text)
      texts.emplace_back(piece.text, piece.marks);
    if (piece.kind == InlineKind::Alignment && alignment < 0)
      alignment = piece.value;
  }
  EXPECT_EQ(alignment, 2); // centred
  const std::vector<std::pair<std::u16string, Marks>> expected = {
      {u"t", 0},          {u"b", kBold},   {u"bi", kBold | kItalic},
      {u"u", kUnderline}, {u"s", kStrike}, {u"2", kSubscript}};
  EXPECT_EQ(texts, expected);
}

// A footnote: its mark in the text (the superscript number) becomes the
// reference, its body comes from the text packet, without the number it
// starts with.
TEST(WordPerfectStructure, FootnoteBodyFromItsPacket) {
  using B = WordPerfectBuilder;
  WordPerfectBuilder b;
  const uint16_t packet =
      b.AddTextPacket(B::NumberDisplay(0x0E) + B::Attribute(5, true) + "1" +
                      B::Attribute(5, false) + B::NumberDisplay(0x0F) + B::Group(0xE0, 0x10, "") +
                      "Note\x80" + "body" + B::Group(0xD0, 1, "", false) + "goes\x80on.");
  b.body = "Text" + B::Note(0, packet) + B::Attribute(5, true) + "1" + B::Attribute(5, false) +
           B::Note(1) + ",\x80more\xCC";
  const Document document = ReadDocument(b.Build());
  ASSERT_EQ(document.notes.size(), 1u);
  const Note& note = document.notes[0];
  EXPECT_EQ(note.label, u"1");
  EXPECT_FALSE(note.endnote);
  EXPECT_EQ(NoteText(note), u"Note body goes on.");
  const std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].VisibleText(), u"Text[1], more");
  const auto reference =
      std::find_if(blocks[0].content.begin(), blocks[0].content.end(),
                   [](const Inline& piece) { return piece.kind == InlineKind::NoteReference; });
  ASSERT_NE(reference, blocks[0].content.end());
  EXPECT_EQ(reference->target, note.id);
  // The described text shows the reference and lists the note after the
  // text.
  EXPECT_EQ(Plain(b.Build()), u"Text[1], more\r\n\r\n[1] Note body goes on.\r\n");
}

TEST(WordPerfectStructure, EndnotesCountApartAndNotesWithoutAPacketKeepTheirText) {
  using B = WordPerfectBuilder;
  WordPerfectBuilder b;
  const uint16_t packet = b.AddTextPacket("End\x80text");
  b.body = "a" + B::Note(0) + "inline\x80note" + B::Note(1) + "b" + B::Note(2, packet) + "i" +
           B::Note(3) + "c" + B::Note(0, packet) + "*" + B::Note(1) + "\xCC";
  const Document document = ReadDocument(b.Build());
  ASSERT_EQ(document.notes.size(), 3u);
  // No packet: the text between the codes is the body, the label a count.
  EXPECT_EQ(document.notes[0].label, u"1");
  EXPECT_EQ(NoteText(document.notes[0]), u"inline note");
  EXPECT_TRUE(document.notes[1].endnote);
  EXPECT_EQ(document.notes[1].label, u"i");
  EXPECT_EQ(NoteText(document.notes[1]), u"End text");
  // The second footnote names a packet already read: no body of its own.
  EXPECT_EQ(document.notes[2].label, u"*");
  EXPECT_EQ(NoteText(document.notes[2]), u"");
  EXPECT_NE(document.notes[0].id, document.notes[2].id);
  EXPECT_EQ(document.Main().blocks.at(0).VisibleText(), u"a[1]b[i]c[*]");
}

TEST(WordPerfectStructure, DamagedNotesLeaveTheTextStanding) {
  using B = WordPerfectBuilder;
  WordPerfectBuilder b;
  // A body that breaks off in an extended character, a packet number past
  // the index, a reference whose end never comes.
  const uint16_t broken = b.AddTextPacket("Kept" + std::string("\xF0\x01\x01\x00", 4));
  b.body = "a" + B::Note(0, broken) + "1" + B::Note(1) + "b" + B::Note(0, 99) + "2" + B::Note(1) +
           "c" + B::Note(0, broken) + "3\xCC" + "after";
  const Document document = ReadDocument(b.Build());
  ASSERT_EQ(document.notes.size(), 3u);
  EXPECT_EQ(NoteText(document.notes[0]), u"Kept");
  EXPECT_EQ(NoteText(document.notes[1]), u"");
  ASSERT_EQ(document.Main().blocks.size(), 2u);
  EXPECT_EQ(document.Main().blocks[0].VisibleText(), u"a[1]b[2]c[3]");
  EXPECT_EQ(document.Main().blocks[1].VisibleText(), u"after");
  // Notes in suppressed text are left out.
  const Document hidden =
      ReadBody(B::Suppress(true) + B::Note(0) + "x" + B::Note(1) + B::Suppress(false) + "shown");
  EXPECT_TRUE(hidden.notes.empty());
  EXPECT_EQ(hidden.Main().blocks.at(0).VisibleText(), u"shown");
}

} // namespace
} // namespace scrivlet
