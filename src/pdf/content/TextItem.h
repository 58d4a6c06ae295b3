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
};

} // namespace scrivlet::pdf
