// PDF: one entry per page, the page's laid-out text as it stands: one
// line per line of the page (the lines of its headings, paragraphs and list
// items after its page break); a page without text gives an empty entry.
// Prologue and epilogue are entries of their own.  The text is escaped as
// the format needs; in HTML each block is a paragraph with a line break
// after each of its lines but the last, in RTF each block ends with \par
// and each line inside it with \line.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {

namespace {

std::u16string_view LineEnd(OutputFormat format) {
  switch (format) {
  case OutputFormat::Html: return u"<br>\r\n";
  case OutputFormat::Rtf: return u"\\line\r\n";
  default: return u"\r\n";
  }
}

std::u16string_view BlockStart(OutputFormat format) {
  return format == OutputFormat::Html ? u"<p>" : u"";
}

std::u16string_view BlockEnd(OutputFormat format) {
  switch (format) {
  case OutputFormat::Html: return u"</p>";
  case OutputFormat::Rtf: return u"\\par";
  default: return u"";
  }
}

// A block's lines as they stand on the page, a list item with its marker.
void AppendLines(OutputFormat format, const Block& block, std::u16string& page) {
  if (!page.empty())
    page += u"\r\n";
  page += BlockStart(format);
  if (block.kind == BlockKind::ListItem && !block.marker.empty()) {
    page += EscapeText(format, block.marker);
    page += u' ';
  }
  for (const Inline& piece : block.content) {
    if (piece.kind == InlineKind::Text)
      page += EscapeText(format, piece.text);
    else if (piece.kind == InlineKind::LineBreak || piece.kind == InlineKind::SoftBreak)
      page += LineEnd(format); // one line per line of the page
  }
  page += BlockEnd(format);
}

// A page that came as one preformatted block: its lines as they stand.
std::u16string PreformattedPage(OutputFormat format, const std::u16string& text) {
  if (format == OutputFormat::PlainText)
    return text;
  std::u16string page(BlockStart(format));
  size_t start = 0;
  while (true) {
    size_t end = text.find(u"\r\n", start);
    page += EscapeText(format, std::u16string_view(text).substr(start, end - start));
    if (end == std::u16string::npos)
      break;
    page += LineEnd(format);
    start = end + 2;
  }
  return page + std::u16string(BlockEnd(format));
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
      list.Add(PreformattedPage(context.Format(), block.Text()));
      break;
    case BlockKind::Heading:
    case BlockKind::Paragraph:
    case BlockKind::ListItem:
      AppendLines(context.Format(), block, page);
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
