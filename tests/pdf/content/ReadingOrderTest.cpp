#include "pdf/content/ReadingOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace scrivlet::pdf {
namespace {

// Lines of text 10 units high (em 10) on 12-unit rows; each gets a name.
class ReadingOrderTest : public ::testing::Test {
protected:
  void Line(const std::string& name, double left, double right, double baseline) {
    uint32_t row = 0;
    for (const LineBox& box : boxes)
      row += box.baseline > baseline;
    boxes.push_back({left, right, baseline + 7.5, baseline - 2.5, baseline, row});
    names.push_back(name);
  }

  // Rows are numbered by the baselines above, as the line pieces number them.
  std::string Read(bool rightToLeft = false, bool listMarks = false) {
    for (LineBox& box : boxes) {
      box.row = 0;
      for (const LineBox& other : boxes)
        box.row += other.baseline > box.baseline;
    }
    ReadingRules rules{5, 10, 10, rightToLeft};
    if (listMarks) {
      rules.markWidth = 20;
      rules.markGap = 40;
    }
    std::string order;
    for (const ReadingPlace& place : ReadingOrder(boxes, rules)) {
      order += order.empty() ? "" : " ";
      order += names[place.line];
    }
    return order;
  }

  std::vector<LineBox> boxes;
  std::vector<std::string> names;
};

TEST_F(ReadingOrderTest, TwoColumnsAreReadOneAfterTheOther) {
  for (int row = 0; row < 4; ++row) {
    Line("L" + std::to_string(row), 72, 290, 700 - 12 * row);
    Line("R" + std::to_string(row), 310, 530, 700 - 12 * row);
  }
  EXPECT_EQ(Read(), "L0 L1 L2 L3 R0 R1 R2 R3");
}

TEST_F(ReadingOrderTest, ListMarksHangBeforeTheirItems) {
  // Bullets an indent before their items' text, on the items' rows: the
  // gap between would make them a column of their own.
  for (int row = 0; row < 4; ++row) {
    Line("B" + std::to_string(row), 72, 76, 700 - 12 * row);
    Line("T" + std::to_string(row), 90, 400, 700 - 12 * row);
  }
  EXPECT_EQ(Read(false, false), "B0 B1 B2 B3 T0 T1 T2 T3");
  EXPECT_EQ(Read(false, true), "B0 T0 B1 T1 B2 T2 B3 T3");
  boxes.clear();
  names.clear();
  // Right to left: the marks stand at the right.
  for (int row = 0; row < 4; ++row) {
    Line("B" + std::to_string(row), 526, 530, 700 - 12 * row);
    Line("T" + std::to_string(row), 200, 512, 700 - 12 * row);
  }
  EXPECT_EQ(Read(true, true), "B0 T0 B1 T1 B2 T2 B3 T3");
}

TEST_F(ReadingOrderTest, ShortNumbersBesideShortNumbersOrOtherRowsAreNoMarks) {
  // A table's columns of short numbers stay columns.
  for (int row = 0; row < 8; ++row) {
    Line("A" + std::to_string(row), 72, 84, 700 - 12 * row);
    Line("B" + std::to_string(row), 100, 112, 700 - 12 * row);
  }
  EXPECT_EQ(Read(false, true), "A0 A1 A2 A3 A4 A5 A6 A7 B0 B1 B2 B3 B4 B5 B6 B7");
  boxes.clear();
  names.clear();
  // Short lines between the rows of the text beside them are no marks.
  for (int row = 0; row < 4; ++row) {
    Line("N" + std::to_string(row), 72, 80, 694 - 12 * row);
    Line("T" + std::to_string(row), 90, 400, 700 - 12 * row);
  }
  EXPECT_EQ(Read(false, true), "N0 N1 N2 N3 T0 T1 T2 T3");
}

TEST_F(ReadingOrderTest, ThreeColumnsUnderAHeadingAcrossThem) {
  Line("H", 150, 450, 730);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      Line(std::string(1, "ABC"[column]) + std::to_string(row), 72 + 160.0 * column,
           212 + 160.0 * column, 700 - 12 * row);
  EXPECT_EQ(Read(), "H A0 A1 A2 B0 B1 B2 C0 C1 C2");
}

TEST_F(ReadingOrderTest, TextAcrossTheColumnsKeepsItsPlace) {
  Line("top", 72, 530, 740);
  Line("L0", 72, 290, 700);
  Line("R0", 310, 530, 700);
  Line("L1", 72, 290, 688);
  Line("R1", 310, 530, 688);
  Line("caption", 72, 530, 676);
  Line("L2", 72, 290, 664);
  Line("R2", 310, 530, 664);
  Line("footer", 280, 320, 600);
  EXPECT_EQ(Read(), "top L0 L1 R0 R1 caption L2 R2 footer");
}

TEST_F(ReadingOrderTest, ALongerColumnAndAHeadingOverOneColumnStayInTheirColumn) {
  Line("head", 72, 150, 712);
  for (int row = 0; row < 3; ++row) {
    Line("L" + std::to_string(row), 72, 290, 700 - 12 * row);
    if (row < 2)
      Line("R" + std::to_string(row), 310, 530, 712 - 12 * row);
  }
  EXPECT_EQ(Read(), "head L0 L1 L2 R0 R1");
}

TEST_F(ReadingOrderTest, RowsFarApartAreReadAsRows) {
  // A table of contents: titles and page numbers 2.5 ems apart.
  Line("Intro", 72, 150, 700);
  Line("1", 500, 505, 700);
  Line("Methods", 72, 160, 675);
  Line("5", 500, 505, 675);
  EXPECT_EQ(Read(), "Intro 1 Methods 5");
}

TEST_F(ReadingOrderTest, NarrowGapsAreGuttersOnlyWhenThreeRowsShareThem) {
  // A gap of 7 units (less than the wide gutter) on two rows: text.
  Line("a0", 72, 200, 700);
  Line("b0", 207, 300, 700);
  Line("a1", 72, 199, 688);
  Line("b1", 207, 300, 688);
  EXPECT_EQ(Read(), "a0 b0 a1 b1");
  // On three rows: the columns of a table.
  Line("a2", 72, 198, 676);
  Line("b2", 206, 300, 676);
  EXPECT_EQ(Read(), "a0 a1 a2 b0 b1 b2");
}

TEST_F(ReadingOrderTest, RightToLeftPagesReadTheirColumnsFromTheRight) {
  for (int row = 0; row < 2; ++row) {
    Line("L" + std::to_string(row), 72, 290, 700 - 12 * row);
    Line("R" + std::to_string(row), 310, 530, 700 - 12 * row);
  }
  EXPECT_EQ(Read(true), "R0 R1 L0 L1");
}

TEST_F(ReadingOrderTest, EveryLineIsReadOnceWhateverTheShape) {
  // A grid of single glyphs and a staircase: all lines, each once.
  for (int i = 0; i < 400; ++i)
    Line(std::to_string(i), 30.0 * (i % 20), 30.0 * (i % 20) + 5, 30.0 * (20 - i / 20));
  for (int i = 0; i < 400; ++i)
    Line("s", 3.0 * i, 3.0 * i + 5, -6.0 * i);
  std::vector<bool> seen(boxes.size());
  ReadingRules rules{5, 10, 10, false};
  for (const ReadingPlace& place : ReadingOrder(boxes, rules)) {
    ASSERT_LT(place.line, seen.size());
    EXPECT_FALSE(seen[place.line]);
    seen[place.line] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(boxes.size()));
  EXPECT_TRUE(ReadingOrder({}, rules).empty());
}

} // namespace
} // namespace scrivlet::pdf
