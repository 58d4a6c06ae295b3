// The content of one FictionBook text line (p, v, subtitle, text-author,
// td): its text cut where the inline elements begin and end, each piece
// with the marks of "emphasis", "strong", "strikethrough", "sub", "sup" and
// "code" around it, the target of its link ("a" with l:href or
// xlink:href), and a note reference for each link of type "note" to a note
// the book holds.
#pragma once

#include "document/Document.h"
#include "readers/common/InlineCollector.h"
#include "xml/XmlParser.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace scrivlet {

class FictionBookInlines final : public XmlNode::TextVisitor {
public:
  // The labels of the book's notes by the ids of their sections, which
  // note links name.
  using NoteLabels = std::unordered_map<std::u16string, std::u16string>;

  // notes: the labels of the notes' titles.  referenceLabels: gets the
  // label of each note's first reference.
  FictionBookInlines(const NoteLabels& notes, NoteLabels& referenceLabels)
      : FNotes(notes), FReferenceLabels(referenceLabels) {}

  // The pieces of line, joined as its whole text.
  std::vector<Inline> Read(XmlNode& line);

  // The value of an attribute whose name, without its namespace prefix, is
  // name ("" when there is none).
  static std::u16string AttributeValue(XmlNode& item, std::string_view name);
  // A note link's text as its label: trimmed, without the brackets around
  // it ("[1]" gives "1").
  static std::u16string NoteLabel(std::u16string_view text) {
    return InlineCollector::NoteLabel(text);
  }

  bool Enter(XmlNode& element) override;
  void Text(std::u16string_view text) override;
  void Leave(XmlNode& element) override;

private:
  const NoteLabels& FNotes;
  NoteLabels& FReferenceLabels;
  InlineCollector FCollector;
  std::u16string FNoteId; // of the note link being read
};

} // namespace scrivlet
