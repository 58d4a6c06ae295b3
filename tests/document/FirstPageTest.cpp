#include "document/FirstPage.h"
#include "support/DocumentBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using namespace test;

std::u16string MainText(const Document& document) {
  std::u16string text;
  for (const Block& block : document.Main().blocks)
    text += block.Text() + u"|";
  return text;
}

TEST(FirstPage, EndsAtTheFirstPageBreakAfterText) {
  // A break before any text (a document that starts on a new page) is no
  // page's end.
  Document document = DocumentOf({PageBreak(1), Paragraph(u"one"), Paragraph(u"two"), PageBreak(2),
                                  Paragraph(u"three"), PageBreak(3)});
  ASSERT_TRUE(KeepFirstPage(document));
  EXPECT_EQ(MainText(document), u"|one|two|");
}

TEST(FirstPage, APresentationShowsItsFirstSlide) {
  Document document = DocumentOf(
      {SlideBreak(u"Intro"), Paragraph(u"Welcome"), SlideBreak(u"Plan"), Paragraph(u"Later")});
  ASSERT_TRUE(KeepFirstPage(document));
  ASSERT_EQ(document.Main().blocks.size(), 2u);
  EXPECT_EQ(document.Main().blocks[0].style, u"Intro");
  EXPECT_EQ(MainText(document), u"|Welcome|");
}

TEST(FirstPage, WithoutBoundariesTheDocumentStaysWhole) {
  Document document = DocumentOf({PageBreak(0), Paragraph(u"one"), Paragraph(u"two")});
  EXPECT_FALSE(KeepFirstPage(document));
  EXPECT_EQ(MainText(document), u"|one|two|");
  Document empty;
  empty.stories.clear();
  EXPECT_FALSE(KeepFirstPage(empty));
}

TEST(FirstPage, KeepsTheNotesItsTextRefersTo) {
  Document document = DocumentOf(
      {BlockWith(BlockKind::Paragraph, {TextPiece(u"a"), NoteReferencePiece(u"1", u"n1")}),
       TableOf({{CellOf({BlockWith(BlockKind::Paragraph, {NoteReferencePiece(u"2", u"n2")})})}}),
       PageBreak(2),
       BlockWith(BlockKind::Paragraph, {TextPiece(u"b"), NoteReferencePiece(u"3", u"n3")})});
  document.notes = {NoteOf(u"n1", u"1", u"first"), NoteOf(u"n2", u"2", u"in a cell"),
                    NoteOf(u"n3", u"3", u"later"), NoteOf(u"n4", u"4", u"unreferenced")};
  ASSERT_TRUE(KeepFirstPage(document));
  ASSERT_EQ(document.notes.size(), 2u);
  EXPECT_EQ(document.notes[0].id, u"n1");
  EXPECT_EQ(document.notes[1].id, u"n2");
}

} // namespace
} // namespace scrivlet
