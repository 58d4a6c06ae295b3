// The style sheet (STSH) of a Word 6-2003 document: for each style index
// (istd), its built-in identifier (sti: 1-9 for "heading 1" to "heading 9")
// and the paragraph properties it gives, those of its base styles included.
#pragma once

#include "readers/word/WordProperties.h"

#include <string_view>
#include <vector>

namespace scrivlet {

class WordStyleSheet {
public:
  WordStyleSheet() = default;
  // The style sheet at offset..offset+size of the table stream; damage
  // leaves the styles read so far.
  WordStyleSheet(std::string_view table, uint32_t offset, uint32_t size,
                 ModifierCodes codes = ModifierCodes::TwoByte);

  // The paragraph properties of style istd (defaults when there is none).
  ParagraphProperties Paragraph(uint16_t istd) const;
  // The built-in style identifier of style istd; kUserStyle when none.
  uint16_t BuiltIn(uint16_t istd) const;

  static constexpr uint16_t kUserStyle = 0x0FFE;

private:
  struct Style {
    uint16_t sti = kUserStyle;
    uint16_t base = kNoStyle;
    bool present = false;
    std::string_view paragraphModifiers;
  };
  static constexpr uint16_t kNoStyle = 0x0FFF;

  void ReadStyle(std::string_view std, uint16_t baseSize, Style& style);
  void Resolve();

  ModifierCodes FCodes = ModifierCodes::TwoByte;
  std::vector<Style> FStyles;
  std::vector<ParagraphProperties> FParagraphs; // resolved, by istd
};

} // namespace scrivlet
