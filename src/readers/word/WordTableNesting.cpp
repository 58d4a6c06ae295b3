#include "readers/word/WordTableNesting.h"

#include "document/StructuredBlocks.h"

#include <algorithm>

namespace scrivlet {
namespace {

void Boundary(BlockKind kind, std::vector<Block>& out) {
  out.emplace_back().kind = kind;
}

} // namespace

void WordTableNesting::OpenRowAndCell(Level& level, bool cell, std::vector<Block>& out) {
  if (!level.rowOpen) {
    Boundary(BlockKind::RowStart, out);
    level.rowOpen = true;
    level.cellOpen = false;
  }
  if (cell && !level.cellOpen) {
    Boundary(BlockKind::CellStart, out);
    level.cellOpen = true;
  }
}

void WordTableNesting::CloseInnermost(std::vector<Block>& out) {
  if (FLevels.back().rowOpen)
    Boundary(BlockKind::RowEnd, out);
  Boundary(BlockKind::TableEnd, out);
  FLevels.pop_back();
}

void WordTableNesting::EnterParagraph(int32_t depth, bool rowMark, std::vector<Block>& out) {
  const size_t wanted =
      static_cast<size_t>(std::clamp<int32_t>(depth, 0, static_cast<int32_t>(kMaxStructureDepth)));
  while (FLevels.size() > wanted)
    CloseInnermost(out);
  // The tables around a deeper one hold it in an open cell.
  for (Level& level : FLevels)
    if (&level != &FLevels.back() || FLevels.size() < wanted)
      OpenRowAndCell(level, true, out);
  while (FLevels.size() < wanted) {
    Boundary(BlockKind::TableStart, out);
    FLevels.emplace_back();
    if (FLevels.size() < wanted)
      OpenRowAndCell(FLevels.back(), true, out);
  }
  if (!FLevels.empty())
    OpenRowAndCell(FLevels.back(), !rowMark, out);
}

void WordTableNesting::EndCell() {
  if (!FLevels.empty())
    FLevels.back().cellOpen = false;
}

void WordTableNesting::EndRow(std::vector<Block>& out) {
  if (FLevels.empty() || !FLevels.back().rowOpen)
    return;
  Boundary(BlockKind::RowEnd, out);
  FLevels.back().rowOpen = false;
  FLevels.back().cellOpen = false;
}

void WordTableNesting::CloseAll(std::vector<Block>& out) {
  while (!FLevels.empty())
    CloseInnermost(out);
}

} // namespace scrivlet
