// WordPerfect: the whole document is one entry, prologue, text and epilogue
// together, and only when the text was read.  The mark-up stands where the
// document's codes stood and is never balanced: a paragraph end is
// "\r\n\par " in RTF and "<p></p>\r\n" in HTML; an alignment opens an HTML
// tag that the next alignment closes, a font change a "<font size>" that the
// next font change closes; attributes give their tags on and off as the
// codes come.  A note's reference shows its label in brackets; the notes
// follow the text.
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {
namespace {

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// What the writer carries from piece to piece: the HTML alignment tag in
// force, and whether a "<font>" is open.
struct State {
  std::u16string alignment;
  bool fontOpen = false;
};

// By the format: plain text, RTF, HTML.
std::u16string_view Pick(OutputFormat format, std::u16string_view plain, std::u16string_view rtf,
                         std::u16string_view html) {
  return format == OutputFormat::Rtf ? rtf : format == OutputFormat::Html ? html : plain;
}

// A line break; value names the paragraph or style code after which the
// reader broke the line (RTF shows no break there), 0 for the document's own.
std::u16string_view LineBreakText(OutputFormat format, int32_t value) {
  return Pick(format, u"\r\n", value == 0 ? u"\r\n\\line " : u"\r\n", u"<br>\r\n");
}

void Alignment(OutputFormat format, int32_t justification, State& state, std::u16string& out) {
  static constexpr const char16_t* kRtf[] = {u"\\pard\\ql ", u"\\pard\\qj ", u"\\pard\\qc ",
                                             u"\\pard\\qr "};
  static constexpr const char16_t* kHtml[] = {u"left", u"center", u"center", u"right"};
  if (!state.alignment.empty()) {
    if (format == OutputFormat::Html)
      out += u"</" + state.alignment + u">";
    state.alignment.clear();
  }
  if (justification >= 0 && justification <= 3) {
    if (format == OutputFormat::Rtf)
      out += kRtf[justification];
    else if (format == OutputFormat::Html)
      state.alignment = kHtml[justification];
  }
  if (format == OutputFormat::Html && !state.alignment.empty())
    out += u"<" + state.alignment + u">";
}

void FontChange(OutputFormat format, const CharacterStyle& style, State& state,
                std::u16string& out) {
  if (state.fontOpen && format == OutputFormat::Html)
    out += u"</font>";
  state.fontOpen = true;
  if (format == OutputFormat::Rtf)
    out += u"\\pard\\f" + Ascii(std::to_string(style.fontNumber)) + u"\\fs" +
           Ascii(std::to_string(style.halfPoints)) + u" ";
  else if (format == OutputFormat::Html)
    out += u"<font size=\"" + Ascii(HtmlFontSize(style.halfPoints / 2)) + u"\">";
}

// A centred or flush-right tab is an alignment in RTF; in HTML it names the
// tag the next alignment closes, and shows nothing itself.
void Tab(OutputFormat format, int32_t subfunction, State& state, std::u16string& out) {
  const int32_t kind = subfunction & 0xF8;
  if (kind == 0x40 || kind == 0x80) {
    if (format == OutputFormat::Html)
      state.alignment = kind == 0x40 ? u"center" : u"right";
    out += Pick(format, u"\t", kind == 0x40 ? u"\\pard\\qc " : u"\\pard\\qr ", u"");
    return;
  }
  out += Pick(format, u"\t", u"\\pard\\tab ", u"\t");
}

std::u16string_view MarkTag(OutputFormat format, Marks mark, bool on) {
  if (format == OutputFormat::Rtf) {
    switch (mark) {
    case kItalic: return on ? u"\\i " : u"\\i0 ";
    case kBold: return on ? u"\\b " : u"\\b0 ";
    case kStrike: return on ? u"\\strike " : u"\\strike0 ";
    case kUnderline: return on ? u"\\ul " : u"\\ul0 ";
    default: return u"";
    }
  }
  if (format == OutputFormat::Html) {
    switch (mark) {
    case kSuperscript: return on ? u"<sup>" : u"</sup>";
    case kSubscript: return on ? u"<sub>" : u"</sub>";
    case kItalic: return on ? u"<i>" : u"</i>";
    case kBold: return on ? u"<b>" : u"</b>";
    case kStrike: return on ? u"<s>" : u"</s>";
    case kUnderline: return on ? u"<u>" : u"</u>";
    default: return u"";
    }
  }
  return u"";
}

void WritePiece(const Context& context, const Inline& piece, State& state, std::u16string& out) {
  const OutputFormat format = context.Format();
  switch (piece.kind) {
  case InlineKind::Text: out += EscapeText(format, piece.text); break;
  case InlineKind::LineBreak: out += LineBreakText(format, piece.value); break;
  case InlineKind::PageBreak: out += Pick(format, u"\r\n", u"\r\n\\page ", u"<br>\r\n"); break;
  case InlineKind::Tab: Tab(format, piece.value, state, out); break;
  case InlineKind::Alignment: Alignment(format, piece.value, state, out); break;
  case InlineKind::FontChange:
    FontChange(format, context.document.characterStyles.at(piece.style), state, out);
    break;
  case InlineKind::Indent:
    if (format == OutputFormat::Rtf)
      out += (piece.style == 0 ? u"\\pard\\fi" : u"\\pard\\ri") +
             Ascii(std::to_string(piece.value / 1200)) + u" ";
    break;
  case InlineKind::NoteReference: out += EscapeText(format, u"[" + piece.text + u"]"); break;
  case InlineKind::MarkOn:
  case InlineKind::MarkOff:
    out += MarkTag(format, piece.marks, piece.kind == InlineKind::MarkOn);
    break;
  default: break;
  }
}

} // namespace

void WriteWordPerfectStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (!context.document.textRead)
    return;
  const OutputFormat format = context.Format();
  std::u16string out = context.prologue;
  State state;
  size_t lineEnd = out.size(); // where the last paragraph ended
  for (const Block& block : story.blocks) {
    for (const Inline& piece : block.content)
      WritePiece(context, piece, state, out);
    // A table cell ends its text as a paragraph does, so that the cells
    // of a row never run into one another.
    const bool cellEnds = block.kind == BlockKind::CellEnd && out.size() > lineEnd;
    if (block.ending != 0 || cellEnds) {
      out += Pick(format, u"\r\n", u"\r\n\\par ", u"<p></p>\r\n");
      lineEnd = out.size();
    }
  }
  if (main)
    AppendNotes(context, out);
  out += context.epilogue;
  list.Add(std::move(out));
}

} // namespace scrivlet::conventions
