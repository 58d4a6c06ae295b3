// Text drawn over itself.
//
// Some producers make text look bold by drawing every glyph several times,
// each copy shifted by a fraction of a point.  A reader sees the glyph once:
// an item that shows the same text as one of the kOverprintWindow items
// shown just before it, in the same direction and size, starting within
// kOverprintShift ems of it, is a copy.  The same text drawn again anywhere
// else (a form shown twice on a page) is text of its own.
#pragma once

#include "pdf/content/TextItem.h"

#include <cstddef>
#include <vector>

namespace scrivlet::pdf {

inline constexpr size_t kOverprintWindow = 8;
inline constexpr double kOverprintShift = 0.1;

// For each item, whether it repeats an item shown just before it.
std::vector<bool> OverprintedItems(const std::vector<TextItem>& items);

} // namespace scrivlet::pdf
