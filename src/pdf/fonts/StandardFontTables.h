// The generated advance widths of the standard 14 fonts
// (tools/make_font_tables.py), in thousandths of the font size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scrivlet::pdf {

struct CharWidth {
  char16_t character;
  uint16_t width;
};

struct StandardFontMetrics {
  const char* name;        // such as "Helvetica-Bold"
  const CharWidth* byChar; // sorted by character
  size_t byCharCount;
  const uint16_t* byCode; // by code of the font's built-in encoding, 0 = none
};

extern const StandardFontMetrics kStandardFonts[];
extern const size_t kStandardFontCount;

} // namespace scrivlet::pdf
