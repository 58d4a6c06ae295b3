// Reads the font dictionaries of a document into font descriptions: the
// dictionary's "/Subtype", "/BaseFont", "/Encoding" (a name, an encoding
// dictionary with "/BaseEncoding" and "/Differences", or a CMap stream),
// "/ToUnicode", "/FirstChar" and "/Widths", "/FontMatrix" of Type 3 fonts,
// the font descriptor's "/Flags", "/MissingWidth" and font programs, and
// the first descendant font's "/W", "/DW", "/CIDToGIDMap" and
// "/CIDSystemInfo".  Values written as indirect references are followed a
// few steps; what is missing or unreadable stays empty.
#pragma once

#include "pdf/PdfDocument.h"
#include "pdf/fonts/FontDescription.h"

#include <string_view>

namespace scrivlet::pdf {

// fontDictionary: the inside of the font dictionary; holder: the object it
// belongs to (for decrypting its strings).
FontDescription ReadFontDescription(const PdfDocument& document, std::string_view fontDictionary,
                                    const IndirectObject& holder);

} // namespace scrivlet::pdf
