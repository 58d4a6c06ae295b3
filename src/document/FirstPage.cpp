#include "document/FirstPage.h"

#include "document/BlockWalk.h"

#include <algorithm>
#include <set>

namespace scrivlet {
namespace {

bool HoldsText(const Block& block) {
  if (!block.rows.empty())
    return true;
  return std::any_of(block.content.begin(), block.content.end(), [](const Inline& piece) {
    return (piece.kind == InlineKind::Text || piece.kind == InlineKind::FieldResult) &&
           !piece.text.empty();
  });
}

// Where the first page ends: at the first page break after some text, or
// at the second slide.  blocks.size() when there is no boundary.
size_t FirstPageEnd(const std::vector<Block>& blocks) {
  bool text = false;
  bool inSlide = false;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const Block& block = blocks[i];
    if (block.kind == BlockKind::SlideBreak) {
      if (inSlide)
        return i;
      inSlide = true;
    } else if (block.kind == BlockKind::PageBreak) {
      if (text)
        return i;
    } else {
      text = text || HoldsText(block);
    }
  }
  return blocks.size();
}

std::set<std::u16string> ReferencedNotes(const std::vector<Block>& blocks) {
  std::set<std::u16string> ids;
  VisitBlocksInReadingOrder(blocks, [&ids](const Block& block) {
    for (const Inline& piece : block.content)
      if (piece.kind == InlineKind::NoteReference)
        ids.insert(piece.target);
  });
  return ids;
}

} // namespace

bool KeepFirstPage(Document& document) {
  if (document.stories.empty())
    return false;
  std::vector<Block>& blocks = document.Main().blocks;
  const size_t end = FirstPageEnd(blocks);
  if (end == blocks.size())
    return false;
  blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(end), blocks.end());
  // The notes the kept page refers to.
  const std::set<std::u16string> kept = ReferencedNotes(blocks);
  std::erase_if(document.notes, [&kept](const Note& note) { return !kept.contains(note.id); });
  return true;
}

} // namespace scrivlet
