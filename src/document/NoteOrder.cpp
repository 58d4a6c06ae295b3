#include "document/NoteOrder.h"

#include "document/BlockWalk.h"

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
  VisitBlocksInReadingOrder(document.Main().blocks, [&](const Block& block) {
    for (const Inline& piece : block.content) {
      if (piece.kind != InlineKind::NoteReference)
        continue;
      auto found = byId.find(piece.target);
      if (found != byId.end() && !placed[found->second]) {
        placed[found->second] = true;
        order.push_back(&document.notes[found->second]);
      }
    }
  });
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
