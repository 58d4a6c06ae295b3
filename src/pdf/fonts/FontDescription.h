// The values of a font dictionary (with its encoding dictionary, font
// descriptor and descendant font) that a font record is made of, as plain
// data.  The font loader fills it from the document; tests fill it directly.
#pragma once

#include "pdf/fonts/CMap.h"
#include "pdf/fonts/CidWidths.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace scrivlet::pdf {

// "/Differences" as (code, glyph name) in the array's order.
using GlyphDifferences = std::vector<std::pair<int, std::string>>;

struct FontDescription {
  std::string subtype;  // "Type1", "TrueType", "Type3", "Type0", "MMType1"
  std::string baseFont; // without "/"

  // Simple fonts: "/Encoding" (a name, or the "/BaseEncoding" of an
  // encoding dictionary) and its "/Differences" (null: none).  Fonts may
  // share one array, and so its parsed form.
  std::string encodingName;
  bool hasEncodingDictionary = false;
  std::shared_ptr<const GlyphDifferences> differences;

  // Composite fonts: the encoding CMap's name, or the decoded text of an
  // embedded CMap stream.
  std::string encodingCMapText;

  // The ToUnicode map: parsed (fonts may share one), or the decoded text of
  // its stream, parsed by the font; both empty when none.
  std::shared_ptr<const CMap> toUnicodeMap;
  std::string toUnicode;

  bool HasToUnicode() const { return toUnicodeMap != nullptr || !toUnicode.empty(); }

  // Widths of a simple font ("/FirstChar", "/Widths", the descriptor's
  // "/MissingWidth") in glyph units; Type 3 fonts scale them by fontMatrixA.
  bool hasWidths = false;
  int firstChar = 0;
  std::vector<double> widths;
  double missingWidth = 0;
  double fontMatrixA = 0.001; // first number of a Type 3 "/FontMatrix"

  // Widths of a CID font: the "/W" array (null: none; fonts may share
  // one), and "/DW".
  std::shared_ptr<const CidWidths> cidWidths;
  double defaultCidWidth = 1000;

  int flags = 0;               // descriptor "/Flags"
  std::string type1Program;    // decoded "/FontFile" (for its built-in encoding)
  std::string cffProgram;      // decoded "/FontFile3" of subtype Type1C (likewise)
  std::string trueTypeProgram; // decoded "/FontFile2" or OpenType "/FontFile3"
  std::string cidToGidMap;     // decoded "/CIDToGIDMap" stream; empty: Identity
  std::string collection;      // "/CIDSystemInfo" as "Registry-Ordering"
};

} // namespace scrivlet::pdf
