// A page's text items laid out as lines, in content order (items are never
// sorted: text comes as the content stream shows it, form text at the point
// of its "Do").
//
// An item starts a new line when its start lies more than kLineThreshold
// units across the baseline from the start of the last item shown (a
// difference of exactly 5 stays on the line).  On the same line, one blank
// goes between two items when the second starts at least kWordGap ems (of
// its font size) after the pen position where the previous one ended, or
// more than one em before it (text placed back on the line), unless a blank
// is already there; smaller gaps, such as kerning, join the items.
// Lines are separated by CR LF.
#pragma once

#include "pdf/content/TextItem.h"

#include <string>
#include <vector>

namespace scrivlet::pdf {

inline constexpr double kLineThreshold = 5;
inline constexpr double kWordGap = 0.15;

std::u16string LayOutPageText(const std::vector<TextItem>& items);

} // namespace scrivlet::pdf
