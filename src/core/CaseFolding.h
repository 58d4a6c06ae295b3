// Letter case of UTF-16 names (compound-file element names, XML names of
// the package formats): the Latin-1 and Cyrillic capitals fold to their
// small letters; every other character stays as it is.
#pragma once

#include <string_view>

namespace scrivlet {

constexpr char16_t FoldCase(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x410 && c <= 0x42F)
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F)
    return static_cast<char16_t>(c + 0x50);
  return c;
}

inline bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i]))
      return false;
  return true;
}

// Equality of two names, exact or ignoring letter case.
inline bool SameNameText(bool caseSensitive, std::u16string_view a, std::u16string_view b) {
  return caseSensitive ? a == b : EqualsIgnoringCase(a, b);
}

} // namespace scrivlet
