// Glyph names to text.
//
// Simple fonts name their glyphs ("/Differences", built-in encodings); the
// name is how a reader learns which character a code shows.  Names are read
// as PDF readers have long read them: a suffix after "." is
// dropped, "_" joins the names of a ligature's parts, a part is a name of the
// list, "uniXXXX[XXXX...]" (UTF-16 code units), "uXXXX" to "uXXXXXX" (a code
// point), or, as some older writers do, "G" or "g" followed by two to four
// hexadecimal digits of the character.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

// The text of a glyph name; empty for a name that says nothing (".notdef",
// names of no list such as "g123x" or "a12").
std::u16string GlyphNameToText(std::string_view name);

} // namespace scrivlet::pdf
