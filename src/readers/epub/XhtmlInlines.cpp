#include "readers/epub/XhtmlInlines.h"

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

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

// A note link's text as its label: trimmed, without the brackets around it.
std::u16string NoteLabel(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  if (text.size() >= 2 && ((text.front() == u'[' && text.back() == u']') ||
                           (text.front() == u'(' && text.back() == u')')))
    text = text.substr(1, text.size() - 2);
  return std::u16string(text);
}

} // namespace

std::u16string XhtmlInlines::AttributeValue(XmlNode& item, std::string_view name) {
  // Read from the tag's attribute text: a paragraph's links make no items.
  return item.AttributeValue(name).value_or(std::u16string());
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

std::vector<Inline> XhtmlInlines::Read(XmlNode& block, bool skipBlocks) {
  FSkipBlocks = skipBlocks;
  FFrames.clear();
  FTargets.resize(1); // the empty target of the text outside links
  FPieces.clear();
  FReferences.clear();
  FNoteLink = nullptr;
  FFrames.push_back({0, 0});
  if (!block.VisitWholeText(*this) && !skipBlocks)
    WholeTextOnly(block.WholeText());
  // The pieces are gathered in a buffer kept from block to block; the
  // block gets a vector of their number.
  return std::vector<Inline>(std::make_move_iterator(FPieces.begin()),
                             std::make_move_iterator(FPieces.end()));
}

bool XhtmlInlines::Enter(XmlNode& element) {
  if (FSkipBlocks && IsNestedBlock(element.Name))
    return false;
  // Ruby: the base text stays; its reading ("rt") and the parentheses
  // shown where ruby is not supported ("rp") are left out, so that
  // "<ruby>山路<rt>やまみち</rt></ruby>" reads as the text does, "山路".
  if (element.Name == "rt" || element.Name == "rp")
    return false;
  Frame frame = FFrames.back();
  frame.marks |= MarksOf(element.Name);
  if (element.Name == "br" && FNoteLink == nullptr) {
    Inline lineBreak;
    lineBreak.kind = InlineKind::LineBreak;
    FPieces.push_back(lineBreak);
  } else if (element.Name == "a" && FNoteLink == nullptr) {
    std::u16string href = AttributeValue(element, "href");
    if (!href.empty() && href.find(u'#') != std::u16string::npos && HasType(element, u"noteref")) {
      FNoteLink = &element;
      FNoteHref = std::move(href);
      FNoteText.clear();
    } else if (!href.empty()) {
      frame.target = FTargets.size();
      FTargets.push_back(std::move(href));
    }
  }
  FFrames.push_back(frame);
  return true;
}

void XhtmlInlines::Leave(XmlNode& element) {
  if (FFrames.size() > 1)
    FFrames.pop_back();
  if (&element != FNoteLink)
    return;
  FNoteLink = nullptr;
  size_t lead = 0;
  while (lead < FNoteText.size() && FNoteText[lead] == u' ')
    ++lead;
  if (lead > 0)
    AddText(std::u16string_view(FNoteText).substr(0, lead), FFrames.back().marks,
            FTargets[FFrames.back().target]);
  Inline reference;
  reference.kind = InlineKind::NoteReference;
  reference.text = NoteLabel(FNoteText);
  reference.target = FNoteHref.substr(FNoteHref.find(u'#') + 1);
  if (reference.text.empty())
    reference.text = u"*";
  FReferences.push_back({FPieces.size(), FNoteText.substr(lead), FNoteHref});
  FPieces.push_back(std::move(reference));
}

void XhtmlInlines::Text(std::u16string_view text) {
  if (FNoteLink != nullptr) {
    FNoteText += text;
    return;
  }
  AddText(text, FFrames.back().marks, FTargets[FFrames.back().target]);
}

// A blank that opens a marked or linked piece is plain text before it:
// "a <em>b</em>" keeps "a " plain.
void XhtmlInlines::AddText(std::u16string_view text, Marks marks, const std::u16string& target) {
  if (text.empty())
    return;
  if (text.front() == u' ' && (marks != 0 || !target.empty())) {
    AddText(u" ", 0, FTargets.front());
    text.remove_prefix(1);
    if (text.empty())
      return;
  }
  if (!FPieces.empty() && FPieces.back().kind == InlineKind::Text) {
    Inline& last = FPieces.back();
    if (last.marks == marks && last.target == target) {
      last.text += text;
      return;
    }
  }
  Inline piece;
  piece.marks = marks;
  piece.text.assign(text);
  piece.target = target;
  FPieces.push_back(std::move(piece));
}

// The block's whole text as one plain piece, where its pieces would not
// join to it (see XmlNode::VisitWholeText): the text stays as it always
// was, its marks and note references are lost.
void XhtmlInlines::WholeTextOnly(std::u16string text) {
  FPieces.clear();
  FReferences.clear();
  if (text.empty())
    return;
  Inline piece;
  piece.text = std::move(text);
  FPieces.push_back(std::move(piece));
}

} // namespace scrivlet
