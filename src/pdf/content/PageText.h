// A page's text items laid out as lines in reading order.
//
// Within a line the content stream decides: an item starts a new line when
// its start lies more than kLineThreshold units across the baseline from
// the start of the last item shown (a difference of exactly 5 stays on the
// line).  On the same line, one blank goes between two items when the
// second starts at least kWordGap ems (of its font size) after the pen
// position where the previous one ended, or more than one em before it
// (text placed back on the line), unless a blank is already there; smaller
// gaps, such as kerning, join the items.
//
// The order of the lines comes from where they stand on the page (see
// LinePieces.h and ReadingOrder.h): columns are read one after the other,
// text across the columns keeps its place above or below them.  Text of
// each direction is read in its own frame (vertical writing: lines top to
// bottom, right to left), directions in the order the page first uses
// them.  A page whose text is mostly right to left reads its columns and
// the pieces of a line right to left; right-to-left words stored in visual
// order are put in logical order (VisualOrder.h).  Lines are separated by
// CR LF.
#pragma once

#include "pdf/content/TextItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::pdf {

inline constexpr double kLineThreshold = 5;
inline constexpr double kWordGap = 0.15;

struct PageLine {
  std::u16string text;
  double em = 0;    // the largest font size on it
  double size = 0;  // the font size of most of its text (of its longest piece)
  double start = 0; // along the line, in the frame of its direction
  double end = 0;
  double baseline = 0; // across: higher is nearer the top
  uint32_t column = 0; // lines read in one column share it
};

std::vector<PageLine> LayOutPageLines(const std::vector<TextItem>& items);

std::u16string LayOutPageText(const std::vector<TextItem>& items);

// The lines' text, separated by CR LF.
std::u16string JoinPageLines(const std::vector<PageLine>& lines);

} // namespace scrivlet::pdf
