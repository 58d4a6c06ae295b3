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

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace scrivlet::pdf {

// The arrays and maps that fonts of one document share, parsed once:
// thousands of fonts may share one "/Differences" or "/W" array or one
// ToUnicode map, and each parsing it anew would cost its size each time
// and keep another copy.  Arrays are keyed by where their text lies in the
// document's buffers (an array written inline in a shared encoding
// dictionary is shared as well as one that is an object of its own), maps
// by their stream's object number.
struct SharedFontArrays {
  std::unordered_map<const char*, std::shared_ptr<const GlyphDifferences>> differences;
  std::unordered_map<const char*, std::shared_ptr<const CidWidths>> cidWidths;
  std::unordered_map<uint32_t, std::shared_ptr<const CMap>> toUnicode;
  // What a descendant font gives (its /W, /DW, /CIDToGIDMap, system info
  // and descriptor), by where its value's text lies and whether its font
  // program was wanted: every look-up of a key the dictionary lacks reads
  // it whole, and thousands of composite fonts may share one large one.
  std::map<std::pair<const char*, bool>, FontDescription> descendants;
  // Likewise an encoding dictionary's base encoding and differences.
  std::unordered_map<const char*, FontDescription> encodings;
};

// fontDictionary: the inside of the font dictionary; holder: the object it
// belongs to (for decrypting its strings); shared: the document's parsed
// arrays (null: each font parses its own).
FontDescription ReadFontDescription(const PdfDocument& document, std::string_view fontDictionary,
                                    const IndirectObject& holder,
                                    SharedFontArrays* shared = nullptr);

} // namespace scrivlet::pdf
