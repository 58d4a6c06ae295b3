// The base encodings of simple fonts: the named encodings a font dictionary
// can give ("/WinAnsiEncoding", "/MacRomanEncoding", "/StandardEncoding",
// "/PDFDocEncoding", the last only from older writers) and the Symbol font's
// built-in one.
#pragma once

#include <string_view>

namespace scrivlet::pdf {

enum class BaseEncoding { None, Standard, MacRoman, WinAnsi, PdfDoc, Symbol };

// The encoding a name gives, with or without its "/", in any letter case;
// None for other names (such as a CMap name).
BaseEncoding BaseEncodingFromName(std::string_view name);

// The Unicode character of a code, 0 when the encoding has none.
char16_t EncodedCharacter(BaseEncoding encoding, unsigned char code);

} // namespace scrivlet::pdf
