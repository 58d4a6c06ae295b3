// The blocks the PDF reader gives: page breaks with their numbers, headings
// by size, list items, paragraphs, all in reading order, from documents the
// test builder writes.
#include "readers/pdf/PdfBlocks.h"
#include "readers/pdf/PdfReader.h"
#include "support/ReaderHarness.h"

#include "core/Stream.h"
#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <algorithm>
#include <string>
#include <vector>

namespace scrivlet {
namespace {

using test::PdfBuilder;

std::string PdfFile(const std::vector<std::string>& pageContents) {
  return PdfBuilder::HelveticaPages(pageContents);
}

// A line of text at (x, y) in Helvetica of that size.
std::string Line(double x, double y, const std::string& text, double size = 10) {
  return "BT /F1 " + std::to_string(size) + " Tf " + std::to_string(x) + " " + std::to_string(y) +
         " Td (" + text + ") Tj ET\n";
}

// Columns 200 apart, their lines 12 apart from y = 700 down, shown row by
// row (each row's line of every column in turn).
std::string Columns(const std::vector<std::vector<std::string>>& columns) {
  std::string content;
  for (size_t row = 0; row < columns.front().size(); ++row)
    for (size_t column = 0; column < columns.size(); ++column)
      content += Line(72 + 200.0 * column, 700 - 12.0 * row, columns[column][row]);
  return content;
}

Document Read(const std::string& file) {
  PdfReader reader;
  Document document;
  ReaderOptions options;
  options.items = {ContentItem::Text};
  reader.Read(file, "x.pdf", options, document);
  return document;
}

std::vector<std::u16string> PageEntries(const std::string& file) {
  test::ReaderHarness<PdfReader> reader;
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  std::vector<std::u16string> entries;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    entries.push_back(reader.Lines().Get(i));
  return entries;
}

bool HasEntry(const std::vector<std::u16string>& entries, std::u16string_view entry) {
  for (const std::u16string& e : entries)
    if (e == entry)
      return true;
  return false;
}

TEST(PdfStructureTest, EachColumnIsReadWholeUnderTheHeading) {
  // Two columns and three, each under a heading shown after them.
  std::string two =
      Columns({{"Left one", "left two", "left three"}, {"Right one", "right two", "right three"}}) +
      Line(150, 740, "Across Two Columns", 18);
  std::string three = Columns({{"A one of a text column", "a two of a text column"},
                               {"B one of a text column", "b two of a text column"},
                               {"C one of a text column", "c two of a text column"}}) +
                      Line(200, 740, "Across Three Columns", 18);
  std::vector<std::u16string> entries = PageEntries(PdfFile({two, three}));
  EXPECT_TRUE(HasEntry(entries, u"Across Two Columns\r\nLeft one\r\nleft two\r\nleft three\r\n"
                                u"Right one\r\nright two\r\nright three"));
  EXPECT_TRUE(HasEntry(
      entries, u"Across Three Columns\r\nA one of a text column\r\na two of a text column\r\n"
               u"B one of a text column\r\nb two of a text column\r\n"
               u"C one of a text column\r\nc two of a text column"));

  Document document = Read(PdfFile({two}));
  const std::vector<Block>& blocks = document.Main().blocks;
  // The document starts with the first page: no page break before it.
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].kind, BlockKind::Heading);
  EXPECT_EQ(blocks[0].level, 1);
  EXPECT_EQ(blocks[0].Text(), u"Across Two Columns");
  EXPECT_EQ(blocks[1].kind, BlockKind::Paragraph);
  // The lines of a paragraph flow, parted by soft breaks.
  EXPECT_EQ(blocks[1].VisibleText(), u"Left one left two left three");
  EXPECT_EQ(blocks[1].content.at(1).kind, InlineKind::SoftBreak);
  EXPECT_EQ(blocks[2].VisibleText(), u"Right one right two right three");
}

