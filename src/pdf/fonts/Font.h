// A font record: how the bytes of a string shown in a font become text, and
// how far each code moves the pen.
//
// Simple fonts (Type 1, TrueType, Type 3) have one-byte codes.  A code's
// text comes from, in this order: the ToUnicode map; the glyph name of
// "/Differences"; the base encoding named by "/Encoding"; and, for a font
// with no encoding information, the embedded Type 1 or CFF program's
// built-in encoding, else StandardEncoding -- except for a symbolic font, whose codes
// are kept (and the Symbol font, which has its own built-in encoding).
//
// Composite (Type 0) fonts read codes through their encoding CMap (Identity,
// a predefined CMap or an embedded one).  A code's text comes from the
// ToUnicode map; else from the predefined CMap when its codes are
// characters (UTF-16, code pages, national charsets); else the code's CID is
// mapped to a glyph (CIDToGIDMap, Identity by default) and the glyph to its
// character through the embedded TrueType program's cmap table; else through
// the character collection's published map.  What none of these maps is
// dropped.
#pragma once

#include "pdf/fonts/CMap.h"
#include "pdf/fonts/FontDescription.h"
#include "pdf/fonts/PredefinedCMap.h"
#include "pdf/fonts/TrueTypeCmap.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

class CharacterCollections;

// What fonts of one document share.
struct FontContext {
  CharacterCollections* collections = nullptr; // null: no collection maps
  // 0: codes of a simple font without encoding information are read as
  // above.  A legacy system code page number (SCRIVLET_CODEPAGE set to one):
  // they are read as text of that code page instead.
  int legacyCodePage = 0;
};

// The decoding of one shown string.  With spaced set before decoding, a
// blank goes between the texts of two codes (the character spacing sets the
// glyphs a word space apart).
struct ShownText {
  bool spaced = false;
  std::u16string text;
  double width = 0; // sum of the codes' advance widths, in units of the font size
  int codes = 0;    // character codes shown (each gets the character spacing)
  int spaces = 0;   // one-byte codes 32 (each gets the word spacing)
};

class Font {
public:
  static std::unique_ptr<Font> Create(const FontDescription& description,
                                      const FontContext& context);

  // Decodes bytes shown in this font, appending to out.
  void Decode(std::string_view bytes, ShownText& out) const;

  bool IsComposite() const { return FComposite; }
  // Vertical writing ("-V" CMaps): the pen moves down by one em a code
  // (the default vertical metrics), not along the baseline.
  bool IsVertical() const { return FVertical; }

private:
  void SetUpSimpleText(const FontDescription& description, int legacyCodePage);
  void SetUpSimpleWidths(const FontDescription& description);
  void SetUpComposite(const FontDescription& description, CharacterCollections* collections);

  void DecodeSimple(std::string_view bytes, ShownText& out) const;
  void DecodeComposite(std::string_view bytes, ShownText& out) const;
  CharCode ReadCompositeCode(std::string_view bytes, size_t pos) const;
  std::optional<uint32_t> CidOf(CharCode code) const;
  void AppendCompositeText(CharCode code, std::optional<uint32_t> cid, std::u16string& text) const;
  double CidWidth(std::optional<uint32_t> cid) const;

  bool FComposite = false;
  bool FVertical = false;
  std::shared_ptr<const CMap> FToUnicode; // null: none (fonts may share one)

  // Simple fonts.
  std::array<std::u16string, 256> FCodeText;
  std::array<double, 256> FCodeWidth{};

  // Composite fonts.
  PredefinedCMap FPredefined;
  std::optional<CMap> FEncodingCMap;
  std::shared_ptr<const CidWidths> FCidWidths; // null: none
  double FDefaultWidth = 1;
  std::string FCidToGid;
  TrueTypeCmap FGlyphCharacters;
  // The collection's map is read only when a code needs it.
  CharacterCollections* FCollections = nullptr;
  std::string FCollectionName;
  mutable const CMap* FCollection = nullptr;
  mutable bool FCollectionRead = false;
};

} // namespace scrivlet::pdf
