// PDF: one entry per page, the page's laid-out text as it stands (its
// lines joined by CR LF, in every output format); a page without text gives
// an empty entry.  Prologue and epilogue are entries of their own.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {

void WritePdfStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!context.document.textStarted)
    return;
  list.Add(context.prologue);
  for (const Block& block : story.blocks)
    if (block.kind == BlockKind::Preformatted)
      list.Add(block.Text());
  if (main)
    AddNotes(context, list);
  if (context.document.complete)
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
