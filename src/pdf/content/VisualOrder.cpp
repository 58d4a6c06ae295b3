#include "pdf/content/VisualOrder.h"

#include <algorithm>

namespace scrivlet::pdf {
namespace {

bool IsHebrewFinal(char16_t c) {
  return c == u'\u05DA' || c == u'\u05DD' || c == u'\u05DF' || c == u'\u05E3' || c == u'\u05E5';
}

bool IsLeftToRight(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
         (c >= 0x00C0 && c <= 0x058F) || (c >= 0x0900 && c < 0xFB1D && !IsRightToLeftLetter(c));
}

bool IsWordCharacter(char16_t c) {
  return IsRightToLeftLetter(c) || IsLeftToRight(c);
}

char16_t Mirrored(char16_t c) {
  switch (c) {
  case u'(': return u')';
  case u')': return u'(';
  case u'[': return u']';
  case u']': return u'[';
  case u'{': return u'}';
  case u'}': return u'{';
  case u'<': return u'>';
  case u'>': return u'<';
  default: return c;
  }
}

// Reverses [first, last) and mirrors its brackets.
void ReverseRun(std::u16string& text, size_t first, size_t last) {
  std::reverse(text.begin() + static_cast<std::ptrdiff_t>(first),
               text.begin() + static_cast<std::ptrdiff_t>(last));
  for (size_t i = first; i < last; ++i)
    text[i] = Mirrored(text[i]);
}

// Reverses back, in place, each run of characters of the given kind together
// with whatever stands between two of them.
template <typename Kind> void ReverseRunsOf(std::u16string& text, Kind isOfKind, bool mirror) {
  size_t i = 0;
  while (i < text.size()) {
    if (!isOfKind(text[i])) {
      ++i;
      continue;
    }
    size_t first = i, last = i + 1;
    for (size_t j = i + 1; j < text.size(); ++j) {
      if (isOfKind(text[j]))
        last = j + 1;
      else if (IsWordCharacter(text[j]))
        break; // a letter of the other direction ends the run
    }
    if (mirror)
      ReverseRun(text, first, last);
    else
      std::reverse(text.begin() + static_cast<std::ptrdiff_t>(first),
                   text.begin() + static_cast<std::ptrdiff_t>(last));
    i = last;
  }
}

} // namespace

bool IsRightToLeftLetter(char16_t c) {
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
         (c >= 0xFE70 && c <= 0xFEFF);
}

bool LooksVisual(const std::vector<const std::u16string*>& texts) {
  long score = 0;
  for (const std::u16string* text : texts) {
    const std::u16string& t = *text;
    for (size_t i = 0; i < t.size(); ++i) {
      bool wordStart = i == 0 || !IsRightToLeftLetter(t[i - 1]);
      bool wordEnd = i + 1 == t.size() || !IsRightToLeftLetter(t[i + 1]);
      if (IsHebrewFinal(t[i]) && wordStart != wordEnd)
        score += wordStart ? 1 : -1;
      // The article alef lam: first in a word as typed, last when reversed.
      if (t[i] == u'\u0627' && i + 1 < t.size() && t[i + 1] == u'\u0644' && wordStart)
        --score;
      if (t[i] == u'\u0644' && i + 1 < t.size() && t[i + 1] == u'\u0627' &&
          (i + 2 == t.size() || !IsRightToLeftLetter(t[i + 2])))
        ++score;
    }
  }
  return score > 0;
}

void VisualToLogical(std::u16string& text, bool rightToLeft) {
  if (std::none_of(text.begin(), text.end(), IsRightToLeftLetter))
    return;
  if (rightToLeft) {
    ReverseRun(text, 0, text.size());
    ReverseRunsOf(text, IsLeftToRight, true);
  } else {
    ReverseRunsOf(text, IsRightToLeftLetter, true);
  }
}

} // namespace scrivlet::pdf
