#include "pdf/content/PageText.h"

#include <cmath>

namespace scrivlet::pdf {
namespace {

double Dot(Point a, Point b) {
  return a.x * b.x + a.y * b.y;
}
Point Minus(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}

// Distance of the item's start from the other start, across the item's
// baseline.
double DistanceAcross(const TextItem& item, Point otherStart) {
  Point normal{-item.direction.y, item.direction.x};
  return std::abs(Dot(Minus(item.start, otherStart), normal));
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000';
}

} // namespace

std::u16string LayOutPageText(const std::vector<TextItem>& items) {
  std::u16string text;
  const TextItem* lastShown = nullptr;
  Point penEnd; // where the previous item on the current line ended
  for (const TextItem& item : items) {
    if (lastShown && DistanceAcross(item, lastShown->start) > kLineThreshold) {
      if (item.text.empty())
        continue; // an empty item elsewhere neither breaks nor moves the line
      text += u"\r\n";
    } else if (lastShown && !item.text.empty()) {
      double gap = Dot(Minus(item.start, penEnd), item.direction);
      bool separate = gap >= kWordGap * item.em || gap < -item.em;
      if (separate && !IsBlank(text.back()) && !IsBlank(item.text.front()))
        text += u' ';
    }
    penEnd = item.end;
    if (item.text.empty())
      continue;
    text += item.text;
    lastShown = &item;
  }
  return text;
}

} // namespace scrivlet::pdf
