#include "document/StructuredBlocks.h"

#include "core/Numbers.h"

#include <utility>

namespace scrivlet {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0xA0;
}

// An open table or list, innermost last.
struct Frame {
  bool isTable = false;
  // Tables: the block being filled, and whether its last row and cell are
  // still open.
  Block table;
  bool rowOpen = false;
  bool cellOpen = false;
  // Lists: numbered or not, the open item, its number, and whether its
  // first block came.
  bool ordered = false;
  bool itemOpen = false;
  bool itemStarted = false;
  int32_t itemNumber = 0;
  uint32_t serial = 0; // tells the lists apart
};

class Builder {
public:
  void Add(const Block& block);
  std::vector<Block> Finish();

private:
  Frame* InnermostTable();
  Frame* InnermostList(); // above the innermost table
  std::vector<Block>& Container();
  size_t ListDepth() const;

  void StartTable(const Block& block);
  void EndTable();
  void StartRow();
  void EndRow();
  void StartCell(const Block& block);
  void EndCell();
  void StartList(const Block& block);
  void EndList();
  void StartItem(const Block& block);
  void EndItem();
  void AddContent(const Block& block, uint32_t lastItemList);
  void PopListsAboveTable();
  void PlaceTable(Frame frame);

  std::vector<Frame> FFrames;
  size_t FIgnoredTables = 0; // past the depth limit
  size_t FIgnoredLists = 0;
  uint32_t FListCount = 0;
  // The list whose item the last block added was (0: none), so that the
  // item's next paragraph joins it.
  uint32_t FLastItemList = 0;
  std::vector<Block> FOut;
};

Frame* Builder::InnermostTable() {
  for (auto frame = FFrames.rbegin(); frame != FFrames.rend(); ++frame)
    if (frame->isTable)
      return &*frame;
  return nullptr;
}

Frame* Builder::InnermostList() {
  return FFrames.empty() || FFrames.back().isTable ? nullptr : &FFrames.back();
}

size_t Builder::ListDepth() const {
  size_t depth = 0;
  for (auto frame = FFrames.rbegin(); frame != FFrames.rend() && !frame->isTable; ++frame)
    ++depth;
  return depth;
}

// Where a block goes: the innermost table's open cell (opened when the
// format put text between its cells), or the story.
std::vector<Block>& Builder::Container() {
  Frame* table = InnermostTable();
  if (table == nullptr)
    return FOut;
  if (!table->rowOpen)
    StartRow();
  if (!table->cellOpen) {
    table->table.rows.back().cells.emplace_back();
    table->cellOpen = true;
  }
  return table->table.rows.back().cells.back().blocks;
}

void Builder::StartTable(const Block& block) {
  if (FFrames.size() >= kMaxStructureDepth) {
    ++FIgnoredTables;
    return;
  }
  Frame& frame = FFrames.emplace_back();
  frame.isTable = true;
  frame.table.kind = BlockKind::Table;
  frame.table.style = block.style;
}

void Builder::PopListsAboveTable() {
  while (!FFrames.empty() && !FFrames.back().isTable)
    FFrames.pop_back();
}

void Builder::PlaceTable(Frame frame) {
  Container().push_back(std::move(frame.table));
}

void Builder::EndTable() {
  if (FIgnoredTables > 0) {
    --FIgnoredTables;
    return;
  }
  if (InnermostTable() == nullptr)
    return;
  PopListsAboveTable();
  Frame frame = std::move(FFrames.back());
  FFrames.pop_back();
  PlaceTable(std::move(frame));
}

void Builder::StartRow() {
  if (Frame* table = InnermostTable()) {
    table->table.rows.emplace_back();
    table->rowOpen = true;
    table->cellOpen = false;
  }
}

void Builder::EndRow() {
  if (Frame* table = InnermostTable()) {
    table->rowOpen = false;
    table->cellOpen = false;
  }
}

void Builder::StartCell(const Block& block) {
  Frame* table = InnermostTable();
  if (table == nullptr)
    return;
  PopListsAboveTable();
  if (!table->rowOpen)
    StartRow();
  TableCell& cell = table->table.rows.back().cells.emplace_back();
  cell.columnSpan = static_cast<uint16_t>(block.value > 1 && block.value < 1000 ? block.value : 1);
  cell.header = block.header;
  table->cellOpen = true;
}

