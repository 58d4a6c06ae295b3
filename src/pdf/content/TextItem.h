// One string shown on a page, with where the pen was before and after it.
//
// Positions are in the page's default user space (after the current
// transformation matrix): the Y axis points up.  The baseline direction is
// the unit vector along which the text runs, and em the font size in the
// same units, so gaps can be measured in ems whatever the scaling.
#pragma once

#include "pdf/content/Matrix.h"

#include <string>

namespace scrivlet::pdf {

struct TextItem {
  std::u16string text;
  Point start; // pen position before the first glyph
  Point end;   // pen position after the last glyph (spacing included)
  Point direction{1, 0};
  double em = 0;                 // font size in user space
  bool startsTextObject = false; // the first string after "BT"
  // Strings shown one right after the other (each starting where the pen
  // stopped, in the same size and direction) are kept as one item: a page
  // drawing its text a glyph at a time holds one item per run, not one per
  // glyph.  The longest of the strings joined, and where it starts, stand
  // for the item where the longest string of a line counts; the start of
  // the last one where the place of the last string shown counts.
  size_t longestPart = 0; // 0: the item is one string (its text)
  Point longestStart{};
  Point lastPartStart{};

  size_t LongestPart() const { return longestPart ? longestPart : text.size(); }
  Point LongestStart() const { return longestPart ? longestStart : start; }
  Point LastPartStart() const { return longestPart ? lastPartStart : start; }
};

} // namespace scrivlet::pdf