TEST(PdfStructureTest, ThreeColumnsWithATableAndAFootnote) {
  // As a word processor sets them: a heading across the page, three
  // columns of text shown row by row, a table at the foot of the third
  // column (its rows beside the other columns' last lines) and a footnote
  // under them all.
  std::string page = Line(150, 760, "Heading Across The Page", 18);
  const char* text = "words of column %d line %d";
  for (int row = 0; row < 6; ++row)
    for (int column = 0; column < 3; ++column) {
      double y = 730 - 12.0 * row;
      if (column == 2 && row >= 3) {
        for (int cell = 0; cell < 3; ++cell)
          page += Line(472 + 50.0 * cell, y,
                       "r" + std::to_string(row - 3) + "c" + std::to_string(cell));
        continue;
      }
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, text, column + 1, row + 1);
      page += Line(72 + 200.0 * column, y, buffer);
    }
  page += Line(72, 100, "1 The footnote under the columns.", 8);
  std::vector<std::u16string> entries = PageEntries(PdfFile({page}));
  std::u16string expected = u"Heading Across The Page";
  for (int column = 1; column <= 3; ++column)
    for (int row = 1; row <= (column == 3 ? 3 : 6); ++row)
      expected += u"\r\nwords of column " +
                  std::u16string(1, static_cast<char16_t>(u'0' + column)) + u" line " +
                  std::u16string(1, static_cast<char16_t>(u'0' + row));
  expected += u"\r\nr0c0 r0c1 r0c2\r\nr1c0 r1c1 r1c2\r\nr2c0 r2c1 r2c2";
  expected += u"\r\n1 The footnote under the columns.";
  EXPECT_TRUE(HasEntry(entries, expected)) << [&] {
    std::string all;
    for (const std::u16string& e : entries)
      all += std::string(e.begin(), e.end()) + "\n----\n";
    return all;
  }();
}

TEST(PdfStructureTest, PagesParagraphsHeadingLevelsAndLists) {
  std::string first = Line(72, 740, "Title", 24) + Line(72, 710, "Section", 16) +
                      Line(72, 690, "First line of a paragraph") + Line(72, 678, "and its end.") +
                      Line(90, 666, "An indented first line") + Line(72, 654, "goes on.") +
                      Line(72, 620, "After a gap.");
  std::string second = Line(72, 700, "Another Section", 16) + Line(72, 680, "1. first item") +
                       Line(86, 668, "continued") + Line(72, 656, "2. second item") +
                       Line(72, 644, "\\225 a bullet") + Line(72, 620, "Body text.");
  Document document = Read(PdfFile({first, second}));
  const std::vector<Block>& b = document.Main().blocks;
  std::u16string all;
  for (const Block& block : b)
    all += std::u16string(1, static_cast<char16_t>(u'0' + static_cast<int>(block.kind))) +
           block.VisibleText() + u"|";
  ASSERT_EQ(b.size(), 11u) << std::string(all.begin(), all.end());
  EXPECT_EQ(b[0].kind, BlockKind::Heading);
  EXPECT_EQ(b[0].level, 1);
  EXPECT_EQ(b[1].kind, BlockKind::Heading);
  EXPECT_EQ(b[1].level, 2);
  EXPECT_EQ(b[2].VisibleText(), u"First line of a paragraph and its end.");
  EXPECT_EQ(b[3].VisibleText(), u"An indented first line goes on.");
  EXPECT_EQ(b[4].VisibleText(), u"After a gap.");
  // The break before a page carries that page's number.
  EXPECT_EQ(b[5].kind, BlockKind::PageBreak);
  EXPECT_EQ(b[5].value, 2);
  EXPECT_EQ(b[6].level, 2);
  EXPECT_EQ(b[7].kind, BlockKind::ListItem);
  EXPECT_TRUE(b[7].ordered);
  EXPECT_EQ(b[7].value, 1);
  EXPECT_EQ(b[7].marker, u"1.");
  EXPECT_EQ(b[7].VisibleText(), u"first item continued");
  EXPECT_EQ(b[8].value, 2);
  EXPECT_EQ(b[9].kind, BlockKind::ListItem);
  EXPECT_FALSE(b[9].ordered);
  EXPECT_EQ(b[9].marker, u"\u2022");
  EXPECT_EQ(b[10].kind, BlockKind::Paragraph);

  // The plain text still gives each page line by line, markers and all.
  std::vector<std::u16string> entries = PageEntries(PdfFile({first, second}));
  EXPECT_TRUE(HasEntry(entries, u"Another Section\r\n1. first item\r\ncontinued\r\n2. second "
                                u"item\r\n\u2022 a bullet\r\nBody text."));
}