void Builder::EndCell() {
  if (Frame* table = InnermostTable()) {
    PopListsAboveTable();
    table->cellOpen = false;
  }
}

void Builder::StartList(const Block& block) {
  if (FFrames.size() >= kMaxStructureDepth) {
    ++FIgnoredLists;
    return;
  }
  Frame& frame = FFrames.emplace_back();
  frame.ordered = block.ordered;
  frame.serial = ++FListCount;
}

void Builder::EndList() {
  if (FIgnoredLists > 0)
    --FIgnoredLists;
  else if (InnermostList() != nullptr)
    FFrames.pop_back();
}

void Builder::StartItem(const Block& block) {
  Frame* list = InnermostList();
  if (list == nullptr || FIgnoredLists > 0)
    return;
  list->itemOpen = true;
  list->itemStarted = false;
  list->itemNumber = block.value > 0 ? block.value : list->itemNumber + 1;
}

void Builder::EndItem() {
  if (Frame* list = InnermostList(); list != nullptr && FIgnoredLists == 0)
    list->itemOpen = false;
}

// A paragraph inside an open list item becomes the item; the item's
// further paragraphs join it while nothing came between.
void Builder::AddContent(const Block& block, uint32_t lastItemList) {
  if (IsBlank(block) && block.kind != BlockKind::Table && block.kind != BlockKind::PageBreak &&
      block.kind != BlockKind::SlideBreak)
    return;
  std::vector<Block>& container = Container();
  Frame* list = InnermostList();
  if (list == nullptr || !list->itemOpen || block.kind != BlockKind::Paragraph) {
    container.push_back(block);
    return;
  }
  FLastItemList = list->serial;
  if (lastItemList == list->serial && !container.empty()) {
    Block& item = container.back();
    Inline separator;
    separator.kind = InlineKind::LineBreak;
    item.content.push_back(separator);
    item.content.insert(item.content.end(), block.content.begin(), block.content.end());
    return;
  }
  Block item = block;
  item.kind = BlockKind::ListItem;
  item.level = static_cast<uint8_t>(ListDepth());
  item.ordered = list->ordered;
  if (!list->itemStarted) {
    item.value = list->itemNumber;
    if (list->ordered)
      item.marker = DecimalText(list->itemNumber) + u".";
    list->itemStarted = true;
  }
  container.push_back(std::move(item));
}

void Builder::Add(const Block& block) {
  const uint32_t lastItemList = std::exchange(FLastItemList, 0);
  if (block.kind == BlockKind::Paragraph && IsBlank(block)) {
    FLastItemList = lastItemList; // an empty paragraph parts nothing
    return;
  }
  switch (block.kind) {
  case BlockKind::TableStart: StartTable(block); break;
  case BlockKind::TableEnd: EndTable(); break;
  case BlockKind::RowStart: StartRow(); break;
  case BlockKind::RowEnd: EndRow(); break;
  case BlockKind::CellStart: StartCell(block); break;
  case BlockKind::CellEnd: EndCell(); break;
  case BlockKind::ListStart: StartList(block); break;
  case BlockKind::ListEnd: EndList(); break;
  case BlockKind::ListItemStart: StartItem(block); break;
  case BlockKind::ListItemEnd: EndItem(); break;
  case BlockKind::StyleRule:
  case BlockKind::DocumentEnd:
  case BlockKind::EmptyLine:
  case BlockKind::SectionEnd: break;
  default: AddContent(block, lastItemList); break;
  }
}

std::vector<Block> Builder::Finish() {
  while (!FFrames.empty()) {
    PopListsAboveTable();
    if (FFrames.empty())
      break;
    Frame frame = std::move(FFrames.back());
    FFrames.pop_back();
    PlaceTable(std::move(frame));
  }
  return std::move(FOut);
}

} // namespace

bool IsBlank(const Block& block) {
  for (const Inline& piece : block.content)
    if (piece.kind == InlineKind::Picture)
      return false;
  if (!block.rows.empty())
    return false;
  for (char16_t c : block.VisibleText())
    if (!IsSpace(c))
      return false;
  return true;
}

std::vector<Block> StructuredBlocks(const Story& story) {
  Builder builder;
  for (const Block& block : story.blocks)
    builder.Add(block);
  return builder.Finish();
}

} // namespace scrivlet
