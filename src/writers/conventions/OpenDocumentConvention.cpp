// OpenDocument text and presentation: one entry per paragraph or heading,
// its text escaped (line breaks as "\r\n\par " in RTF, "<br/>" in HTML, a
// note's reference as "[label]"), ended by "\par " in RTF and framed by
// "<p>" (with the paragraph's style as its class) in HTML; one entry per
// picture, its source as it stands.  A table cell or row, and a slide, ends
// with an entry of its own (empty in plain text and RTF); the document
// gives a slide's break before the slide, so that entry comes at the next
// break and at the document's end.  HTML frames tables and lists with
// entries of their own, and writes the style sheet as a CSS block before
// the text.  The notes follow the text.  The prologue comes only when the
// text was read, the epilogue only when the whole document was.
#include "writers/conventions/Convention.h"

#include <cstdio>
#include <string>
#include <utility>

namespace scrivlet::conventions {
namespace {

// "#rrggbb" in lower case, of a colour with red in the low byte.
std::string ColorToHtml(int32_t color) {
  const auto rgb = static_cast<uint32_t>(color);
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%.2x%.2x%.2x", rgb & 0xFF, rgb >> 8 & 0xFF,
                rgb >> 16 & 0xFF);
  return buffer;
}

std::string AlignmentToCss(int32_t alignment) {
  return alignment == 1 ? "right" : alignment == 2 ? "center" : "left";
}

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// The declarations of a style of text's properties, each on a line of its
// own but for the colour, which follows the size.
std::u16string TextDeclarations(const Block& rule) {
  std::u16string css;
  Marks marks = 0;
  for (const Inline& property : rule.content) {
    switch (property.kind) {
    case InlineKind::TextFont:
      css += u"\r\nfont-size: " + Ascii(std::to_string(property.value)) + u"pt;";
      marks = property.marks;
      break;
    case InlineKind::TextColor:
      css += u"color: " + Ascii(ColorToHtml(property.value)) + u";";
      break;
    case InlineKind::Background:
      css += u"\r\nbackground: " + Ascii(ColorToHtml(property.value)) + u";";
      break;
    case InlineKind::Alignment:
      css += u"\r\ntext-align: " + Ascii(AlignmentToCss(property.value)) + u";";
      break;
    default: break;
    }
  }
  if (marks & kBold)
    css += u"\r\nfont-weight: bold;";
  if (marks & kItalic)
    css += u"\r\nfont-style: italic;";
  if (marks & kUnderline)
    css += u"\r\ntext-decoration: underline;";
  return css;
}

// One rule: the style's name as its class, its family as the font family.
std::u16string CssRule(const Block& rule) {
  std::u16string family;
  for (const Inline& property : rule.content)
    if (property.kind == InlineKind::StyleFamily)
      family = property.text;
  return u"." + rule.style + u" { font-family: " + family + u";" + TextDeclarations(rule) + u"}";
}

void WriteStyleSheet(const Story& sheet, LineList& list) {
  list.Add(u"<style type=\"text/css\">");
  for (const Block& rule : sheet.blocks)
    if (rule.kind == BlockKind::StyleRule)
      list.Add(CssRule(rule));
  list.Add(u"</style>");
}

std::u16string ParagraphEntry(OutputFormat format, const Block& block) {
  std::u16string text;
  for (const Inline& piece : block.content) {
    if (piece.kind == InlineKind::Text)
      text += EscapeText(format, piece.text);
    else if (piece.kind == InlineKind::LineBreak)
      text += LineBreak(format, BreakStyle::Xhtml);
    else if (piece.kind == InlineKind::NoteReference)
      text += EscapeText(format, u"[" + piece.text + u"]"); // the note follows the text
  }
  if (format == OutputFormat::Rtf)
    return text + u"\\par ";
  if (format == OutputFormat::Html)
    return (block.style.empty() ? u"<p>" : u"<p class=\"" + block.style + u"\">") + text + u"</p>";
  return text;
}

std::u16string PictureEntry(OutputFormat format, const Block& block) {
  std::u16string source;
  for (const Inline& piece : block.content)
    if (piece.kind == InlineKind::Picture)
      source += piece.target;
  if (format == OutputFormat::Rtf)
    return source + u"\\par ";
  if (format == OutputFormat::Html)
    return u"<img src=\"" + source + u"\"<br>";
  return source;
}

// The HTML entry that frames a part of a table or list; nullptr for the
// blocks that are no such frame.
const char16_t* HtmlFrame(BlockKind kind) {
  switch (kind) {
  case BlockKind::RowStart: return u"  <tr>";
  case BlockKind::CellStart: return u"    <td>";
  case BlockKind::CellEnd: return u"    </td>";
  case BlockKind::RowEnd: return u"  </tr>";
  case BlockKind::TableEnd: return u"</table>";
  case BlockKind::ListStart: return u"<ul>";
  case BlockKind::ListItemStart: return u"  <li>";
  case BlockKind::ListItemEnd: return u"  </li>";
  case BlockKind::ListEnd: return u"</ul>";
  default: return nullptr;
  }
}

void WriteBlock(OutputFormat format, const Block& block, LineList& list) {
  const bool html = format == OutputFormat::Html;
  switch (block.kind) {
  case BlockKind::Paragraph:
  case BlockKind::Heading: list.Add(ParagraphEntry(format, block)); return;
  case BlockKind::Picture: list.Add(PictureEntry(format, block)); return;
  case BlockKind::TableStart:
    if (html)
      list.Add(block.style.empty() ? u"<table border=\"1\">"
                                   : u"<table border=\"1\" class=\"" + block.style + u"\">");
    return;
  case BlockKind::CellEnd:
  case BlockKind::RowEnd: list.Add(html ? HtmlFrame(block.kind) : u""); return;
  default:
    if (const char16_t* frame = HtmlFrame(block.kind); html && frame != nullptr)
      list.Add(frame);
    return;
  }
}

} // namespace

void WriteOpenDocumentStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!main || !context.document.textRead)
    return;
  list.Add(context.prologue);
  if (context.Format() == OutputFormat::Html)
    if (const Story* sheet = context.document.Find(StoryKind::StyleSheet))
      WriteStyleSheet(*sheet, list);
  bool ended = false, slideOpen = false;
  for (const Block& block : story.blocks) {
    if (block.kind == BlockKind::SlideBreak && std::exchange(slideOpen, true))
      list.Add(std::u16string()); // the slide before ends
    WriteBlock(context.Format(), block, list);
    ended = ended || block.kind == BlockKind::DocumentEnd;
  }
  if (slideOpen && ended)
    list.Add(std::u16string());
  if (main)
    AddNotes(context, list);
  if (ended)
    list.Add(context.epilogue);
}

} // namespace scrivlet::conventions
