// The formatting of a Word 6-2003 document's text, by character position:
// the paragraph properties (from the PAPX formatted disk pages over the
// paragraph's style) and the character marks (from the CHPX pages).
//
// The pages map stream offsets (FCs) to properties; the piece table maps
// character positions (CPs) to stream offsets.  Both are read once, in file
// order, into runs of character positions, so that a look-up is a binary
// search and reading the text forward costs a step per run.
#pragma once

#include "readers/word/WordListTables.h"
#include "readers/word/WordProperties.h"
#include "readers/word/WordStyleSheet.h"

#include <string_view>
#include <vector>

namespace scrivlet {

// A piece of the text: characters cpStart..cpEnd at stream offset fc, one
// or two bytes each.
struct TextPiece {
  uint32_t cpStart = 0, cpEnd = 0;
  uint64_t fc = 0;
  uint32_t bytesPerChar = 1;
};

// Where the FIB places the formatting tables in the table stream.
struct FormattingPlaces {
  uint32_t styleSheet = 0, styleSheetSize = 0;
  uint32_t paragraphBins = 0, paragraphBinsSize = 0;
  uint32_t characterBins = 0, characterBinsSize = 0;
  uint32_t lists = 0, listsSize = 0;
  uint32_t listOverrides = 0, listOverridesSize = 0;
  // Word 6 and Word 95: one-byte modifier codes, two-byte page numbers in
  // the bin tables, and paragraph entries of 7 bytes.
  ModifierCodes codes = ModifierCodes::TwoByte;
};

class WordFormatting {
public:
  WordFormatting(std::string_view main, std::string_view table, const FormattingPlaces& places,
                 const std::vector<TextPiece>& pieces);

  // The properties of the paragraph whose mark is at cp.
  const ParagraphProperties& ParagraphAt(uint32_t cp) const;
  // The marks of the character at cp, and in until the position where
  // they may change (the end of their run); fastest when cp only grows.
  Marks MarksAt(uint32_t cp, uint32_t& until);
  // The heading level (1-9) of a paragraph, 0 when it is none.
  uint8_t HeadingLevel(const ParagraphProperties& paragraph) const;

  WordListTables& Lists() { return FLists; }

private:
  struct FcRun {
    uint64_t fcStart = 0, fcEnd = 0;
    uint32_t index = 0; // into the properties; 0 the defaults
  };
  struct CpRun {
    uint32_t cpEnd = 0;
    uint32_t index = 0;
  };

  std::vector<FcRun> ReadParagraphPages(std::string_view main, std::string_view table,
                                        const FormattingPlaces& places);
  std::vector<FcRun> ReadCharacterPages(std::string_view main, std::string_view table,
                                        const FormattingPlaces& places);
  static std::vector<CpRun> MapToCharacters(std::vector<FcRun> runs,
                                            const std::vector<TextPiece>& pieces);
  static size_t RunAt(const std::vector<CpRun>& runs, uint32_t cp);

  ModifierCodes FCodes;
  WordStyleSheet FStyles;
  WordListTables FLists;
  std::vector<ParagraphProperties> FParagraphs;
  std::vector<Marks> FMarks;
  std::vector<CpRun> FParagraphRuns, FCharacterRuns;
  size_t FCharacterCursor = 0;
};

} // namespace scrivlet
