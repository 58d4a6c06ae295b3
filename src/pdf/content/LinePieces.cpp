#include "pdf/content/LinePieces.h"

#include "pdf/content/Ligatures.h"
#include "pdf/content/OverprintedText.h"
#include "pdf/content/PageText.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace scrivlet::pdf {
namespace {

// A superscript's size (at most this share of the text's) and rise (at
// least this share of the text's em).
constexpr double kSuperscriptSize = 0.8, kSuperscriptRise = 0.15;

// Directions closer than about two degrees are one; a page with more
// directions than kMaxDirections puts the rest with the nearest.
constexpr double kSameDirection = 0.9994;
constexpr size_t kMaxDirections = 16;
// Runs whose baselines are closer than this (in ems of the larger font)
// share a row: subscripts and superscripts of large text lie further than
// kLineThreshold from its baseline.
constexpr double kRowShift = 0.4;
// Wide characters shown one by one, each 0.8 to 1.6 ems under the last and
// less than half an em aside, at least three in a row, are vertical writing.
constexpr double kStackedStep[2] = {0.8, 1.6};
constexpr double kStackedShift = 0.5;
constexpr size_t kStackedRun = 3;
constexpr double kGlyphAscent = 0.88; // of a wide glyph, in ems

double Dot(Point a, Point b) {
  return a.x * b.x + a.y * b.y;
}
Point Minus(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}
Point Normal(Point direction) {
  return {-direction.y, direction.x};
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000';
}

// Distance of the item's start from the other start, across the item's
// baseline.
double DistanceAcross(const TextItem& item, Point otherStart) {
  return std::abs(Dot(Minus(item.start, otherStart), Normal(item.direction)));
}

uint32_t FrameOf(std::vector<Point>& directions, Point direction) {
  uint32_t best = 0;
  double bestDot = -2;
  for (uint32_t i = 0; i < directions.size(); ++i) {
    double dot = Dot(directions[i], direction);
    if (dot >= kSameDirection)
      return i;
    if (dot > bestDot) {
      bestDot = dot;
      best = i;
    }
  }
  if (directions.size() >= kMaxDirections)
    return best;
  directions.push_back(direction);
  return static_cast<uint32_t>(directions.size() - 1);
}

struct Run {
  LinePiece piece;
  size_t longest = 0; // characters of the item whose baseline it has
};

void AppendSeparated(std::u16string& text, std::u16string_view more, bool separate) {
  if (separate && !text.empty() && !more.empty() && !IsBlank(text.back()) && !IsBlank(more.front()))
    text += u' ';
  text += more;
}

bool IsVerticalWriting(const TextItem& item) {
  return item.direction.y <= -kSameDirection;
}

// Whether item shows one wide character a line below the one before, at its
// place across: a glyph of vertical writing set with a horizontal font.
// The one before may be such a glyph, or text of a vertical font where the
// page mixes the two (punctuation often comes from the vertical font):
// the glyph then starts where the vertical text left the pen.
bool StandsUnder(const TextItem& item, const TextItem& above) {
  if (item.text.size() != 1 || !IsWideCharacter(item.text[0]) ||
      item.direction.x < kSameDirection || item.em <= 0 || above.text.empty() ||
      !IsWideCharacter(above.text.back()))
    return false;
  if (IsVerticalWriting(above)) {
    // A vertical font places its glyphs from the top of their middle, a
    // horizontal one from the left of their baseline: the glyph's top (an
    // ascent above its baseline) and middle meet the pen where the vertical
    // text left it.
    double top = item.start.y + kGlyphAscent * item.em;
    double middle = item.start.x + item.em / 2;
    return std::abs(above.end.y - top) <= kStackedShift * item.em &&
           std::abs(above.end.x - middle) <= kStackedShift * item.em;
  }
  if (above.text.size() != 1 || above.direction.x < kSameDirection)
    return false;
  double down = above.start.y - item.start.y;
  return down >= kStackedStep[0] * item.em && down <= kStackedStep[1] * item.em &&
         std::abs(above.start.x - item.start.x) <= kStackedShift * item.em;
}

// The items that stand in stacks of kStackedRun or more wide characters,
// one under the other in content order.
std::vector<bool> StackedGlyphs(const std::vector<TextItem>& items) {
  std::vector<bool> stacked(items.size());
  size_t runStart = 0, previous = items.size(), runLength = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].text.empty())
      continue;
    if (previous < items.size() && StandsUnder(items[i], items[previous])) {
      ++runLength;
    } else {
      runStart = i;
      runLength = 1;
    }
    if (runLength >= kStackedRun)
      for (size_t j = runStart; j <= i; ++j)
        stacked[j] = !items[j].text.empty() && !IsVerticalWriting(items[j]);
    previous = i;
  }
  return stacked;
}

