#include "readers/common/InlineCollector.h"

#include <iterator>

namespace scrivlet {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

} // namespace

void InlineCollector::Begin() {
  FFrames.assign(1, Frame{0, 0});
  FTargets.resize(1); // the empty target of the text outside links
  FPieces.clear();
  FNoteLink = nullptr;
}

std::vector<Inline> InlineCollector::Take() {
  return std::vector<Inline>(std::make_move_iterator(FPieces.begin()),
                             std::make_move_iterator(FPieces.end()));
}

std::vector<Inline> InlineCollector::Cut() {
  std::vector<Inline> pieces = Take();
  FPieces.clear();
  return pieces;
}

bool InlineCollector::EndsInText() const {
  return !FPieces.empty() && FPieces.back().kind == InlineKind::Text &&
         !FPieces.back().text.empty() && !IsBlank(FPieces.back().text.back());
}

void InlineCollector::Open(Marks marks) {
  Frame frame = FFrames.back();
  frame.marks |= marks;
  FFrames.push_back(frame);
}

void InlineCollector::OpenLink(Marks marks, std::u16string target) {
  Frame frame = FFrames.back();
  frame.marks |= marks;
  frame.target = FTargets.size();
  FTargets.push_back(std::move(target));
  FFrames.push_back(frame);
}

void InlineCollector::Close() {
  if (FFrames.size() > 1)
    FFrames.pop_back();
}

void InlineCollector::AddLineBreak() {
  Inline lineBreak;
  lineBreak.kind = InlineKind::LineBreak;
  FPieces.push_back(std::move(lineBreak));
}

void InlineCollector::Text(std::u16string_view text) {
  if (FNoteLink != nullptr) {
    FNoteText += text;
    return;
  }
  AddText(text, FFrames.back().marks, FTargets[FFrames.back().target]);
}

void InlineCollector::AddText(std::u16string_view text, Marks marks, const std::u16string& target) {
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

void InlineCollector::BeginNoteLink(const XmlNode& element) {
  FNoteLink = &element;
  FNoteText.clear();
}

InlineCollector::NoteLinkText InlineCollector::EndNoteLink() {
  FNoteLink = nullptr;
  size_t lead = 0;
  while (lead < FNoteText.size() && FNoteText[lead] == u' ')
    ++lead;
  if (lead > 0)
    AddText(std::u16string_view(FNoteText).substr(0, lead), FFrames.back().marks,
            FTargets[FFrames.back().target]);
  return {NoteLabel(FNoteText), FNoteText.substr(lead)};
}

void InlineCollector::WholeTextOnly(std::u16string text) {
  FPieces.clear();
  if (text.empty())
    return;
  Inline piece;
  piece.text = std::move(text);
  FPieces.push_back(std::move(piece));
}

std::u16string InlineCollector::NoteLabel(std::u16string_view text) {
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

std::u16string AttributeValueOf(XmlNode& element, std::string_view name) {
  // From the tag's attribute text: a paragraph's links make no items.
  return element.AttributeValue(name).value_or(std::u16string());
}

int32_t ColumnSpanOf(XmlNode& cell) {
  std::u16string text = AttributeValueOf(cell, "colspan");
  int32_t span = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9' || span > 1000)
      return 1;
    span = span * 10 + (c - u'0');
  }
  return span > 1 ? span : 1;
}

} // namespace scrivlet
