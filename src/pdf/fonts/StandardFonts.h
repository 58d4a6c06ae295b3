// The standard 14 fonts: a PDF may show text in them without giving glyph
// widths.  Their widths are built in; the names writers use for them
// (Arial for Helvetica, TimesNewRoman for Times-Roman, CourierNew, subset
// prefixes, ",Bold" and "-BoldMT" styles) lead to the same metrics.
#pragma once

#include "pdf/fonts/StandardFontTables.h"

#include <string_view>

namespace scrivlet::pdf {

// The metrics of a base font name (without "/"), or null.
const StandardFontMetrics* FindStandardFont(std::string_view baseFont);

// Width of a character in thousandths of the font size; 0 when unknown.
unsigned StandardWidthOfCharacter(const StandardFontMetrics& font, char16_t character);
// Width of a code of the font's built-in encoding; 0 when unknown.
unsigned StandardWidthOfCode(const StandardFontMetrics& font, unsigned char code);

// Whether the font is one of the two symbolic ones (Symbol, ZapfDingbats).
bool IsSymbolicStandardFont(const StandardFontMetrics& font);

} // namespace scrivlet::pdf
