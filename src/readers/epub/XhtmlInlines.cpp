#include "readers/epub/XhtmlInlines.h"

#include "readers/epub/MathMlText.h"

#include <iterator>
#include <set>

namespace scrivlet {
namespace {

Marks MarksOf(const std::string& name) {
  static const std::set<std::string, std::less<>> kItalic = {"em", "i", "cite", "dfn", "var"};
  if (kItalic.count(name))
    return scrivlet::kItalic;
  if (name == "strong" || name == "b")
    return kBold;
  if (name == "u" || name == "ins")
    return kUnderline;
  if (name == "s" || name == "strike" || name == "del")
    return kStrike;
  if (name == "sup")
    return kSuperscript;
  if (name == "sub")
    return kSubscript;
  if (name == "code" || name == "kbd" || name == "samp" || name == "tt")
    return kCode;
  return 0;
}

// A line end right after the start tag of preformatted text is none of
// its text (as HTML reads it), nor is the one before its end tag.
void TrimPreformattedEnds(std::vector<Inline>& pieces) {
  if (!pieces.empty() && pieces.front().kind == InlineKind::LineBreak)
    pieces.erase(pieces.begin());
  if (!pieces.empty() && pieces.back().kind == InlineKind::LineBreak)
    pieces.pop_back();
}

} // namespace

std::u16string XhtmlInlines::AttributeValue(XmlNode& item, std::string_view name) {
  return AttributeValueOf(item, name);
}

bool XhtmlInlines::HasType(XmlNode& item, std::u16string_view word) {
  if (item.AttributeText.find("type") == std::string::npos && item.Items.Count() == 0)
    return false;
  std::u16string types = AttributeValue(item, "type");
  size_t at = 0;
  while (at < types.size()) {
    size_t end = types.find(u' ', at);
    if (end == std::u16string::npos)
      end = types.size();
    if (std::u16string_view(types).substr(at, end - at) == word)
      return true;
    at = end + 1;
  }
  return false;
}

bool XhtmlInlines::IsNestedBlock(const std::string& name) {
  static const std::set<std::string, std::less<>> kBlocks = {
      "p",  "h1", "h2", "h3",    "h4",         "h5",      "h6",         "div",
      "li", "dt", "dd", "td",    "th",         "pre",     "blockquote", "caption",
      "ul", "ol", "dl", "table", "figcaption", "address", "center"};
  return kBlocks.count(name) != 0;
}

bool XhtmlInlines::IsLeftOut(XmlNode& element) {
  const std::string& name = element.Name;
  // An "epub:switch" shows its fallback ("epub:default"), not the markup
  // of another language that its cases hold.
  if (name == "script" || name == "style" || name == "template" || name == "epub:case" ||
      name == "case")
    return true;
  return element.AttributeText.find("hidden") != std::string::npos &&
         element.AttributeValue("hidden").has_value();
}

bool XhtmlInlines::IsLabelText(std::u16string_view text) {
  size_t shown = 0;
  for (char16_t c : text) {
    if (c == u' ' || c == u'\n' || c == u'\t' || c == 0xFE0F)
      continue;
    const bool arabicDigit = (c >= 0x0660 && c <= 0x0669) || (c >= 0x06F0 && c <= 0x06F9);
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
        (c >= 0xC0 && c < 0x2000 && !arabicDigit))
      return false;
    ++shown;
  }
  return shown > 0 && shown <= 6;
}

// A link in a note back to where the note is referred to: marked as one,
// or a link to a note reference's id (a link elsewhere, to a line of a
// poem, say, is the note's text).
bool XhtmlInlines::IsBackLink(XmlNode& element, const std::u16string& href) const {
  const size_t hash = href.find(u'#');
  if (hash == std::u16string::npos)
    return false;
  if (HasType(element, u"backlink") ||
      AttributeValue(element, "role").find(u"doc-backlink") != std::u16string::npos)
    return true;
  return FReferenceIds != nullptr && FReferenceIds->count(href.substr(hash + 1)) != 0;
}

