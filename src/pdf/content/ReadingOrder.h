// The order in which a reader reads the lines of a page, from where they
// stand (boxes in the frame of their direction: "top" is read first).
//
// The lines are cut into bands, top to bottom, at every height no line
// crosses.  A band whose lines leave a gap between them at some place
// across its width (a gutter) holds columns; the bands around it that keep
// that gap free (a column that runs longer than its neighbour, a heading
// over one column) go with it, unless more than a band gap lies between
// (rows of a table of contents or of a form).  A narrow gap must line up
// over several bands to count as a gutter: the columns of a table do, the
// wide spaces of justified text seldom.  Such a group is read column by column,
// each column cut again in the same way (a table inside a column, columns
// under a heading of their own); a band without a gutter, such as a title
// or a footnote across the columns, keeps its place.  Lines of one band
// without a gutter are read top to bottom, left to right (right to left
// for right-to-left text, whose columns are read right to left too).
//
// A narrow column of bullets or numbers, each on the row of a line of the
// column beside it, is no column of its own: the marks hang before their
// items' text and are read with it.
//
// Bands that each hold one row of kTableColumns or more short lines (at
// most tableCell wide, but for one at most twice as wide), kMinTableRows to
// kTableRows of them one after the other, are a table: they make a group of
// their own, read row by row, as the cells of a row belong together.
// Longer runs of such rows (a tax table, a list of figures) are read column
// by column, as pdftotext reads them.
//
// Each cut sorts the lines it cuts; the work of all cuts is bounded by
// kWorkPerLine times the number of lines, past which the rest is read top
// to bottom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scrivlet::pdf {

struct LineBox {
  double left = 0, right = 0; // along the lines
  double top = 0, bottom = 0; // across them, top > bottom
  double baseline = 0;
  uint32_t row = 0; // lines on one baseline share it, rows numbered top to bottom
};

struct ReadingPlace {
  uint32_t line = 0;   // index into the boxes
  uint32_t column = 0; // lines read as one column, or one band, share it
};

inline constexpr uint64_t kWorkPerLine = 64;
inline constexpr size_t kTableColumns = 3;
inline constexpr size_t kMinTableRows = 2;
inline constexpr size_t kTableRows = 6;

struct ReadingRules {
  double minGutter = 0;  // the narrowest gap that separates columns
  double wideGutter = 0; // narrower gaps separate columns when three bands share them
  double bandGap = 0;    // the widest gap between bands of one group of columns
  bool rightToLeft = false;
  double tableCell = 0; // the widest usual cell of a table (0: no tables)
  // List marks: a column of lines at most markWidth wide, each on the row
  // of a line of the column beside it (after it in reading direction) and
  // at most markGap from it, is those lines' marks (0: none).
  double markWidth = 0;
  double markGap = 0;
};

std::vector<ReadingPlace> ReadingOrder(const std::vector<LineBox>& boxes,
                                       const ReadingRules& rules);

} // namespace scrivlet::pdf
