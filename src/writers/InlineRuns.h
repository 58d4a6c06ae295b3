// A block's content as the structured views (the page, the Markdown) show
// it: runs of visible text with their marks and link target, line breaks,
// and note references by number.  Deleted and hidden text is left out, as
// Block::VisibleText leaves it out; tabs are text; a line break written
// inside a text piece (CR, LF, CR LF) is a break; NUL, which no view can
// hold, is dropped.
#pragma once

#include "document/Document.h"
#include "writers/NoteNumbers.h"
#include "writers/TextBudget.h"

#include <string>
#include <vector>

namespace scrivlet {

// The marks the structured views show.
constexpr Marks kShownMarks =
    kBold | kItalic | kUnderline | kStrike | kSuperscript | kSubscript | kCode;

struct InlineRun {
  enum class Kind : uint8_t { Text, Break, NoteReference };
  Kind kind = Kind::Text;
  Marks marks = 0;       // of kShownMarks
  std::u16string text;   // Text: the text; NoteReference: the source's label
  std::u16string target; // Text: the link's target, empty when none
  size_t note = 0;       // NoteReference: the note's number, 0 when no note has its id
};

// The runs of a block, each text run cut to what the budget still allows
// (runs after the budget is spent are left out).  Adjacent text pieces with
// the same marks and target are one run.
std::vector<InlineRun> InlineRuns(const Block& block, const NoteNumbers& notes, TextBudget& budget);

// Whether a link target may stand as a link: http, https and mailto only
// (any other scheme, "javascript:" first of all, and relative targets are
// dropped and their text kept).
bool IsWebLink(std::u16string_view target);

} // namespace scrivlet
