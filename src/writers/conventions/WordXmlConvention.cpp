// Word 2007+ (.docx): every package part read (the document, the endnotes,
// the footnotes, each header and footer part) is a story, framed by the
// prologue and epilogue where the format has them (RTF and HTML; plain text
// has neither); the main story only when the document part was read.
//
// One entry per paragraph (heading and list item alike): its text escaped,
// tabs and line breaks in the format's mark-up, a note reference as
// "[label]", a tracked deletion or insertion opened by "-" or "+" (in HTML
// held in <s> or <u>); page breaks are line breaks of their paragraphs.  In HTML a paragraph is
// framed by "<p>", and a paragraph style whose name says Bold or Italic wraps its text in
// "<font><b><i>".  In HTML a table gives entries of its own where the table,
// each row and each cell start and end, its paragraphs between them; where
// the part ended inside the table, the entries that close it are missing.
#include "writers/conventions/Convention.h"

#include <string_view>
#include <vector>

namespace scrivlet::conventions {
namespace {

// How a Table block ended (Block::ending), as the Word 2007+ reader records
// it: the part ended inside the table, its last row or its last cell.
enum TableEnding : uint8_t { kTableClosed = 0, kTableOpen = 1, kRowOpen = 2, kCellOpen = 3 };

// "<font><b><i>" for a style whose name says Bold and Italic; "" for
// others.  The closing form closes in the same order.
std::u16string StyleMarkup(std::u16string_view style, bool closing) {
  std::u16string markup;
  if (style.find(u"Bold") != std::u16string_view::npos)
    markup += closing ? u"</b>" : u"<b>";
  if (style.find(u"Italic") != std::u16string_view::npos)
    markup += closing ? u"</i>" : u"<i>";
  if (!markup.empty())
    markup = closing ? markup + u"</font>" : u"<font>" + markup;
  return markup;
}

// Tracked changes read as accepted, in every format: deleted text is left
// out, inserted text is text like the rest.
void AppendPiece(OutputFormat format, const Inline& piece, std::u16string& entry) {
  if ((piece.marks & kDeleted) != 0)
    return;
  switch (piece.kind) {
  case InlineKind::Text: entry += EscapeText(format, piece.text); break;
  case InlineKind::Tab:
    entry += format == OutputFormat::Rtf    ? u"\\tab "
             : format == OutputFormat::Html ? u"&#9;"
                                            : u"\t";
    break;
  case InlineKind::LineBreak: entry += LineBreak(format, BreakStyle::Xhtml); break;
  case InlineKind::NoteReference: entry += EscapeText(format, u"[" + piece.text + u"]"); break;
  default: break;
  }
}

std::u16string ParagraphEntry(OutputFormat format, const Block& block) {
  const bool html = format == OutputFormat::Html;
  std::u16string entry;
  if (html)
    entry = u"<p>" + StyleMarkup(block.style, false);
  for (const Inline& piece : block.content)
    AppendPiece(format, piece, entry);
  if (html)
    entry += StyleMarkup(block.style, true) + u"</p>";
  else if (format == OutputFormat::Rtf)
    entry += u"\\par"; // every paragraph ends as RTF ends one
  return entry;
}

// What is left to write: a block, or an entry of a table's HTML frame.
struct Step {
  const Block* block = nullptr;
  std::u16string_view entry;
};

// Pushes the steps of blocks, the first block on top.
void PushBlocks(const std::vector<Block>& blocks, std::vector<Step>& steps) {
  for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
    steps.push_back({.block = &*block, .entry = {}});
}

// Pushes a table's steps (its frame only in HTML), the first on top.
void PushTable(const Block& table, bool html, std::vector<Step>& steps) {
  auto frame = [&](std::u16string_view entry) {
    if (html)
      steps.push_back({.block = nullptr, .entry = entry});
  };
  if (table.ending == kTableClosed)
    frame(u"</table>");
  for (size_t r = table.rows.size(); r-- > 0;) {
    const TableRow& row = table.rows[r];
    const bool lastRow = r + 1 == table.rows.size();
    if (!(lastRow && table.ending >= kRowOpen))
      frame(u"  </tr>");
    for (size_t c = row.cells.size(); c-- > 0;) {
      const bool lastCell = lastRow && c + 1 == row.cells.size();
      if (!(lastCell && table.ending == kCellOpen))
        frame(u"    </td>");
      PushBlocks(row.cells[c].blocks, steps);
      frame(u"    <td>");
    }
    frame(u"  <tr>");
  }
  frame(u"<table border=\"1\">");
}

} // namespace

void WriteWordXmlStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (main && !context.document.textRead)
    return;
  const OutputFormat format = context.Format();
  if (!context.prologue.empty())
    list.Add(context.prologue);
  // Tables nest as deep as a file makes them: an explicit stack.
  std::vector<Step> steps;
  PushBlocks(story.blocks, steps);
  while (!steps.empty()) {
    const Step step = steps.back();
    steps.pop_back();
    if (step.block == nullptr)
      list.Add(std::u16string(step.entry));
    else if (step.block->kind == BlockKind::Table)
      PushTable(*step.block, format == OutputFormat::Html, steps);
    else if (step.block->kind == BlockKind::PageBreak)
      continue; // the structure's; the text shows the break as a line break
    else
      list.Add(ParagraphEntry(format, *step.block));
  }
  if (main)
    AddNotes(context, list);
  if (!context.epilogue.empty())
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
