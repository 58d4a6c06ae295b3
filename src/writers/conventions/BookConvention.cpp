// FictionBook and EPUB: one entry per paragraph or heading, its text
// escaped, framed by "<p>" (or an XHTML heading's "<hN>") in HTML and ended
// by "\par " in RTF; an empty line the book asks for, and an empty entry at
// the end of each section.  Prologue and epilogue are entries of their own.
// A FictionBook title is a heading whose lines are entries of their own,
// framed by "<p>" as the book's other lines.  The boundaries of tables and
// lists give no entry, and neither does the text a list item holds beside
// its nested blocks.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {
namespace {

std::u16string TagOf(const Context& context, const Block& block) {
  if (context.document.markup == MarkupConvention::Epub && block.kind == BlockKind::Heading &&
      block.level >= 1 && block.level <= 6)
    return u"h" + std::u16string(1, static_cast<char16_t>(u'0' + block.level));
  return u"p";
}

std::u16string ParagraphEntry(const Context& context, const Block& block) {
  const OutputFormat format = context.Format();
  std::u16string text = EscapeText(format, block.Text());
  if (format == OutputFormat::Rtf)
    return text + u"\\par ";
  if (format == OutputFormat::Html) {
    std::u16string tag = TagOf(context, block);
    return u"<" + tag + u">" + text + u"</" + tag + u">";
  }
  return text;
}

// Preformatted text keeps its lines: CR LF between them (in RTF a \line),
// inside a "pre" element in HTML.
std::u16string PreformattedEntry(OutputFormat format, const Block& block) {
  std::u16string text;
  for (const Inline& piece : block.content) {
    if (piece.kind == InlineKind::LineBreak)
      text += format == OutputFormat::Rtf ? u"\\line\r\n" : u"\r\n";
    else if (piece.kind == InlineKind::Text)
      text += EscapeText(format, piece.text);
  }
  if (format == OutputFormat::Rtf)
    return text + u"\\par ";
  if (format == OutputFormat::Html)
    return u"<pre>" + text + u"</pre>";
  return text;
}

// A FictionBook heading: an entry per line of its title.
void AddTitleEntries(const Context& context, const Block& heading, LineList& list) {
  Block line;
  line.kind = BlockKind::Paragraph;
  for (const Inline& piece : heading.content) {
    if (piece.kind != InlineKind::LineBreak) {
      line.content.push_back(piece);
      continue;
    }
    list.Add(ParagraphEntry(context, line));
    line.content.clear();
  }
  list.Add(ParagraphEntry(context, line));
}

std::u16string EmptyLineEntry(OutputFormat format) {
  return format == OutputFormat::Rtf    ? u"\r\n\\line "
         : format == OutputFormat::Html ? u"<br>\r\n"
                                        : u"\r\n";
}

} // namespace

void WriteBookStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!context.document.textStarted)
    return;
  list.Add(context.prologue);
  for (const Block& block : story.blocks) {
    switch (block.kind) {
    case BlockKind::EmptyLine: list.Add(EmptyLineEntry(context.Format())); break;
    case BlockKind::SectionEnd: list.Add(std::u16string()); break;
    case BlockKind::Heading:
      if (context.document.markup == MarkupConvention::FictionBook)
        AddTitleEntries(context, block, list);
      else
        list.Add(ParagraphEntry(context, block));
      break;
    case BlockKind::Paragraph:
    case BlockKind::Quote: list.Add(ParagraphEntry(context, block)); break;
    case BlockKind::Preformatted: list.Add(PreformattedEntry(context.Format(), block)); break;
    default: break; // table and list boundaries, a list item's own text
    }
  }
  if (main)
    AddNotes(context, list);
  if (context.document.complete)
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