// A stacked glyph as vertical writing shows it: running down the page.
TextItem Upright(const TextItem& item) {
  TextItem upright = item;
  upright.direction = {0, -1};
  upright.end = {item.start.x, item.start.y - item.em};
  return upright;
}

// Letters of the scripts written right to left (Hebrew, Arabic and their
// presentation forms) and of those written left to right.
bool IsRightToLeftLetter(char16_t c) {
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
         (c >= 0xFE70 && c <= 0xFEFC);
}

bool IsLeftToRightLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xC0 && c <= 0x24F) ||
         (c >= 0x370 && c <= 0x52F);
}

// Text that changes direction between two letters changes words: no word
// is written half left to right and half right to left.
bool ChangesDirection(char16_t before, char16_t after) {
  return (IsLeftToRightLetter(before) && IsRightToLeftLetter(after)) ||
         (IsRightToLeftLetter(before) && IsLeftToRightLetter(after));
}

bool StartsWithLetter(const std::u16string& text) {
  return !text.empty() && (IsLeftToRightLetter(text.front()) || IsRightToLeftLetter(text.front()));
}

// A piece that starts its row raised above the text after it and smaller
// (a footnote's number before the note's text, when that text starts with
// a letter: "¹/3" is no note) is a word of its own.
bool IsRaisedAndSmaller(const LinePiece& mark, const LinePiece& text) {
  return mark.em > 0 && mark.em <= kSuperscriptSize * text.em &&
         mark.baseline - text.baseline >= kSuperscriptRise * text.em;
}

// Runs of items in content order (see the header).
std::vector<Run> CollectRuns(const std::vector<TextItem>& items, std::vector<Point>& directions) {
  std::vector<Run> runs;
  std::vector<bool> stacked = StackedGlyphs(items);
  std::vector<bool> overprinted = OverprintedItems(items);
  bool anyShown = false;
  Point lastStart; // of the last item shown
  double lastEm = 0;
  bool lastWide = false; // the last item shown ends with a wide character
  size_t itemsInRun = 0; // of the run being made
  Point penEnd;
  TextItem upright;
  for (size_t i = 0; i < items.size(); ++i) {
    if (overprinted[i])
      continue;
    if (stacked[i])
      upright = Upright(items[i]);
    const TextItem& item = stacked[i] ? upright : items[i];
    bool newLine = anyShown && DistanceAcross(item, lastStart) > kLineThreshold;
    if (newLine && item.text.empty())
      continue; // an empty item elsewhere neither breaks nor moves the line
    uint32_t frame = FrameOf(directions, item.direction);
    bool startRun = !anyShown || newLine;
    bool separate = false;
    if (!startRun && !item.text.empty()) {
      double gap = Dot(Minus(item.start, penEnd), item.direction);
      // A gutter is measured in the smaller font: a heading's em may be
      // wider than the gap between the columns of the text beside it.
      double em = std::min(item.em, lastEm);
      if (frame != runs.back().piece.frame || gap >= kColumnGap * em || gap < -item.em)
        startRun = true;
      else // vertical writing has no blanks between its glyphs
        separate = !(IsVerticalWriting(item) && lastWide && IsWideCharacter(item.text.front())) &&
                   SeparatesWords(gap, item.em);
      separate = separate || (gap >= -item.em && !runs.back().piece.text.empty() &&
                              ChangesDirection(runs.back().piece.text.back(), item.text.front()));
      // A run that a raised, smaller item starts (a footnote's number).
      separate = separate || (itemsInRun == 1 && StartsWithLetter(item.text) && lastEm > 0 &&
                              lastEm <= kSuperscriptSize * item.em &&
                              Dot(Minus(lastStart, item.start), Normal(item.direction)) >=
                                  kSuperscriptRise * item.em);
    }
    penEnd = item.end;
    if (item.text.empty())
      continue;
    Point direction = directions[frame];
    double start = Dot(item.start, direction), end = Dot(item.end, direction);
    if (start > end)
      std::swap(start, end);
    itemsInRun = startRun ? 1 : itemsInRun + 1;
    if (startRun) {
      runs.emplace_back();
      runs.back().piece.frame = frame;
      runs.back().piece.afterBreak = newLine;
      runs.back().piece.start = start;
      runs.back().piece.end = end;
    }
    Run& run = runs.back();
    std::u16string expanded;
    AppendWithoutLigatures(expanded, item.text);
    AppendSeparated(run.piece.text, expanded, separate);
    run.piece.start = std::min(run.piece.start, start);
    run.piece.end = std::max(run.piece.end, end);
    run.piece.em = std::max(run.piece.em, item.em);
    if (item.LongestPart() > run.longest) {
      run.longest = item.LongestPart();
      run.piece.baseline = Dot(item.LongestStart(), Normal(direction));
      run.piece.size = item.em;
    }
    anyShown = true;
    lastStart = item.LastPartStart();
    lastEm = item.em;
    lastWide = IsWideCharacter(item.text.back());
  }
  return runs;
}