bool XhtmlInlines::IsNoteTarget(const std::u16string& href) const {
  return FNoteTargets != nullptr && FNoteTargets->count(href.substr(href.find(u'#') + 1)) != 0;
}

std::vector<Inline> XhtmlInlines::Read(XmlNode& block, bool skipBlocks, bool verbatim) {
  FSkipBlocks = skipBlocks;
  FVerbatim = verbatim;
  FCollector.Begin();
  FReferences.clear();
  if (!block.VisitWholeText(*this, verbatim) && !skipBlocks) {
    FCollector.WholeTextOnly(block.WholeText());
    FReferences.clear();
  }
  FVerbatim = false;
  std::vector<Inline> pieces = FCollector.Take();
  if (verbatim)
    TrimPreformattedEnds(pieces);
  return pieces;
}

std::vector<std::vector<Inline>> XhtmlInlines::ReadRuns(XmlNode& container) {
  std::vector<std::vector<Inline>> runs;
  FRuns = &runs;
  FSkipBlocks = true;
  FCollector.Begin();
  container.VisitWholeText(*this);
  runs.push_back(FCollector.Cut());
  FRuns = nullptr;
  FReferences.clear();
  return runs;
}

bool XhtmlInlines::Enter(XmlNode& element) {
  if (IsLeftOut(element))
    return false;
  // An equation as a line of text, built from its structure.
  if (element.Name == "math" || element.Name.ends_with(":math")) {
    if (FCollector.EndsInText())
      FCollector.Text(u" "); // an equation is a word of its own
    FCollector.Text(MathMlLinearText(element));
    return false;
  }
  if (FSkipBlocks && IsNestedBlock(element.Name)) {
    if (FRuns != nullptr)
      FRuns->push_back(FCollector.Cut());
    return false;
  }
  // Ruby: the base text stays; its reading ("rt") and the parentheses
  // shown where ruby is not supported ("rp") are left out, so that
  // "<ruby>山路<rt>やまみち</rt></ruby>" reads as the text does, "山路".
  if (element.Name == "rt" || element.Name == "rp")
    return false;
  const Marks marks = MarksOf(element.Name);
  if (element.Name == "br" && !FCollector.InNoteLink()) {
    FCollector.AddLineBreak();
  } else if (element.Name == "a" && !FCollector.InNoteLink()) {
    std::u16string href = AttributeValue(element, "href");
    if (FInNote && IsBackLink(element, href))
      return false;
    if (!href.empty() && href.find(u'#') != std::u16string::npos &&
        (HasType(element, u"noteref") || IsNoteTarget(href))) {
      FCollector.BeginNoteLink(element);
      FNoteHref = std::move(href);
    } else if (!href.empty()) {
      FCollector.OpenLink(marks, std::move(href));
      return true;
    }
  }
  FCollector.Open(marks);
  return true;
}

void XhtmlInlines::Text(std::u16string_view text) {
  if (!FVerbatim) {
    FCollector.Text(text);
    return;
  }
  for (size_t end = text.find(u'\n'); end != std::u16string_view::npos; end = text.find(u'\n')) {
    FCollector.Text(text.substr(0, end));
    FCollector.AddLineBreak();
    text.remove_prefix(end + 1);
  }
  FCollector.Text(text);
}

void XhtmlInlines::Leave(XmlNode& element) {
  FCollector.Close();
  if (!FCollector.IsNoteLink(element))
    return;
  InlineCollector::NoteLinkText link = FCollector.EndNoteLink();
  Inline reference;
  reference.kind = InlineKind::NoteReference;
  reference.text = link.label.empty() ? u"*" : std::move(link.label);
  reference.target = FNoteHref.substr(FNoteHref.find(u'#') + 1);
  FReferences.push_back({FCollector.PieceCount(), std::move(link.written), FNoteHref});
  FCollector.AddPiece(std::move(reference));
}

} // namespace scrivlet
