// What the Word binary reader makes of a story's control characters and
// fields: paragraph blocks with their ending, cell and row ends, and the
// pieces of fields, before any writer formats them.
#include "readers/word/DocReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrivlet {
namespace {

// The pieces of a block as a short string: text as it is, every other
// piece as its kind's letter in brackets.
std::u16string Pieces(const Block& block) {
  std::u16string out;
  for (const Inline& piece : block.content) {
    switch (piece.kind) {
    case InlineKind::Text: out += piece.text; break;
    case InlineKind::FieldCode: out += u"[C:" + piece.text + u"]"; break;
    case InlineKind::FieldResult: out += u"[R:" + piece.text + u"]"; break;
    case InlineKind::Tab: out += u"[tab]"; break;
    case InlineKind::LineBreak: out += u"[br]"; break;
    case InlineKind::ColumnBreak: out += u"[col]"; break;
    case InlineKind::FieldBegin: out += u"[{]"; break;
    case InlineKind::FieldSeparator: out += u"[|]"; break;
    case InlineKind::FieldEnd: out += u"[}]"; break;
    case InlineKind::RawField: out += u"[raw]"; break;
    default: out += u"[?]"; break;
    }
  }
  return out;
}

// Each block: its pieces, then "<P>" for a paragraph mark, or "<cell>" and
// "<row>" for a cell end block.
std::vector<std::u16string> Blocks(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (const Block& block : StoryBlocks(text, true)) {
    if (block.kind == BlockKind::CellEnd)
      out.push_back(block.value ? u"<row>" : u"<cell>");
    else
      out.push_back(Pieces(block) + (block.ending == kWordParagraphMark ? u"<P>" : u""));
  }
  return out;
}

using Texts = std::vector<std::u16string>;

TEST(DocStoryBlocks, ParagraphsAndCells) {
  EXPECT_EQ(Blocks(u"one\rtwo"), (Texts{u"one<P>", u"two"}));
  EXPECT_EQ(Blocks(u"one\r\r"), (Texts{u"one<P>", u"<P>"}));
  // A cell's last paragraph ends with the cell; two marks end the row.
  EXPECT_EQ(Blocks(u"a\x07"
                   u"b\rc\x07\x07"
                   u"d"),
            (Texts{u"a", u"<cell>", u"b<P>", u"c", u"<row>", u"d"}));
  EXPECT_EQ(Blocks(u"\x07\x07\x07"), (Texts{u"<row>", u"<cell>"}));
  // An empty text is one empty paragraph.
  EXPECT_EQ(Blocks(u""), (Texts{u""}));
}

TEST(DocStoryBlocks, BreaksAndMarksWithoutText) {
  EXPECT_EQ(Blocks(std::u16string(u"a\tb\x0b"
                                  u"c\x0e"
                                  u"d\x1e"
                                  u"e\x01\x0c\x1f\0\nf",
                                  15)),
            (Texts{u"a[tab]b[br]c[col]d-e\nf"}));
}

TEST(DocStoryBlocks, FieldsKeepCodeAndResultApart) {
  EXPECT_EQ(Blocks(u"p\x13 PAGE \x14"
                   u"3\x15."),
            (Texts{u"p[{][C: PAGE ][|][R:3][}]."}));
  // A field end without a field is nothing, a separator without one stays.
  EXPECT_EQ(Blocks(u"\x13 REF \x14"
                   u"a\x15\x15\x14"),
            (Texts{u"[{][C: REF ][|][R:a][}][|]"}));
  // A field's paragraphs are blocks of their own.
  EXPECT_EQ(Blocks(u"\x13x\x14one\rtwo\x15"), (Texts{u"[{][C:x][|][R:one]<P>", u"[R:two][}]"}));
}

TEST(DocStoryBlocks, NestedFields) {
  // In a result: the nested field's result is part of the outer one's.
  EXPECT_EQ(Blocks(u"\x13 REF a \x14"
                   u"x\x13 PAGE \x14"
                   u"7\x15y\x15z"),
            (Texts{u"[{][C: REF a ][|][R:x][{][C: PAGE ][|][R:7][}][R:y][}]z"}));
  // In an instruction: all the nested field holds is instruction.
  EXPECT_EQ(Blocks(u"\x13 IF \x13 REF a \x14"
                   u"1\x15 = 1 \x14yes\x15"),
            (Texts{u"[{][C: IF ][{][C: REF a ][|][C:1][}][C: = 1 ][|][R:yes][}]"}));
  // A table of contents: entries linked to their places, page numbers
  // inside the links, paragraphs inside the fields.
  std::vector<Block> blocks = StoryBlocks(u"\x13 TOC \x14\x13 HYPERLINK \\l \"_Toc1\" \x14"
                                          u"One\t\x13 PAGEREF _Toc1 \x14"
                                          u"2\x15\x15\r\x15"
                                          u"after",
                                          true);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].Text(), u"One2");
  EXPECT_EQ(blocks[1].Text(), u"after");
  for (const Inline& piece : blocks[0].content) {
    if (piece.kind == InlineKind::FieldResult) {
      EXPECT_EQ(piece.target, u"#_Toc1");
    }
  }
  // Three fields deep, then text outside all of them.
  EXPECT_EQ(Blocks(u"\x13"
                   u"a\x13"
                   u"b\x13"
                   u"c\x14"
                   u"C\x15\x14"
                   u"B\x15\x14"
                   u"A\x15."),
            (Texts{u"[{][C:a][{][C:b][{][C:c][|][C:C][}][|][C:B][}][|][R:A][}]."}));
}

