// PDF: one entry per page, the page's laid-out text as it stands (its
// lines joined by CR LF, in every output format: the lines of its headings,
// paragraphs and list items after its page break); a page without text
// gives an empty entry.  Prologue and epilogue are entries of their own.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {

namespace {

// A block's lines as they stand on the page, a list item with its marker.
void AppendLines(const Block& block, std::u16string& page) {
  if (!page.empty())
    page += u"\r\n";
  if (block.kind == BlockKind::ListItem && !block.marker.empty()) {
    page += block.marker;
    page += u' ';
  }
  for (const Inline& piece : block.content) {
    if (piece.kind == InlineKind::Text)
      page += piece.text;
    else if (piece.kind == InlineKind::LineBreak || piece.kind == InlineKind::SoftBreak)
      page += u"\r\n"; // one line per line of the page
  }
}

} // namespace

void WritePdfStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!context.document.textStarted)
    return;
  list.Add(context.prologue);
  // A page starts at its page break; a whole page may also come as one
  // preformatted block.
  // The first page has no page break before it unless it is empty.
  std::u16string page;
  bool open = !story.blocks.empty() && story.blocks.front().kind != BlockKind::PageBreak;
  for (const Block& block : story.blocks) {
    switch (block.kind) {
    case BlockKind::PageBreak:
      if (open)
        list.Add(std::move(page));
      page.clear();
      open = true;
      break;
    case BlockKind::Preformatted:
      if (open)
        list.Add(std::move(page));
      page.clear();
      open = false;
      list.Add(block.Text());
      break;
    case BlockKind::Heading:
    case BlockKind::Paragraph:
    case BlockKind::ListItem:
      AppendLines(block, page);
      open = true;
      break;
    default: break;
    }
  }
  if (open)
    list.Add(std::move(page));
  if (main)
    AddNotes(context, list);
  if (context.document.complete)
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
