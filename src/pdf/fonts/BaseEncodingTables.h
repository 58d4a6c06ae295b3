// The generated code tables of the base encodings (tools/make_font_tables.py):
// the Unicode character of each of the 256 codes, 0 where a code has none.
#pragma once

namespace scrivlet::pdf {

extern const char16_t kStandardEncoding[256];
extern const char16_t kMacRomanEncoding[256];
extern const char16_t kWinAnsiEncoding[256];
extern const char16_t kPdfDocEncoding[256];
extern const char16_t kSymbolEncoding[256]; // the Symbol font's built-in encoding

} // namespace scrivlet::pdf