TEST(DocStoryBlocks, FieldsWithoutResult) {
  // Nothing shows but what Word computes for an equation or a symbol.
  EXPECT_EQ(Blocks(u"a\x13 PAGE \x15"
                   u"b"),
            (Texts{u"a[{][C: PAGE ][}]b"}));
  EXPECT_EQ(
      Blocks(u"\x13 EQ \\o\\ad(\\s\\up 10(\u3068\u3046),\u6771\u4eac)\x15"),
      (Texts{u"[{][C: EQ \\o\\ad(\\s\\up 10(\u3068\u3046),\u6771\u4eac)][|][R:\u6771\u4eac][}]"}));
  EXPECT_EQ(Blocks(u"\x13SYMBOL 183 \\f \"Symbol\"\x15\tx"),
            (Texts{u"[{][C:SYMBOL 183 \\f \"Symbol\"][|][R:\u00b7][}][tab]x"}));
  // Inside an instruction, the computed text is instruction too.
  EXPECT_EQ(Blocks(u"\x13 IF \x13 SYMBOL 65 \x15 \x14r\x15"),
            (Texts{u"[{][C: IF ][{][C: SYMBOL 65 ][|][C:A][}][C: ][|][R:r][}]"}));
}

TEST(DocStoryBlocks, FieldsWrittenAsTheyStand) {
  // Open where the text ends.
  EXPECT_EQ(Blocks(u"a\x13 PAGE \x14"
                   u"5"),
            (Texts{u"a[raw][C: PAGE ][|][R:5]"}));
  // With a whole field and an open one inside.
  EXPECT_EQ(Blocks(u"\x13 REF \x14"
                   u"r\x13 PAGE \x14"
                   u"5\x15\x13 X"),
            (Texts{u"[raw][C: REF ][|][R:r][{][C: PAGE ][|][R:5][}][raw][C: X]"}));
  // However long a field, it ends where its end is.
  std::u16string text = u"\x13 QUOTE \x14";
  text += std::u16string(300, u'c');
  text += u"\x0b\x15r";
  std::vector<std::u16string> blocks = Blocks(text);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], u"[{][C: QUOTE ][|][R:" + std::u16string(300, u'c') + u"][br][}]r");
}

TEST(DocStoryBlocks, KeptAsTheyStand) {
  std::vector<Block> blocks = StoryBlocks(u"a\rb\x13x\x15", false);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Preformatted);
  EXPECT_EQ(blocks[0].Text(), u"a\rb\x13x\x15");
}

} // namespace
} // namespace scrivlet
