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
  // A field begin ends the open field; a field end without one is nothing,
  // a separator without one stays.
  EXPECT_EQ(Blocks(u"\x13 REF \x14"
                   u"a\x13 PAGE \x14"
                   u"7\x15\x15\x14"),
            (Texts{u"[{][C: REF ][|][R:a][}][{][C: PAGE ][|][R:7][}][|]"}));
  // A field's paragraphs are blocks of their own.
  EXPECT_EQ(Blocks(u"\x13x\x14one\rtwo\x15"), (Texts{u"[{][C:x][|][R:one]<P>", u"[R:two][}]"}));
}

TEST(DocStoryBlocks, FieldsWrittenAsTheyStand) {
  // Open where the text ends.
  EXPECT_EQ(Blocks(u"a\x13 PAGE \x14"
                   u"5"),
            (Texts{u"a[raw][C: PAGE ][|][R:5]"}));
  // More than 200 pieces at a mark: what follows is text again.
  std::u16string text = u"\x13";
  text += std::u16string(199, u'c');
  text += u"\x0b\x0b\x14r\x15";
  std::vector<std::u16string> blocks = Blocks(text);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], u"[raw][C:" + std::u16string(199, u'c') + u"][br][br][|]r");
  // A row end counts for two pieces.
  text = u"\x13";
  text += std::u16string(198, u'c');
  text += u"\x07\x07\x0b\x15";
  blocks = Blocks(text);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0], u"[raw][C:" + std::u16string(198, u'c') + u"]");
  EXPECT_EQ(blocks[2], u"[br]");
}

TEST(DocStoryBlocks, KeptAsTheyStand) {
  std::vector<Block> blocks = StoryBlocks(u"a\rb\x13x\x15", false);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Preformatted);
  EXPECT_EQ(blocks[0].Text(), u"a\rb\x13x\x15");
}

} // namespace
} // namespace scrivlet
