#include "readers/pdf/PdfBlocks.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace scrivlet {
namespace {

constexpr double kIndent = 1.0;   // ems: a first line's indent
constexpr double kSameSize = 1.1; // sizes within this ratio are one
constexpr size_t kMaxNumberDigits = 3;

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0';
}

bool IsBullet(char16_t c) {
  switch (c) {
  case u'\u2022': // bullet
  case u'\u25E6': // white bullet
  case u'\u25AA': // small black square
  case u'\u25CF': // black circle
  case u'\u25A0': // black square
  case u'\u2023': // triangular bullet
  case u'\u2043': // hyphen bullet
  case u'\u00B7': // middle dot
  case u'\u2013': // en dash
  case u'-':
  case u'*': return true;
  default: return false;
  }
}

struct ListMarker {
  size_t length = 0; // of the marker, without the blanks after it
  size_t textStart = 0;
  bool ordered = false;
  int32_t number = 0;
};

// A bullet, or up to three digits (or one letter) followed by "." or ")",
// then a blank and more text.
ListMarker FindListMarker(const std::u16string& text) {
  ListMarker marker;
  size_t i = 0;
  if (!text.empty() && IsBullet(text[0])) {
    i = 1;
  } else {
    size_t open = !text.empty() && text[0] == u'(' ? 1 : 0;
    size_t digits = open;
    int32_t number = 0;
    while (digits < text.size() && digits - open < kMaxNumberDigits && text[digits] >= u'0' &&
           text[digits] <= u'9')
      number = number * 10 + (text[digits++] - u'0');
    bool letter = digits == open && digits < text.size() &&
                  ((text[digits] >= u'a' && text[digits] <= u'z') ||
                   (text[digits] >= u'A' && text[digits] <= u'Z'));
    size_t end = letter ? digits + 1 : digits;
    if (end == open || end >= text.size() || (text[end] != u'.' && text[end] != u')'))
      return marker;
    if (open && text[end] != u')')
      return marker;
    i = end + 1;
    marker.ordered = true;
    marker.number = letter ? 0 : number;
  }
  size_t textStart = i;
  while (textStart < text.size() && IsBlank(text[textStart]))
    ++textStart;
  if (textStart == i || textStart >= text.size())
    return {};
  marker.length = i;
  marker.textStart = textStart;
  return marker;
}

bool EndsSentence(const std::u16string& text) {
  size_t end = text.find_last_not_of(u" \t");
  if (end == std::u16string::npos)
    return true;
  switch (text[end]) {
  case u'.':
  case u'!':
  case u'?':
  case u':':
  case u';': return true;
  default: return false;
  }
}

bool SameSize(double a, double b) {
  double larger = std::max(a, b), smaller = std::min(a, b);
  return smaller > 0 ? larger / smaller <= kSameSize : larger == smaller;
}

// Whether the line after a marker line hangs under its text: it starts
// further right than the marker, close below it in the same column.
bool HangsUnder(const pdf::PageLine& next, const pdf::PageLine& item) {
  double leading = item.baseline - next.baseline;
  return next.column == item.column && leading > 0 && leading <= kParagraphLeading * item.em &&
         next.start > item.start + kIndent * item.em / 2;
}

// The lines that start list items: a line with a marker whose list has
// another item near it (kItemReach lines before or after, in the same
// column) or whose next line hangs under its text.  A
// lone "1. Auflage" or "2) see below" is a paragraph.
std::vector<bool> ListItemLines(const std::vector<pdf::PageLine>& lines) {
  constexpr size_t kItemReach = 4;
  std::vector<ListMarker> markers(lines.size());
  for (size_t i = 0; i < lines.size(); ++i)
    markers[i] = FindListMarker(lines[i].text);
  auto sameList = [&](size_t a, size_t b) {
    return markers[b].length && lines[b].column == lines[a].column;
  };
  std::vector<bool> items(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!markers[i].length)
      continue;
    bool listed = i + 1 < lines.size() && HangsUnder(lines[i + 1], lines[i]);
    for (size_t step = 1; step <= kItemReach && !listed; ++step)
      listed = (i >= step && sameList(i, i - step)) ||
               (i + step < lines.size() && sameList(i, i + step));
    items[i] = listed;
  }
  return items;
}

class PageBlocks {
public:
  PageBlocks(const TextSizes& sizes, std::vector<Block>& blocks) : FSizes(sizes), FBlocks(blocks) {}

