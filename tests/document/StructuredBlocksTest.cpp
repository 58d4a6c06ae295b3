#include "document/StructuredBlocks.h"
#include "document/NoteOrder.h"
#include "support/DocumentBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::BlockOf;
using test::CellStart;
using test::ListStart;
using test::Paragraph;

Story StoryOf(std::vector<Block> blocks) {
  Story story;
  story.blocks = std::move(blocks);
  return story;
}

TEST(StructuredBlocks, NestedListBoundariesBecomeItemsWithLevelsAndNumbers) {
  auto item = [](std::u16string text) {
    return std::vector<Block>{BlockOf(BlockKind::ListItemStart), Paragraph(std::move(text))};
  };
  std::vector<Block> blocks{ListStart(true)};
  for (auto& b : item(u"one"))
    blocks.push_back(b);
  blocks.push_back(Paragraph(u"more of one")); // a second paragraph of the item
  blocks.push_back(ListStart(false));
  for (auto& b : item(u"inner"))
    blocks.push_back(b);
  blocks.push_back(BlockOf(BlockKind::ListItemEnd));
  blocks.push_back(BlockOf(BlockKind::ListEnd));
  blocks.push_back(BlockOf(BlockKind::ListItemEnd));
  for (auto& b : item(u"two"))
    blocks.push_back(b);
  blocks.push_back(BlockOf(BlockKind::ListEnd));
  blocks.push_back(Paragraph(u"after"));

  std::vector<Block> out = StructuredBlocks(StoryOf(blocks));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].kind, BlockKind::ListItem);
  EXPECT_EQ(out[0].VisibleText(), u"one\nmore of one");
  EXPECT_TRUE(out[0].ordered);
  EXPECT_EQ(out[0].level, 1);
  EXPECT_EQ(out[0].marker, u"1.");
  EXPECT_EQ(out[1].VisibleText(), u"inner");
  EXPECT_EQ(out[1].level, 2);
  EXPECT_FALSE(out[1].ordered);
  EXPECT_EQ(out[2].VisibleText(), u"two");
  EXPECT_EQ(out[2].marker, u"2.");
  EXPECT_EQ(out[3].kind, BlockKind::Paragraph);
}

TEST(StructuredBlocks, TableBoundariesBecomeRowsOfCells) {
  std::vector<Block> blocks{BlockOf(BlockKind::TableStart),
                            BlockOf(BlockKind::RowStart),
                            CellStart(2),
                            Paragraph(u"wide"),
                            BlockOf(BlockKind::CellEnd),
                            BlockOf(BlockKind::RowEnd),
                            BlockOf(BlockKind::RowStart),
                            CellStart(),
                            Paragraph(u"a"),
                            BlockOf(BlockKind::CellEnd),
                            Paragraph(u"between cells"), // text outside any cell
                            CellStart(),
                            BlockOf(BlockKind::TableStart), // a nested table
                            CellStart(),
                            Paragraph(u"nested"),
                            BlockOf(BlockKind::TableEnd),
                            BlockOf(BlockKind::CellEnd),
                            BlockOf(BlockKind::RowEnd),
                            BlockOf(BlockKind::TableEnd)};
  std::vector<Block> out = StructuredBlocks(StoryOf(blocks));
  ASSERT_EQ(out.size(), 1u);
  const Block& table = out[0];
  ASSERT_EQ(table.kind, BlockKind::Table);
  ASSERT_EQ(table.rows.size(), 2u);
  ASSERT_EQ(table.rows[0].cells.size(), 1u);
  EXPECT_EQ(table.rows[0].cells[0].columnSpan, 2);
  ASSERT_EQ(table.rows[1].cells.size(), 3u);
  EXPECT_EQ(table.rows[1].cells[1].blocks.at(0).VisibleText(), u"between cells");
  const Block& nested = table.rows[1].cells[2].blocks.at(0);
  ASSERT_EQ(nested.kind, BlockKind::Table);
  EXPECT_EQ(nested.rows.at(0).cells.at(0).blocks.at(0).VisibleText(), u"nested");
}

TEST(StructuredBlocks, UnclosedAndTooDeepStructuresKeepTheirText) {
  std::vector<Block> blocks;
  for (size_t i = 0; i < kMaxStructureDepth + 10; ++i)
    blocks.push_back(BlockOf(BlockKind::TableStart));
  blocks.push_back(Paragraph(u"deep"));
  blocks.push_back(BlockOf(BlockKind::ListEnd)); // stray ends are ignored
  blocks.push_back(BlockOf(BlockKind::CellEnd));
  std::vector<Block> out = StructuredBlocks(StoryOf(blocks));
  ASSERT_EQ(out.size(), 1u);
  const Block* table = &out[0];
  size_t depth = 1;
  while (!table->rows.empty() && !table->rows[0].cells.empty() &&
         table->rows[0].cells[0].blocks.at(0).kind == BlockKind::Table) {
    table = &table->rows[0].cells[0].blocks[0];
    ++depth;
  }
  EXPECT_EQ(depth, kMaxStructureDepth);
  EXPECT_EQ(table->rows.at(0).cells.at(0).blocks.at(0).VisibleText(), u"deep");
}

TEST(StructuredBlocks, DescribedOnlyBlocksAndBlankParagraphsAreLeftOut) {
  Block withDeletion = Paragraph(u"kept");
  withDeletion.content.push_back(test::TextPiece(u" gone", kDeleted));
  std::vector<Block> blocks{BlockOf(BlockKind::StyleRule, u"P1"), Paragraph(u" \t"),
                            BlockOf(BlockKind::EmptyLine),        withDeletion,
                            BlockOf(BlockKind::PageBreak),        BlockOf(BlockKind::DocumentEnd)};
  std::vector<Block> out = StructuredBlocks(StoryOf(blocks));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].VisibleText(), u"kept");
  EXPECT_EQ(out[1].kind, BlockKind::PageBreak);
}

TEST(NoteOrder, NotesFollowTheirFirstReferenceAndNoneIsLost) {
  Document document;
  document.notes.push_back(test::NoteOf(u"a", u"1", u"first held"));
  document.notes.push_back(test::NoteOf(u"b", u"2", u"second held"));
  document.notes.push_back(test::NoteOf(u"c", u"*", u"never referred to"));
  Block paragraph = Paragraph(u"text");
  paragraph.content.push_back(test::NoteReferencePiece(u"2", u"b"));
  Block table = BlockOf(BlockKind::Table);
  table.rows.emplace_back().cells.emplace_back().blocks.push_back(paragraph);
  Block again = Paragraph(u"again");
  again.content.push_back(test::NoteReferencePiece(u"2", u"b"));
  again.content.push_back(test::NoteReferencePiece(u"1", u"a"));
  document.Main().blocks = {table, again};
  std::vector<const Note*> order = NotesInReferenceOrder(document);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0]->id, u"b");
  EXPECT_EQ(order[1]->id, u"a");
  EXPECT_EQ(order[2]->id, u"c");
  EXPECT_EQ(again.VisibleText(), u"again[2][1]");
}

} // namespace
} // namespace scrivlet
