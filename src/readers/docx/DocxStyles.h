// The styles part (word/styles.xml), read once before the text.  What the
// structure needs of a paragraph style is its heading level (its name
// "heading 1" to "heading 9" or "Title", else its w:outlineLvl) and the list
// its paragraphs belong to (w:numPr); of a character style, the marks it
// sets.  Each is resolved once along the style's w:basedOn chain: the
// nearest style that says it wins, and a chain that loops or runs too long
// is cut.
#pragma once

#include "core/Limits.h"
#include "readers/docx/DocxMarks.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace scrivlet {

class DocxStyles {
public:
  // Steps of a w:basedOn chain followed at most.
  static constexpr int kMaxChain = 32;

  struct ParagraphStyle {
    uint8_t headingLevel = 0; // 1-9; 0: not a heading
    int32_t numId = -1;       // the list (w:numId) of its paragraphs; -1: none said
    int32_t ilvl = -1;        // their level in it; -1: none said
  };

  // Reads the part's bytes (nothing for an empty part).
  void Read(std::string bytes, const Limits& limits, int codePage);

  // The paragraph style of that identifier, the default paragraph style for
  // an empty one; nullptr when there is none.
  const ParagraphStyle* Paragraph(const std::u16string& id) const;
  // The marks the character style of that identifier sets and clears.
  MarkSettings Character(const std::u16string& id) const;

private:
  // A style as the part writes it, before its base is looked at.
  struct Definition {
    bool paragraph = false;
    std::u16string name;
    std::u16string basedOn;
    int32_t outlineLevel = -1;
    int32_t numId = -1;
    int32_t ilvl = -1;
    MarkSettings marks;
  };

  void Resolve();
  ParagraphStyle ResolveParagraph(const Definition& style) const;
  MarkSettings ResolveCharacter(const Definition& style) const;
  const Definition* Find(bool paragraph, const std::u16string& id) const;

  // Keyed by w:styleId; paragraph and character styles apart.
  std::unordered_map<std::u16string, Definition> FParagraphDefinitions, FCharacterDefinitions;
  std::unordered_map<std::u16string, ParagraphStyle> FParagraphStyles;
  std::unordered_map<std::u16string, MarkSettings> FCharacterStyles;
  std::u16string FDefaultParagraph;
};

// The heading level a style's name gives: "heading 1" to "heading 9" (in
// any letter case, the blank optional) their number, "Title" 1, others 0.
uint8_t HeadingLevelOfName(std::u16string_view name);

} // namespace scrivlet
