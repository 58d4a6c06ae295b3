// A FictionBook body as blocks, in one walk with a stack of its own.
//
// Each text line (p, v, subtitle, text-author, td, th) gives one block of
// its text; a line inside another line is part of the outer one.  Section
// titles are headings by section depth, as other FictionBook readers have
// them: the body's title level 1, a top section's level 2, one deeper per
// nested section; the paragraphs of a title are lines of one heading.
// Subtitles and the titles of poems and stanzas are headings of the
// section's level.  The lines of an epigraph or a cite are quotes; a
// table's rows and cells are given by their boundaries; an empty line and
// each section's end are blocks of their own.
#pragma once

#include "document/Document.h"
#include "readers/fictionbook/FictionBookInlines.h"

#include <functional>

namespace scrivlet {

class XmlNode;

class FictionBookBody {
public:
  // add: keeps a block (in the story, counted against the output limit).
  FictionBookBody(const FictionBookInlines::NoteLabels& notes,
                  FictionBookInlines::NoteLabels& referenceLabels, std::function<void(Block)> add)
      : FInlines(notes, referenceLabels), FAdd(std::move(add)) {}

  // The blocks of root's subtree.  A note's section gives its content
  // only: neither its title (the note's label) nor the end of the section.
  void Convert(XmlNode& root, bool note);

private:
  bool Enter(XmlNode& item, bool insideLine);
  void Leave(XmlNode& item);
  void AddLine(XmlNode& item, BlockKind kind);
  void AddTitleLine(XmlNode& item);
  void FinishTitle();
  void AddBoundary(BlockKind kind, int32_t value = 0, bool header = false);
  uint8_t SectionLevel() const;

  FictionBookInlines FInlines;
  std::function<void(Block)> FAdd;
  XmlNode* FRoot = nullptr;
  bool FNote = false;
  // The elements whose end changes the state below, innermost last.
  std::vector<const XmlNode*> FOpen;
  int FSections = 0;
  int FQuotes = 0;
  int FTitles = 0;
  // The heading of the title being read, and whether a line is in it.
  Block FTitle;
  bool FTitleHasLine = false;
};

} // namespace scrivlet
