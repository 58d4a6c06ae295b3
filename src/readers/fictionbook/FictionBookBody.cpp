#include "readers/fictionbook/FictionBookBody.h"

#include "xml/XmlParser.h"

#include <algorithm>

namespace scrivlet {
namespace {

// The elements that hold a line of text: paragraphs, and the verse lines,
// subtitles, attributions, a poem's date and table cells that FictionBook
// keeps apart.
bool IsTextLine(const std::string& name) {
  return name == "p" || name == "v" || name == "subtitle" || name == "text-author" ||
         name == "date" || name == "td" || name == "th";
}

bool IsQuote(const std::string& name) {
  return name == "epigraph" || name == "cite";
}

// The elements whose end is a block of its own or changes the state.
bool IsTracked(const std::string& name) {
  return name == "section" || IsQuote(name) || name == "title" || name == "table" || name == "tr" ||
         name == "td" || name == "th";
}

} // namespace

uint8_t FictionBookBody::SectionLevel() const {
  return static_cast<uint8_t>(std::clamp(FSections + 1, 1, 9));
}

void FictionBookBody::Convert(XmlNode& root, bool note) {
  FRoot = &root;
  FNote = note;
  FOpen.clear();
  FSections = FQuotes = FTitles = 0;
  FTitleHasLine = false;
  WalkItems(
      root, false, [&](XmlNode& item, bool insideLine) { return Enter(item, insideLine); },
      [&](XmlNode& item) { Leave(item); });
}

void FictionBookBody::AddBoundary(BlockKind kind, int32_t value, bool header) {
  Block block;
  block.kind = kind;
  block.value = value;
  block.header = header;
  FAdd(std::move(block));
}

void FictionBookBody::AddLine(XmlNode& item, BlockKind kind) {
  Block block;
  block.kind = kind;
  block.content = FInlines.Read(item);
  FAdd(std::move(block));
}

// A title's paragraphs are the lines of one heading (the described output
// gives each its own entry).
void FictionBookBody::AddTitleLine(XmlNode& item) {
  if (FTitleHasLine) {
    Inline separator;
    separator.kind = InlineKind::LineBreak;
    FTitle.content.push_back(separator);
  }
  std::vector<Inline> pieces = FInlines.Read(item);
  FTitle.content.insert(FTitle.content.end(), std::make_move_iterator(pieces.begin()),
                        std::make_move_iterator(pieces.end()));
  FTitleHasLine = true;
}

void FictionBookBody::FinishTitle() {
  if (FTitleHasLine)
    FAdd(std::move(FTitle));
  FTitle = Block();
  FTitleHasLine = false;
}

bool FictionBookBody::Enter(XmlNode& item, bool insideLine) {
  if (insideLine || item.Kind != XmlNodeKind::Element)
    return true;
  const std::string& name = item.Name;
  if (FNote && item.Parent == FRoot && name == "title")
    return true; // the note's own title is its label
  if (IsTracked(name))
    FOpen.push_back(&item);
  if (name == "section") {
    ++FSections;
  } else if (IsQuote(name)) {
    ++FQuotes;
  } else if (name == "title") {
    ++FTitles;
    if (FTitles == 1) {
      FinishTitle();
      FTitle.kind = BlockKind::Heading;
      FTitle.level = SectionLevel();
    }
  } else if (name == "table") {
    AddBoundary(BlockKind::TableStart);
  } else if (name == "tr") {
    AddBoundary(BlockKind::RowStart);
  } else if (name == "td" || name == "th") {
    AddBoundary(BlockKind::CellStart, ColumnSpanOf(item), name == "th");
  }
  if (IsTextLine(name)) {
    if (FTitles > 0)
      AddTitleLine(item);
    else if (name == "subtitle") {
      Block heading;
      heading.kind = BlockKind::Heading;
      heading.level = SectionLevel();
      heading.content = FInlines.Read(item);
      FAdd(std::move(heading));
    } else
      AddLine(item, FQuotes > 0 ? BlockKind::Quote : BlockKind::Paragraph);
    return true;
  }
  if (name == "empty-line") {
    // An empty line parts a title's lines into two headings.
    const bool inTitle = FTitles > 0;
    const uint8_t level = FTitle.level;
    if (inTitle)
      FinishTitle();
    AddBoundary(BlockKind::EmptyLine);
    if (inTitle) {
      FTitle.kind = BlockKind::Heading;
      FTitle.level = level;
    }
  }
  return false;
}

void FictionBookBody::Leave(XmlNode& item) {
  if (FOpen.empty() || FOpen.back() != &item)
    return;
  FOpen.pop_back();
  const std::string& name = item.Name;
  if (name == "section") {
    --FSections;
    if (!(FNote && &item == FRoot))
      AddBoundary(BlockKind::SectionEnd);
  } else if (IsQuote(name)) {
    --FQuotes;
  } else if (name == "title") {
    if (--FTitles == 0)
      FinishTitle();
  } else if (name == "table") {
    AddBoundary(BlockKind::TableEnd);
  } else if (name == "tr") {
    AddBoundary(BlockKind::RowEnd);
  } else {
    AddBoundary(BlockKind::CellEnd);
  }
}

} // namespace scrivlet
