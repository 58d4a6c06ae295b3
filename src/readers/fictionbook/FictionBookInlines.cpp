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

} // namespace

std::u16string FictionBookInlines::AttributeValue(XmlNode& item, std::string_view name) {
  return AttributeValueOf(item, name);
}

std::vector<Inline> FictionBookInlines::Read(XmlNode& line) {
  FCollector.Begin();
  if (!line.VisitWholeText(*this))
    FCollector.WholeTextOnly(line.WholeText());
  return FCollector.Take();
}

bool FictionBookInlines::Enter(XmlNode& element) {
  const Marks marks = MarksOf(element.Name);
  if (element.Name == "a" && !FCollector.InNoteLink()) {
    std::u16string href = AttributeValue(element, "href");
    if (AttributeValue(element, "type") == u"note" && href.starts_with(u"#") &&
        FNotes.count(href.substr(1)) != 0) {
      FCollector.BeginNoteLink(element);
      FNoteId = href.substr(1);
    } else if (!href.empty()) {
      FCollector.OpenLink(marks, std::move(href));
      return true;
    }
  }
  FCollector.Open(marks);
  return true;
}

void FictionBookInlines::Text(std::u16string_view text) {
  FCollector.Text(text);
}

void FictionBookInlines::Leave(XmlNode& element) {
  FCollector.Close();
  if (!FCollector.IsNoteLink(element))
    return;
  InlineCollector::NoteLinkText link = FCollector.EndNoteLink();
  Inline reference;
  reference.kind = InlineKind::NoteReference;
  // A link without text shows the note's label.
  reference.text = link.label.empty() ? FNotes.at(FNoteId) : std::move(link.label);
  reference.target = FNoteId;
  FReferenceLabels.emplace(FNoteId, reference.text);
  FCollector.AddPiece(std::move(reference));
}

} // namespace scrivlet
