// The blocks of a PDF document's pages, made from their lines in reading
// order (src/pdf/content/PageText.h).
//
// A page gives a page break (with its number; none before the first page
// unless it is empty: the document starts there) and then its lines as
// headings, list items and paragraphs.  The body size is the font size
// most of the document's characters have; a line set clearly larger
// (kHeadingRatio) is a heading, the largest size level 1, the next level 2
// and so on (at most kMaxHeadingLevel), and following lines of its size
// belong to it.  A line that starts with a bullet or a number followed by
// "." or ")" and a blank starts a list item when another item stands near
// it or its next line hangs under its text; lines indented under it
// continue it, and so do lines at the marker's place until one ends a
// sentence.  Other lines continue the paragraph of the line before in
// the same column unless more than kParagraphLeading ems lie between
// their baselines, the line is indented an em further (a first line), it
// lies above the line before, or its size differs.  Lines within a block
// are kept apart by soft breaks: the text flows in the views that flow it,
// and the page's described text stays line by line.
#pragma once

#include "document/Document.h"
#include "pdf/content/PageText.h"

#include <map>
#include <vector>

namespace scrivlet {

inline constexpr double kHeadingRatio = 1.2;
inline constexpr double kParagraphLeading = 1.6;
inline constexpr int kMaxHeadingLevel = 6;

// The font sizes of a document's text, gathered page by page.
class TextSizes {
public:
  void Count(const std::vector<pdf::PageLine>& lines);
  // Decides the body size and the heading levels from what was counted.
  void Decide();
  // The heading level of a line of that size, 0 for body text.
  int HeadingLevel(double em) const;

private:
  static long Key(double em);         // sizes in halves of a unit
  std::map<long, size_t> FCharacters; // by size
  double FBody = 0;
  std::vector<long> FHeadingSizes; // largest first
};

// The characters of the lines that the blocks made of them keep whatever
// blocks they make: all but blanks (those after a list marker go).
uint64_t CharactersKept(const std::vector<pdf::PageLine>& lines);

// Appends a page break for the page and the blocks of its lines.
void AddPageBlocks(int32_t pageNumber, const std::vector<pdf::PageLine>& lines,
                   const TextSizes& sizes, std::vector<Block>& blocks);

} // namespace scrivlet
