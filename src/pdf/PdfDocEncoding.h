// PDFDocEncoding: the single-byte encoding of PDF text strings that carry
// no byte order mark.  It is Latin-1 except for 0x18-0x1F (spacing
// accents), 0x80-0xA0 (typographic signs, ligatures, Euro) and a few
// undefined codes, which map to themselves.
#pragma once

#include <cstdint>

namespace scrivlet::pdf {

char16_t PdfDocEncodingToUnicode(uint8_t code);

} // namespace scrivlet::pdf
