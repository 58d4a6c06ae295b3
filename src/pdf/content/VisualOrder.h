// Hebrew and Arabic text that a PDF shows in visual order, put back into
// logical order.
//
// A content stream draws glyphs left to right as the pen moves, so many
// writers store right-to-left words with their letters reversed; others
// store them as typed and place them.  Which of the two a page holds shows
// in its words: written reversed, Hebrew final letters (final kaf, mem,
// nun, pe, tsadi) stand at the start of words and the Arabic article "al"
// at their end.  A page whose words lean that way is in visual order.
//
// Reordering a line is the reverse of what a display does, simplified: in a
// right-to-left line every character is reversed, then runs of
// left-to-right letters and digits (with the blanks and marks between
// them) are turned back; in a left-to-right line only runs of
// right-to-left letters (with what lies between them) are reversed.
// Brackets in reversed text are mirrored.
#pragma once

#include <string>
#include <vector>

namespace scrivlet::pdf {

bool IsRightToLeftLetter(char16_t c);

// Whether the texts (a page's pieces of lines) hold right-to-left words
// with their letters reversed.
bool LooksVisual(const std::vector<const std::u16string*>& texts);

// Puts a line's text from visual into logical order.
void VisualToLogical(std::u16string& text, bool rightToLeft);

} // namespace scrivlet::pdf
