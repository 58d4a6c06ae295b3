// Windows Write: the whole document is one entry, prologue, text and
// epilogue together, and only when the text was read.  Each paragraph is
// framed by "\par " ... CR LF in RTF and "<p>" ... "</p>" in HTML; each run
// of its text is opened and closed by the mark-up of its font, size and
// marks.  The CR of a paragraph mark stays inside its run; in plain text it
// ends the line with CR LF.  A page break is the form feed it was, a line
// feed at the start of its run; page-break blocks show nothing.  A line
// break stands between runs.
#include "writers/conventions/Convention.h"

#include <utility>

namespace scrivlet::conventions {
namespace {

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string Number(int32_t value) {
  return Ascii(std::to_string(value));
}

void OpenRun(OutputFormat format, const CharacterStyle& style, Marks marks, std::u16string& out) {
  if (format == OutputFormat::Rtf) {
    out += u"\\pard\\f" + Number(style.fontNumber) + u"\\fs" + Number(style.halfPoints) + u" ";
    if (style.halfPoints > 0)
      out += u"\\fs" + Number(style.halfPoints) + u" ";
    out += marks & kBold ? u"\\b " : u"";
    out += marks & kItalic ? u"\\i " : u"";
    out += marks & kUnderline ? u"\\ul " : u"";
  } else if (format == OutputFormat::Html) {
    out += u"<font face=\"" + EscapeText(format, style.fontName) + u"\"";
    if (style.halfPoints > 0)
      out += u" size=\"" + Ascii(HtmlFontSize(style.halfPoints / 2)) + u"\"";
    out += u">";
    out += marks & kBold ? u"<b>" : u"";
    out += marks & kItalic ? u"<i>" : u"";
    out += marks & kUnderline ? u"<u>" : u"";
    out += marks & kSubscript ? u"<sub>" : marks & kSuperscript ? u"<sup>" : u"";
  }
}

void CloseRun(OutputFormat format, Marks marks, std::u16string& out) {
  if (format == OutputFormat::Rtf) {
    out += marks & kBold ? u"\\b0 " : u"";
    out += marks & kItalic ? u"\\i0 " : u"";
    out += marks & kUnderline ? u"\\ul0 " : u"";
  } else if (format == OutputFormat::Html) {
    out += marks & kBold ? u"</b>" : u"";
    out += marks & kItalic ? u"</i>" : u"";
    out += marks & kUnderline ? u"</u>" : u"";
    out += marks & kSubscript ? u"</sub>" : marks & kSuperscript ? u"</sup>" : u"";
    out += u"</font>";
  }
}

std::u16string_view ParagraphMark(OutputFormat format) {
  return format == OutputFormat::PlainText ? u"\r\n" : u"\r";
}

// A run: its text piece, and the paragraph mark when the piece after it
// is one.
void WriteParagraph(const Context& context, const Block& block, std::u16string& out) {
  const OutputFormat format = context.Format();
  out += format == OutputFormat::Rtf ? u"\\par " : format == OutputFormat::Html ? u"<p>" : u"";
  const std::vector<Inline>& pieces = block.content;
  bool formFeed = false; // a page break before the next run's text
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Inline& piece = pieces[i];
    if (piece.kind == InlineKind::ParagraphEnd) {
      out += ParagraphMark(format); // a mark outside any run
      continue;
    }
    if (piece.kind == InlineKind::PageBreak)
      formFeed = true;
    if (piece.kind == InlineKind::LineBreak)
      out += LineBreak(format);
    if (piece.kind != InlineKind::Text)
      continue;
    OpenRun(format, context.document.characterStyles.at(piece.style), piece.marks, out);
    if (std::exchange(formFeed, false))
      out += EscapeText(format, u"\n" + piece.text);
    else
      out += EscapeText(format, piece.text);
    if (i + 1 < pieces.size() && pieces[i + 1].kind == InlineKind::ParagraphEnd) {
      out += ParagraphMark(format);
      ++i;
    }
    CloseRun(format, piece.marks, out);
  }
  out += format == OutputFormat::Rtf ? u"\r\n" : format == OutputFormat::Html ? u"</p>" : u"";
}

} // namespace

void WriteWriteStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!context.document.textRead)
    return;
  std::u16string out = context.prologue;
  for (const Block& block : story.blocks)
    if (block.kind != BlockKind::PageBreak)
      WriteParagraph(context, block, out);
  if (main)
    AppendNotes(context, out);
  out += context.epilogue;
  list.Add(std::move(out));
}

} // namespace scrivlet::conventions
