#include "pdf/content/OverprintedText.h"

#include <algorithm>
#include <cmath>

namespace scrivlet::pdf {
namespace {

constexpr double kSameSize = 0.01;       // relative difference of two font sizes
constexpr double kSameDirection = 0.999; // cosine of the angle between them

bool Covers(const TextItem& copy, const TextItem& original) {
  if (copy.text != original.text || copy.em <= 0)
    return false;
  if (std::abs(copy.em - original.em) > kSameSize * std::max(copy.em, original.em))
    return false;
  double dot = copy.direction.x * original.direction.x + copy.direction.y * original.direction.y;
  if (dot < kSameDirection)
    return false;
  double reach = kOverprintShift * copy.em;
  return std::abs(copy.start.x - original.start.x) <= reach &&
         std::abs(copy.start.y - original.start.y) <= reach;
}

} // namespace

std::vector<bool> OverprintedItems(const std::vector<TextItem>& items) {
  std::vector<bool> overprinted(items.size());
  // The last kOverprintWindow items shown that are not copies themselves.
  std::vector<size_t> recent;
  recent.reserve(kOverprintWindow);
  size_t next = 0; // where the next one goes once the window is full
  for (size_t i = 0; i < items.size(); ++i) {
    const TextItem& item = items[i];
    if (item.text.empty())
      continue;
    overprinted[i] = std::any_of(recent.begin(), recent.end(),
                                 [&](size_t earlier) { return Covers(item, items[earlier]); });
    if (overprinted[i])
      continue;
    if (recent.size() < kOverprintWindow) {
      recent.push_back(i);
    } else {
      recent[next] = i;
      next = (next + 1) % kOverprintWindow;
    }
  }
  return overprinted;
}

} // namespace scrivlet::pdf
