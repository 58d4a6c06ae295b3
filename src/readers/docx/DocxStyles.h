// The styles part (word/styles.xml), read once before the text.  What the
// structure needs of a paragraph style is its heading level (its name
// "heading 1" to "heading 9" or "Title", else its w:outlineLvl) and the list
// its paragraphs belong to (w:numPr); of a character style, the marks it
// sets.  Each is resolved along the style's w:basedOn chain, the nearest
// style that says it winning: once per style, each style from its base's
// resolution, so that a chain of any depth costs a step per style (each
// step paid for as work).  A chain that loops is cut where it comes back.
#pragma once

#include "core/Limits.h"
#include "core/WorkBudget.h"
#include "readers/docx/DocxMarks.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace scrivlet {

class DocxStyles {
public:
  struct ParagraphStyle {
    uint8_t headingLevel = 0; // 1-9; 0: not a heading
    int32_t numId = -1;       // the list (w:numId) of its paragraphs; -1: none said
    int32_t ilvl = -1;        // their level in it; -1: none said
  };

  // Reads the part's bytes (nothing for an empty part); budget, when
  // given, pays a unit of work per step of resolving a style.
  void Read(std::string bytes, const Limits& limits, int codePage, WorkBudget* budget = nullptr);

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

  // A paragraph style as resolved so far: whether a heading level was said.
  struct ResolvedParagraph {
    ParagraphStyle style;
    bool levelKnown = false;
  };

  using Definitions = std::unordered_map<std::u16string, Definition>;
  // The definitions (with their identifiers) from a style along its chain
  // that are not resolved yet, nearest first, up to a resolved style or a
  // missing one, or up to where the chain comes back to one of them.
  struct Chain {
    std::vector<std::pair<const std::u16string*, const Definition*>> steps;
    size_t loopStart = SIZE_MAX; // the step the chain came back to
  };

  void Resolve(WorkBudget* budget);
  static Chain Unresolved(const Definitions& definitions, const std::u16string& id,
                          const std::function<bool(const std::u16string&)>& done,
                          WorkBudget* budget);
  template <class Resolution>
  static void ResolveChain(const Definitions& definitions, const std::u16string& id,
                           std::unordered_map<std::u16string, Resolution>& resolved,
                           WorkBudget* budget);
  // A style's resolution over its base's.
  static ResolvedParagraph Over(const Definition& style, ResolvedParagraph base);
  static MarkSettings Over(const Definition& style, MarkSettings base);
  const Definition* Find(bool paragraph, const std::u16string& id) const;

  // Keyed by w:styleId; paragraph and character styles apart.
  Definitions FParagraphDefinitions, FCharacterDefinitions;
  std::unordered_map<std::u16string, ResolvedParagraph> FParagraphStyles;
  std::unordered_map<std::u16string, MarkSettings> FCharacterStyles;
  std::u16string FDefaultParagraph;
};

// The heading level a style's name gives: "heading 1" to "heading 9" (in
// any letter case, the blank optional) their number, "Title" 1, others 0.
uint8_t HeadingLevelOfName(std::u16string_view name);

} // namespace scrivlet
