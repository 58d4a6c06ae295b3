#include "readers/epub/XhtmlBody.h"

#include "xml/XmlParser.h"

#include <set>

namespace scrivlet {
namespace {

bool IsParagraphOrHeading(const std::string& name) {
  return name == "p" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

// Other XHTML blocks that hold text of their own when no block lies inside
// them: poems set line by line in "div"s, list items, table cells.
bool IsOtherBlock(const std::string& name) {
  static const std::set<std::string, std::less<>> kBlocks = {
      "div", "li",         "dt",      "dd",         "td",      "th",
      "pre", "blockquote", "caption", "figcaption", "address", "center"};
  return kBlocks.count(name) != 0;
}

bool IsBlock(const std::string& name) {
  return IsParagraphOrHeading(name) || IsOtherBlock(name);
}

// What an item the walks keep costs: its entry in a set of items, its
// frame on a walk's stack.
constexpr uint64_t kKeptItemBytes = 96;

// The items that have a block somewhere below them, found in one pass;
// each paid for from the budget.
std::unordered_set<const XmlNode*> ItemsWithBlocksInside(XmlNode& root, WorkBudget& budget) {
  std::unordered_set<const XmlNode*> result;
  WalkItems(
      root, 0, [](XmlNode&, int) { return 0; },
      [&](XmlNode& done) {
        if (done.Parent != nullptr && &done != &root &&
            (IsBlock(done.Name) || result.count(&done)) && result.insert(done.Parent).second)
          budget.SpendMemory(kKeptItemBytes);
      });
  return result;
}

bool HasText(const std::vector<Inline>& pieces) {
  for (const Inline& piece : pieces)
    if (!piece.text.empty() &&
        (piece.kind == InlineKind::Text || piece.kind == InlineKind::NoteReference))
      return true;
  return false;
}

// A footnote, endnote or rear note that EPUB 3 marks as one, or that a
// plain link refers to as one.
bool IsNote(XmlNode& item, const std::unordered_set<std::u16string>& targets) {
  for (std::u16string_view type : {u"footnote", u"endnote", u"rearnote", u"note"})
    if (XhtmlInlines::HasType(item, type))
      return !XhtmlInlines::AttributeValue(item, "id").empty();
  return !targets.empty() && targets.count(XhtmlInlines::AttributeValue(item, "id")) != 0;
}

// Whether an id names a note as books name them ("footnote-1", "fn3",
// "ftn2", "note7", "endnote12").
bool NamesANote(std::u16string_view id) {
  std::u16string lower(id);
  for (char16_t& c : lower)
    c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return lower.find(u"note") != std::u16string::npos || lower.starts_with(u"fn") ||
         lower.starts_with(u"ftn");
}

// The links within the document that refer to notes: those EPUB 3 marks,
// and those whose text is a note's label and whose target's id names a
// note (the notes that plain links refer to).  Their own ids are where a
// note's back-link leads.
void FindNoteLinks(XmlNode& body, std::unordered_set<std::u16string>& targets,
                   std::unordered_set<std::u16string>& referenceIds) {
  WalkItems(
      body, 0,
      [&](XmlNode& item, int) {
        if (item.Kind != XmlNodeKind::Element || item.Name != "a")
          return 0;
        const std::u16string href = XhtmlInlines::AttributeValue(item, "href");
        const size_t hash = href.find(u'#');
        if (hash == std::u16string::npos)
          return 0;
        const bool marked = XhtmlInlines::HasType(item, u"noteref");
        const bool plain = hash == 0 && NamesANote(std::u16string_view(href).substr(1)) &&
                           XhtmlInlines::IsLabelText(item.WholeText());
        if (plain)
          targets.insert(href.substr(1));
        if (marked || plain) {
          std::u16string id = XhtmlInlines::AttributeValue(item, "id");
          if (!id.empty())
            referenceIds.insert(std::move(id));
        }
        return 0;
      },
      [](XmlNode&) {});
}

// What is left of a back-link that stood in brackets at a note's start
// ("[1] text" without its link is "[] text").
void TrimEmptyBrackets(Block& block) {
  if (block.content.empty() || block.content.front().kind != InlineKind::Text)
    return;
  std::u16string& text = block.content.front().text;
  size_t at = text.find_first_not_of(u' ');
  for (std::u16string_view pair : {u"[]", u"()"})
    if (at != std::u16string::npos && text.compare(at, 2, pair) == 0)
      text.erase(0, text.find_first_not_of(u' ', at + 2));
}

} // namespace

XhtmlBody::~XhtmlBody() {
  FBudget.ReleaseMemory(FWithBlocks.size() * kKeptItemBytes);
}

void XhtmlBody::Convert(XmlNode& body) {
  FBudget.ReleaseMemory(FWithBlocks.size() * kKeptItemBytes);
  FWithBlocks = ItemsWithBlocksInside(body, FBudget);
  FNoteTargets.clear();
  FReferenceIds.clear();
  FindNoteLinks(body, FNoteTargets, FReferenceIds);
  FInlines.SetNoteLinks(&FNoteTargets, &FReferenceIds);
  FOpen.clear();
  FLoose.clear();
  FBody = &body;
  FListOrdered.clear();
  FQuotes = 0;
  FNavigation = 0;
  FNote = kMainStory;
  WalkItems(
      body, false, [&](XmlNode& item, bool insideLine) { return Enter(item, insideLine); },
      [&](XmlNode& item) { Leave(item); });
}

Story& XhtmlBody::Target() {
  return FNote == kMainStory ? FDocument.Main() : FNoteStory;
}

void XhtmlBody::AddBlock(Block block) {
  Story& story = Target();
  const size_t blockIndex = story.blocks.size();
  const bool references = !FInlines.References().empty();
  FAdd(story, std::move(block));
  if (references)
    for (const XhtmlInlines::Reference& reference : FInlines.References())
      FReferences.push_back({FNote, blockIndex, reference.piece, reference.text, reference.href});
}

void XhtmlBody::AddBoundary(BlockKind kind, int32_t value, bool ordered, bool header) {
  Block block;
  block.kind = kind;
  block.value = value;
  block.ordered = ordered;
  block.header = header;
  FAdd(Target(), std::move(block));
}

void XhtmlBody::StartParts(XmlNode& item) {
  const std::string& name = item.Name;
  if (FNote == kMainStory && IsNote(item, FNoteTargets)) {
    FOpen.push_back({&item, Part::Note});
    FNote = FDocument.notes.size();
    Note& note = FDocument.notes.emplace_back();
    note.id = XhtmlInlines::AttributeValue(item, "id");
    FNoteStory.blocks.clear();
    FInlines.SetInNote(true);
    return; // the note's own list item or cell is no part of the text
  }
  if (name == "table") {
    FOpen.push_back({&item, Part::Table});
    AddBoundary(BlockKind::TableStart);
  } else if (name == "tr") {
    FOpen.push_back({&item, Part::Row});
    AddBoundary(BlockKind::RowStart);
  } else if (name == "td" || name == "th") {
    FOpen.push_back({&item, Part::Cell});
    AddBoundary(BlockKind::CellStart, ColumnSpanOf(item), false, name == "th");
  } else if (name == "nav") {
    FOpen.push_back({&item, Part::Navigation});
    ++FNavigation;
  } else if (FNavigation > 0) {
    return;
  } else if (name == "ul" || name == "ol") {
    FOpen.push_back({&item, Part::List});
    FListOrdered.push_back(name == "ol");
    AddBoundary(BlockKind::ListStart, 0, name == "ol");
  } else if (name == "li" && !FListOrdered.empty()) {
    FOpen.push_back({&item, Part::Item});
    AddBoundary(BlockKind::ListItemStart);
  } else if (name == "blockquote") {
    FOpen.push_back({&item, Part::Quote});
    ++FQuotes;
  }
}

// The body and the blocks that hold blocks (but list items, whose own text
// is their item's, and the table of contents) have text beside them.
bool XhtmlBody::IsContainer(XmlNode& item, const XmlNode& body) const {
  if (!FWithBlocks.count(&item) || FNavigation > 0 || item.Name == "li")
    return false;
  return &item == &body || XhtmlInlines::IsNestedBlock(item.Name);
}

void XhtmlBody::AddLooseRun(std::vector<Inline> run) {
  // The blanks around blocks are no text of the run.
  while (!run.empty() && run.front().kind == InlineKind::Text &&
         run.front().text.find_first_not_of(u" ") == std::u16string::npos)
    run.erase(run.begin());
  if (!run.empty() && run.front().kind == InlineKind::Text)
    run.front().text.erase(0, run.front().text.find_first_not_of(u' '));
  if (!run.empty() && run.back().kind == InlineKind::Text) {
    std::u16string& last = run.back().text;
    last.erase(last.find_last_not_of(u' ') + 1);
  }
  if (!HasText(run))
    return;
  Block block;
  block.kind = FQuotes > 0 ? BlockKind::Quote : BlockKind::Paragraph;
  block.content = std::move(run);
  FAdd(Target(), std::move(block));
}

void XhtmlBody::EnterNestedBlock(XmlNode& item) {
  if (FLoose.empty() || !XhtmlInlines::IsNestedBlock(item.Name))
    return;
  LooseText& loose = FLoose.back();
  if (loose.openBlocks++ == 0 && loose.next < loose.runs.size())
    AddLooseRun(std::move(loose.runs[loose.next++]));
}

void XhtmlBody::LeaveNestedBlock(XmlNode& item) {
  if (!FLoose.empty() && FLoose.back().container == &item) {
    LooseText& loose = FLoose.back();
    for (; loose.next < loose.runs.size(); ++loose.next)
      AddLooseRun(std::move(loose.runs[loose.next]));
    FLoose.pop_back();
  }
  if (!FLoose.empty() && XhtmlInlines::IsNestedBlock(item.Name) && FLoose.back().openBlocks > 0)
    --FLoose.back().openBlocks;
}

bool XhtmlBody::Enter(XmlNode& item, bool insideLine) {
  if (insideLine)
    return true;
  if (item.Kind != XmlNodeKind::Element)
    return false;
  // What a reader never sees, and the page list of the table of contents.
  if (XhtmlInlines::IsLeftOut(item) ||
      (item.Name == "nav" && XhtmlInlines::HasType(item, u"page-list")))
    return true;
  EnterNestedBlock(item);
  if (IsContainer(item, *FBody))
    FLoose.push_back({&item, FInlines.ReadRuns(item)});
  StartParts(item);
  const std::string& name = item.Name;
  std::vector<Inline> pieces;
  bool givesLine = false;
  if (IsParagraphOrHeading(name)) {
    pieces = FInlines.Read(item, false);
    givesLine = true;
  } else if (IsOtherBlock(name) && !FWithBlocks.count(&item)) {
    pieces = FInlines.Read(item, false, name == "pre");
    givesLine = HasText(pieces);
  }
  if (givesLine) {
    Block block;
    block.content = std::move(pieces);
    if (name.size() == 2 && name[0] == 'h' && name != "th") {
      block.kind = BlockKind::Heading;
      block.level = static_cast<uint8_t>(name[1] - '0');
    } else if (name == "pre") {
      block.kind = BlockKind::Preformatted;
    } else if (FQuotes > 0) {
      block.kind = BlockKind::Quote;
    }
    AddBlock(std::move(block));
  } else if (name == "li" && !FListOrdered.empty() && FWithBlocks.count(&item)) {
    // The item's own text beside its nested blocks.
    pieces = FInlines.Read(item, true);
    if (HasText(pieces)) {
      Block block;
      block.kind = BlockKind::ListItem;
      block.level = static_cast<uint8_t>(std::min<size_t>(FListOrdered.size(), 255));
      block.ordered = FListOrdered.back();
      block.content = std::move(pieces);
      AddBlock(std::move(block));
    }
  } else if (name == "empty-line") {
    AddBoundary(BlockKind::EmptyLine);
  }
  return givesLine;
}

void XhtmlBody::Leave(XmlNode& item) {
  LeaveNestedBlock(item);
  if (item.Name == "section")
    AddBoundary(BlockKind::SectionEnd);
  if (FOpen.empty() || FOpen.back().item != &item)
    return;
  const Part part = FOpen.back().part;
  FOpen.pop_back();
  switch (part) {
  case Part::Note:
    FInlines.SetInNote(false);
    if (!FNoteStory.blocks.empty())
      TrimEmptyBrackets(FNoteStory.blocks.front());
    FDocument.notes[FNote].blocks = std::move(FNoteStory.blocks);
    FNoteStory.blocks.clear();
    FNote = kMainStory;
    break;
  case Part::Table: AddBoundary(BlockKind::TableEnd); break;
  case Part::Row: AddBoundary(BlockKind::RowEnd); break;
  case Part::Cell: AddBoundary(BlockKind::CellEnd); break;
  case Part::List:
    FListOrdered.pop_back();
    AddBoundary(BlockKind::ListEnd);
    break;
  case Part::Item: AddBoundary(BlockKind::ListItemEnd); break;
  case Part::Quote: --FQuotes; break;
  case Part::Navigation: --FNavigation; break;
  }
}

} // namespace scrivlet
