// The blocks of a sequence in reading order, the blocks of a table's cells
// (row by row, cell by cell) right after the table itself.  Tables nest as
// deep as a file makes them: the walk keeps an explicit stack.
#pragma once

#include "document/Document.h"

#include <vector>

namespace scrivlet {

template <class Visit>
void VisitBlocksInReadingOrder(const std::vector<Block>& blocks, Visit visit) {
  std::vector<const Block*> pending;
  for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
    pending.push_back(&*block);
  while (!pending.empty()) {
    const Block* block = pending.back();
    pending.pop_back();
    for (auto row = block->rows.rbegin(); row != block->rows.rend(); ++row)
      for (auto cell = row->cells.rbegin(); cell != row->cells.rend(); ++cell)
        for (auto inner = cell->blocks.rbegin(); inner != cell->blocks.rend(); ++inner)
          pending.push_back(&*inner);
    visit(*block);
  }
}

} // namespace scrivlet
