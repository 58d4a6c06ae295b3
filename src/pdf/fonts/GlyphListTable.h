// The generated glyph-name table (tools/make_font_tables.py): every name of
// the Adobe Glyph List and the Hebrew names of older writers, with its text.
#pragma once

#include <cstddef>

namespace scrivlet::pdf {

struct GlyphListEntry {
  const char* name;
  const char16_t* text; // one character, or a short sequence for some ligatures
};

extern const GlyphListEntry kGlyphList[]; // sorted by name, byte order
extern const size_t kGlyphListSize;

} // namespace scrivlet::pdf
