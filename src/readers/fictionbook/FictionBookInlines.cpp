#include "readers/fictionbook/FictionBookInlines.h"

#include <iterator>

namespace scrivlet {
namespace {

Marks MarksOf(const std::string& name) {
  if (name == "emphasis")
    return kItalic;
  if (name == "strong")
    return kBold;
  if (name == "strikethrough")
    return kStrike;
  if (name == "sub")
    return kSubscript;
  if (name == "sup")
    return kSuperscript;
  if (name == "code")
    return kCode;
  return 0;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

} // namespace

std::u16string FictionBookInlines::AttributeValue(XmlNode& item, std::string_view name) {
  // Read from the tag's attribute text: a paragraph's links make no items.
  return item.AttributeValue(name).value_or(std::u16string());
}

std::u16string FictionBookInlines::NoteLabel(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  if (text.size() >= 2 && ((text.front() == u'[' && text.back() == u']') ||
                           (text.front() == u'{' && text.back() == u'}') ||
                           (text.front() == u'(' && text.back() == u')')))
    text = text.substr(1, text.size() - 2);
  return std::u16string(text);
}

std::vector<Inline> FictionBookInlines::Read(XmlNode& line) {
  FFrames.clear();
  FTargets.resize(1); // the empty target of the text outside links
  FPieces.clear();
  FNoteLink = nullptr;
  FFrames.push_back({&line, 0, 0});
  if (!line.VisitWholeText(*this))
    WholeTextOnly(line.WholeText());
  // The pieces are gathered in a buffer kept from block to block; the
  // block gets a vector of their number.
  return std::vector<Inline>(std::make_move_iterator(FPieces.begin()),
                             std::make_move_iterator(FPieces.end()));
}

bool FictionBookInlines::Enter(XmlNode& element) {
  Frame frame = FFrames.back();
  frame.element = &element;
  frame.marks |= MarksOf(element.Name);
  if (element.Name == "a" && FNoteLink == nullptr) {
    std::u16string href = AttributeValue(element, "href");
    if (AttributeValue(element, "type") == u"note" && href.starts_with(u"#") &&
        FNotes.count(href.substr(1)) != 0) {
      FNoteLink = &element;
      FNoteId = href.substr(1);
      FNoteText.clear();
    } else if (!href.empty()) {
      frame.target = FTargets.size();
      FTargets.push_back(std::move(href));
    }
  }
  FFrames.push_back(frame);
  return true;
}

void FictionBookInlines::Leave(XmlNode& element) {
  if (FFrames.size() > 1)
    FFrames.pop_back();
  if (&element != FNoteLink)
    return;
  FNoteLink = nullptr;
  // The blank before the link stays in the text.
  size_t lead = 0;
  while (lead < FNoteText.size() && FNoteText[lead] == u' ')
    ++lead;
  if (lead > 0)
    AddText(std::u16string_view(FNoteText).substr(0, lead), FFrames.back().marks,
            FTargets[FFrames.back().target]);
  Inline reference;
  reference.kind = InlineKind::NoteReference;
  reference.text = NoteLabel(FNoteText);
  reference.target = FNoteId;
  if (reference.text.empty()) // a link without text shows the note's label
    reference.text = FNotes.at(FNoteId);
  FReferenceLabels.emplace(FNoteId, reference.text);
  FPieces.push_back(std::move(reference));
}

void FictionBookInlines::Text(std::u16string_view text) {
  if (FNoteLink != nullptr) {
    FNoteText += text;
    return;
  }
  AddText(text, FFrames.back().marks, FTargets[FFrames.back().target]);
}

// A blank that opens a marked or linked piece is plain text before it:
// "a <emphasis>b</emphasis>" keeps "a " plain.
void FictionBookInlines::AddText(std::u16string_view text, Marks marks,
                                 const std::u16string& target) {
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
void FictionBookInlines::WholeTextOnly(std::u16string text) {
  FPieces.clear();
  if (text.empty())
    return;
  Inline piece;
  piece.text = std::move(text);
  FPieces.push_back(std::move(piece));
}

} // namespace scrivlet
