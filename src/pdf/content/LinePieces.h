// The text items of a page gathered into pieces of lines.
//
// Items that follow each other in the content stream join while they stay
// on the line (the rules of PageText.h: kLineThreshold across the
// baseline, a blank for a gap of kWordGap ems or for text placed back).  A
// gap of kColumnGap ems or more, text placed back more than an em, or a
// change of direction ends the run: what lies beyond a wide gap may belong
// to another column.  Wide (CJK) characters shown one under the other with
// a horizontal font are vertical writing: they run down the page, and so
// do such glyphs under punctuation of a vertical font.  Copies
// of an item drawn over it (OverprintedText.h) are left out.
//
// The runs of one direction are then sorted by baseline and position: runs
// whose baselines lie within kLineThreshold, or 0.4 ems of the larger
// font, of the first one's share a row (subscripts and superscripts of
// large text too), and neighbours in a row that are less than kColumnGap
// ems apart join into one piece, so a line written in two passes reads left
// to right.  A piece that began after a line break in content order (a
// subscript shown apart, say) stays a word of its own: a blank goes before
// it wherever it joins a line, as the line break kept it apart.  Every coordinate is measured in
// the frame of the piece's direction: "along" the baseline and "across" it (higher across: nearer
// the top of the text, which is read first).
#pragma once

#include "pdf/content/TextItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::pdf {

inline constexpr double kColumnGap = 1.0; // ems

struct LinePiece {
  std::u16string text;     // ligature characters given as their letters
  double start = 0;        // along the baseline, where the first glyph starts
  double end = 0;          // and where the last one ends
  double baseline = 0;     // across: the baseline of its longest item
  double em = 0;           // the largest font size in it
  double size = 0;         // the font size of its longest item
  uint32_t frame = 0;      // index of its direction in LinePieces::directions
  uint32_t row = 0;        // pieces on one baseline share a row number
  bool afterBreak = false; // it began after a line break in content order
};

struct LinePieces {
  std::vector<Point> directions; // by frame, in the order they first occur
  std::vector<LinePiece> pieces; // frame by frame, row by row, each row left to right
};

LinePieces CollectLinePieces(const std::vector<TextItem>& items);

// Whether the character is a wide (CJK) one.
bool IsWideCharacter(char16_t c);

// Whether a blank goes between two pieces of text gap apart along the
// line (for the second's font size em), as between two items.
bool SeparatesWords(double gap, double em);

} // namespace scrivlet::pdf