  void Add(const pdf::PageLine& line, bool listItem) {
    int level = FSizes.HeadingLevel(line.size);
    ListMarker marker = level || !listItem ? ListMarker{} : FindListMarker(line.text);
    if (FOpen && Continues(line, level, marker)) {
      Block& block = FBlocks.back();
      block.content.push_back({InlineKind::SoftBreak, 0, 0, 0, {}, {}});
      block.content.push_back({InlineKind::Text, 0, 0, 0, line.text, {}});
    } else {
      Start(line, level, marker);
    }
    FPrevious = &line;
  }

private:
  void Start(const pdf::PageLine& line, int level, const ListMarker& marker) {
    Block block;
    std::u16string text = line.text;
    if (level) {
      block.kind = BlockKind::Heading;
      block.level = static_cast<uint8_t>(level);
    } else if (marker.length) {
      block.kind = BlockKind::ListItem;
      block.level = 1;
      block.ordered = marker.ordered;
      block.value = marker.number;
      block.marker = text.substr(0, marker.length);
      text.erase(0, marker.textStart);
    }
    block.content.push_back({InlineKind::Text, 0, 0, 0, std::move(text), {}});
    FBlocks.push_back(std::move(block));
    FFirst = &line;
    FOpen = true;
  }

  bool Continues(const pdf::PageLine& line, int level, const ListMarker& marker) const {
    const pdf::PageLine& previous = *FPrevious;
    const Block& block = FBlocks.back();
    if (line.column != previous.column || marker.length)
      return false;
    double em = std::max(line.em, previous.em);
    double leading = previous.baseline - line.baseline;
    if (leading <= 0 || leading > kParagraphLeading * em || !SameSize(line.size, previous.size))
      return false;
    switch (block.kind) {
    case BlockKind::Heading: return level == block.level;
    case BlockKind::ListItem:
      // Lines indented under the marker continue the item; lines at the
      // marker's place continue it while its sentence goes on.
      return level == 0 &&
             (line.start > FFirst->start + kIndent * line.em / 2 ||
              (line.start > FFirst->start - kIndent * line.em / 2 && !EndsSentence(previous.text)));
    default: return level == 0 && line.start <= previous.start + kIndent * line.em;
    }
  }

  const TextSizes& FSizes;
  std::vector<Block>& FBlocks;
  const pdf::PageLine* FPrevious = nullptr;
  const pdf::PageLine* FFirst = nullptr; // of the open block
  bool FOpen = false;
};

} // namespace

long TextSizes::Key(double em) {
  return std::lround(std::min(std::abs(em), 1e6) * 2);
}

void TextSizes::Count(const std::vector<pdf::PageLine>& lines) {
  for (const pdf::PageLine& line : lines)
    FCharacters[Key(line.size)] += line.text.size();
}

void TextSizes::Decide() {
  size_t most = 0;
  long body = 0;
  for (const auto& [key, characters] : FCharacters)
    if (characters > most) {
      most = characters;
      body = key;
    }
  FBody = body / 2.0;
  FHeadingSizes.clear();
  for (auto it = FCharacters.rbegin(); it != FCharacters.rend(); ++it)
    if (it->first / 2.0 >= kHeadingRatio * FBody && FBody > 0)
      FHeadingSizes.push_back(it->first);
}

int TextSizes::HeadingLevel(double em) const {
  long key = Key(em);
  if (FBody <= 0 || key / 2.0 < kHeadingRatio * FBody)
    return 0;
  auto it = std::find(FHeadingSizes.begin(), FHeadingSizes.end(), key);
  if (it == FHeadingSizes.end())
    return 0;
  return static_cast<int>(
      std::min<std::ptrdiff_t>(it - FHeadingSizes.begin() + 1, kMaxHeadingLevel));
}

uint64_t CharactersKept(const std::vector<pdf::PageLine>& lines) {
  uint64_t kept = 0;
  for (const pdf::PageLine& line : lines)
    kept += static_cast<uint64_t>(
        std::count_if(line.text.begin(), line.text.end(), [](char16_t c) { return !IsBlank(c); }));
  return kept;
}

void AddPageBlocks(int32_t pageNumber, const std::vector<pdf::PageLine>& lines,
                   const TextSizes& sizes, std::vector<Block>& blocks) {
  if (pageNumber > 1 || lines.empty()) {
    Block pageBreak;
    pageBreak.kind = BlockKind::PageBreak;
    pageBreak.value = pageNumber;
    blocks.push_back(std::move(pageBreak));
  }
  std::vector<bool> items = ListItemLines(lines);
  PageBlocks page(sizes, blocks);
  for (size_t i = 0; i < lines.size(); ++i)
    page.Add(lines[i], items[i]);
}

} // namespace scrivlet