// Joins the runs of one row (sorted left to right) into pieces.
void JoinRow(std::vector<Run>& runs, const std::vector<size_t>& row, uint32_t rowNumber,
             std::vector<LinePiece>& pieces) {
  bool open = false;
  size_t runsInPiece = 0; // the runs joined into the last piece
  for (size_t index : row) {
    LinePiece& run = runs[index].piece;
    run.row = rowNumber;
    if (open) {
      LinePiece& last = pieces.back();
      double gap = run.start - last.end;
      if (gap < kColumnGap * std::min(run.em, last.em) && gap >= -std::max(run.em, last.em)) {
        if (run.text.size() > last.text.size())
          last.size = run.size;
        const bool boundary =
            SeparatesWords(gap, run.em) || run.afterBreak ||
            (!last.text.empty() && !run.text.empty() &&
             ChangesDirection(last.text.back(), run.text.front())) ||
            (runsInPiece == 1 && StartsWithLetter(run.text) && IsRaisedAndSmaller(last, run));
        AppendSeparated(last.text, run.text, boundary);
        ++runsInPiece;
        last.end = std::max(last.end, run.end);
        last.em = std::max(last.em, run.em);
        continue;
      }
    }
    pieces.push_back(std::move(run));
    open = true;
    runsInPiece = 1;
  }
}

} // namespace

bool IsWideCharacter(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

bool SeparatesWords(double gap, double em) {
  return gap >= kWordGap * em || gap < -em;
}

LinePieces CollectLinePieces(const std::vector<TextItem>& items) {
  LinePieces result;
  std::vector<Run> runs = CollectRuns(items, result.directions);
  // Frame by frame, top to bottom (content order among equal baselines).
  std::vector<size_t> order(runs.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const LinePiece &pa = runs[a].piece, &pb = runs[b].piece;
    if (pa.frame != pb.frame)
      return pa.frame < pb.frame;
    return pa.baseline > pb.baseline;
  });
  uint32_t rowNumber = 0;
  std::vector<size_t> row;
  for (size_t i = 0; i < order.size();) {
    const LinePiece& first = runs[order[i]].piece;
    row.clear();
    size_t j = i;
    for (; j < order.size(); ++j) {
      const LinePiece& piece = runs[order[j]].piece;
      double tolerance = std::max(kLineThreshold, kRowShift * std::max(first.em, piece.em));
      if (piece.frame != first.frame || first.baseline - piece.baseline > tolerance)
        break;
      row.push_back(order[j]);
    }
    std::stable_sort(row.begin(), row.end(),
                     [&](size_t a, size_t b) { return runs[a].piece.start < runs[b].piece.start; });
    JoinRow(runs, row, rowNumber++, result.pieces);
    i = j;
  }
  return result;
}

} // namespace scrivlet::pdf