TEST(PdfStructureTest, ANumberAloneIsNoListItem) {
  // "1. Auflage" on a title page: a number, but no list around it and no
  // line hanging under it.
  std::string title =
      Line(72, 700, "Der Titel") + Line(72, 660, "1. Auflage 2010") + Line(72, 620, "Verlag");
  std::string item = Line(72, 560, "1. lone item") + Line(86, 548, "hangs under its text");
  Document document = Read(PdfFile({title, item}));
  const std::vector<Block>& b = document.Main().blocks;
  ASSERT_EQ(b.size(), 5u);
  EXPECT_EQ(b[1].kind, BlockKind::Paragraph);
  EXPECT_EQ(b[1].Text(), u"1. Auflage 2010");
  EXPECT_EQ(b[4].kind, BlockKind::ListItem);
  EXPECT_EQ(b[4].Text(), u"lone item hangs under its text");
}

TEST(PdfStructureTest, BulletsIndentedBeforeTheirItemsAreListItems) {
  // Word and most writers set a bullet, then its text a tab further on:
  // the bullets were read as a column of their own before the items.
  std::string content = Line(72, 700, "Some items follow:");
  const char* items[] = {"First item", "Second item", "Third item", "Fourth item"};
  for (int i = 0; i < 4; ++i) {
    content += Line(72, 686 - 14.0 * i, "\\225");
    content += Line(90, 686 - 14.0 * i, items[i]);
  }
  content += Line(72, 616, "And a paragraph after them.");
  Document document = Read(PdfFile({content}));
  const std::vector<Block>& b = document.Main().blocks;
  ASSERT_EQ(b.size(), 6u);
  EXPECT_EQ(b[0].Text(), u"Some items follow:");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b[1 + i].kind, BlockKind::ListItem);
    EXPECT_EQ(b[1 + i].Text(), std::u16string(items[i], items[i] + std::strlen(items[i])));
  }
  EXPECT_EQ(b[5].Text(), u"And a paragraph after them.");
}

TEST(PdfStructureTest, AnEmptyFirstPageKeepsItsBreak) {
  Document document = Read(PdfFile({"", Line(72, 700, "two")}));
  const std::vector<Block>& b = document.Main().blocks;
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0].kind, BlockKind::PageBreak);
  EXPECT_EQ(b[0].value, 1);
  EXPECT_EQ(b[1].value, 2);
  std::vector<std::u16string> entries = PageEntries(PdfFile({"", Line(72, 700, "two")}));
  auto second = std::find(entries.begin(), entries.end(), u"two");
  ASSERT_NE(second, entries.end());
  ASSERT_NE(second, entries.begin());
  EXPECT_EQ(second[-1], u"");
}

TEST(PdfStructureTest, EmptyPagesKeepTheirEntry) {
  std::vector<std::u16string> entries =
      PageEntries(PdfFile({Line(72, 700, "one"), "", Line(72, 700, "three")}));
  auto first = std::find(entries.begin(), entries.end(), u"one");
  ASSERT_NE(first, entries.end());
  ASSERT_LT(first + 2, entries.end());
  EXPECT_EQ(first[1], u"");
  EXPECT_EQ(first[2], u"three");
}

TEST(PdfTextSizesTest, BodySizeIsTheMostCommonAndHeadingsAreClearlyLarger) {
  TextSizes sizes;
  std::vector<pdf::PageLine> lines(4);
  lines[0] = {u"a long line of body text", 10, 10};
  lines[1] = {u"slightly larger", 11, 11};
  lines[2] = {u"Big", 20, 20};
  lines[3] = {u"Medium", 14, 14};
  sizes.Count(lines);
  sizes.Decide();
  EXPECT_EQ(sizes.HeadingLevel(10), 0);
  EXPECT_EQ(sizes.HeadingLevel(11), 0);
  EXPECT_EQ(sizes.HeadingLevel(20), 1);
  EXPECT_EQ(sizes.HeadingLevel(14), 2);
  EXPECT_EQ(sizes.HeadingLevel(30), 0); // a size the document does not use
  TextSizes none;
  none.Decide();
  EXPECT_EQ(none.HeadingLevel(12), 0);
}

} // namespace
} // namespace scrivlet
