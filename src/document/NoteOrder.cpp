#include "document/NoteOrder.h"

#include <unordered_map>

namespace scrivlet {

std::vector<const Note*> NotesInReferenceOrder(const Document& document) {
  std::vector<const Note*> order;
  if (document.notes.empty() || document.stories.empty())
    return order;
  std::unordered_map<std::u16string, size_t> byId;
  for (size_t i = 0; i < document.notes.size(); ++i)
    byId.emplace(document.notes[i].id, i);
  std::vector<bool> placed(document.notes.size(), false);
  // The blocks of the main story and of its tables' cells, in reading
  // order, with an explicit stack: tables nest as deep as a file makes them.
  std::vector<const Block*> pending;
  const std::vector<Block>& blocks = document.Main().blocks;
  for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
    pending.push_back(&*block);
  while (!pending.empty()) {
    const Block* block = pending.back();
    pending.pop_back();
    for (auto row = block->rows.rbegin(); row != block->rows.rend(); ++row)
      for (auto cell = row->cells.rbegin(); cell != row->cells.rend(); ++cell)
        for (auto inner = cell->blocks.rbegin(); inner != cell->blocks.rend(); ++inner)
          pending.push_back(&*inner);
    for (const Inline& piece : block->content) {
      if (piece.kind != InlineKind::NoteReference)
        continue;
      auto found = byId.find(piece.target);
      if (found != byId.end() && !placed[found->second]) {
        placed[found->second] = true;
        order.push_back(&document.notes[found->second]);
      }
    }
  }
  for (size_t i = 0; i < document.notes.size(); ++i)
    if (!placed[i])
      order.push_back(&document.notes[i]);
  return order;
}

std::u16string NoteText(const Note& note) {
  std::u16string text;
  for (const Block& block : note.blocks) {
    std::u16string line = block.VisibleText();
    if (line.empty())
      continue;
    if (!text.empty())
      text += u'\n';
    text += line;
  }
  return text;
}

} // namespace scrivlet
