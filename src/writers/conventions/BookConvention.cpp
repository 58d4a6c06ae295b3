// FictionBook and EPUB: one entry per paragraph or heading, its text
// escaped, framed by "<p>" (or the heading's "<hN>") in HTML and ended by
// "\par " in RTF; an empty line the book asks for, and an empty entry at the
// end of each section.  Prologue and epilogue are entries of their own.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {
namespace {

std::u16string TagOf(const Block& block) {
  if (block.kind == BlockKind::Heading && block.level >= 1 && block.level <= 6)
    return u"h" + std::u16string(1, static_cast<char16_t>(u'0' + block.level));
  return u"p";
}

std::u16string ParagraphEntry(OutputFormat format, const Block& block) {
  std::u16string text = EscapeText(format, block.Text());
  if (format == OutputFormat::Rtf)
    return text + u"\\par ";
  if (format == OutputFormat::Html) {
    std::u16string tag = TagOf(block);
    return u"<" + tag + u">" + text + u"</" + tag + u">";
  }
  return text;
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
    default: list.Add(ParagraphEntry(context.Format(), block)); break;
    }
  }
  if (main)
    AddNotes(context, list);
  if (context.document.complete)
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
