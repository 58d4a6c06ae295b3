#include "pdf/content/PageText.h"

#include "pdf/content/LinePieces.h"
#include "pdf/content/ReadingOrder.h"
#include "pdf/content/VisualOrder.h"

#include <algorithm>
#include <cmath>

namespace scrivlet::pdf {
namespace {

// Line boxes reach from a quarter em below the baseline to three quarters
// above it; columns are at least half the usual em apart, and their lines
// less than an em; a gap of an em (kColumnGap) is a gutter as it stands.
constexpr double kAscent = 0.75;
constexpr double kDescent = 0.25;
constexpr double kMinGutter = 0.5;
constexpr double kBandGap = 1.0;
// Half the lines of a table are at most this many ems wide.
constexpr double kTableCell = 6.0;
// A list's marks: a bullet or a number ("12.", "(iv)") and the indent
// before its text.
constexpr double kMarkWidth = 2.0;
constexpr double kMarkGap = 4.0;

bool IsLeftToRightLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x00C0 && c <= 0x058F) ||
         (c >= 0x0900 && c < 0xFB1D);
}

bool MostlyRightToLeft(const std::vector<LinePiece>& pieces, size_t first, size_t last) {
  size_t rightToLeft = 0, leftToRight = 0;
  for (size_t i = first; i < last; ++i)
    for (char16_t c : pieces[i].text) {
      rightToLeft += IsRightToLeftLetter(c);
      leftToRight += IsLeftToRightLetter(c);
    }
  return rightToLeft > leftToRight;
}

double UsualEm(const std::vector<LinePiece>& pieces, size_t first, size_t last) {
  std::vector<double> ems;
  ems.reserve(last - first);
  for (size_t i = first; i < last; ++i)
    ems.push_back(pieces[i].em);
  auto middle = ems.begin() + static_cast<std::ptrdiff_t>(ems.size() / 2);
  std::nth_element(ems.begin(), middle, ems.end());
  return *middle;
}

// Right-to-left words stored reversed are put back in logical order, piece
// by piece (the pieces of a line are then read in its direction).
void MakeLogical(std::vector<LinePiece>& pieces, size_t first, size_t last, bool rightToLeft) {
  std::vector<const std::u16string*> texts;
  for (size_t i = first; i < last; ++i)
    if (std::any_of(pieces[i].text.begin(), pieces[i].text.end(), IsRightToLeftLetter))
      texts.push_back(&pieces[i].text);
  if (texts.empty() || !LooksVisual(texts))
    return;
  for (size_t i = first; i < last; ++i)
    VisualToLogical(pieces[i].text, rightToLeft);
}

// Reads the pieces [first, last) of one direction and appends their lines;
// upright is true for text that runs across the page, whose list marks
// stand before their items (a vertical line of one character is no mark).
void ReadFrame(std::vector<LinePiece>& pieces, size_t first, size_t last, bool rightToLeft,
               bool upright, uint32_t& columnBase, std::vector<PageLine>& lines) {
  MakeLogical(pieces, first, last, rightToLeft);
  std::vector<LineBox> boxes;
  boxes.reserve(last - first);
  for (size_t i = first; i < last; ++i) {
    const LinePiece& piece = pieces[i];
    boxes.push_back({piece.start, piece.end, piece.baseline + kAscent * piece.em,
                     piece.baseline - kDescent * piece.em, piece.baseline, piece.row});
  }
  double em = UsualEm(pieces, first, last);
  ReadingRules rules{kMinGutter * em, kColumnGap * em, kBandGap * em, rightToLeft, kTableCell * em};
  if (upright) {
    rules.markWidth = kMarkWidth * em;
    rules.markGap = kMarkGap * em;
  }
  uint32_t lastRow = 0, maxColumn = 0;
  const LinePiece* previous = nullptr;
  for (const ReadingPlace& place : ReadingOrder(boxes, rules)) {
    LinePiece& piece = pieces[first + place.line];
    uint32_t column = columnBase + place.column;
    maxColumn = std::max(maxColumn, column);
    // Pieces of one row read one after the other make one line.
    if (previous && piece.row == lastRow) {
      PageLine& line = lines.back();
      if (piece.text.size() > line.text.size())
        line.size = piece.size;
      double gap = rightToLeft ? previous->start - piece.end : piece.start - previous->end;
      if ((SeparatesWords(gap, piece.em) || piece.afterBreak) && !line.text.empty() &&
          line.text.back() != u' ' && !piece.text.empty() && piece.text.front() != u' ')
        line.text += u' ';
      line.text += piece.text;
      line.start = std::min(line.start, piece.start);
      line.end = std::max(line.end, piece.end);
      line.em = std::max(line.em, piece.em);
    } else {
      lines.push_back({std::move(piece.text), piece.em, piece.size, piece.start, piece.end,
                       piece.baseline, column});
    }
    previous = &piece;
    lastRow = piece.row;
  }
  columnBase = maxColumn + 1;
}

} // namespace

std::vector<PageLine> LayOutPageLines(const std::vector<TextItem>& items) {
  LinePieces collected = CollectLinePieces(items);
  std::vector<LinePiece>& pieces = collected.pieces;
  std::vector<PageLine> lines;
  uint32_t columnBase = 0;
  for (size_t first = 0; first < pieces.size();) {
    size_t last = first;
    while (last < pieces.size() && pieces[last].frame == pieces[first].frame)
      ++last;
    const Point& direction = collected.directions[pieces[first].frame];
    const bool upright = direction.x > 0 && std::abs(direction.y) < 1e-6 * direction.x;
    ReadFrame(pieces, first, last, MostlyRightToLeft(pieces, first, last), upright, columnBase,
              lines);
    first = last;
  }
  return lines;
}

std::u16string JoinPageLines(const std::vector<PageLine>& lines) {
  std::u16string text;
  for (const PageLine& line : lines) {
    if (&line != &lines.front())
      text += u"\r\n";
    text += line.text;
  }
  return text;
}

std::u16string LayOutPageText(const std::vector<TextItem>& items) {
  return JoinPageLines(LayOutPageLines(items));
}

} // namespace scrivlet::pdf
