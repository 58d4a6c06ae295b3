// FictionBook 2 e-books (.fb2): one XML file whose "description" carries
// the book's metadata and whose first "body" carries the text as nested
// "section" elements of "p" paragraphs; the bodies named "notes" and
// "comments" hold the footnotes, a section each.
#pragma once

#include "readers/common/DocumentReader.h"
#include "readers/fictionbook/FictionBookInlines.h"

#include <string>

namespace scrivlet {

class XmlNode;

class FictionBookReader : public DocumentReader {
public:
  // The value of the first element named name in item's subtree; "" when
  // there is none.
  static std::u16string GetChildValue(XmlNode* item, std::string_view name);
  // The display name of the first "author" in item's subtree.
  static std::u16string GetAuthorName(XmlNode* item);

private:
  void Parse(std::string_view bytes) override;
  void ReadDescription(XmlNode& description);
  void ReadNotes(XmlNode& book, XmlNode* main, FictionBookInlines::NoteLabels& labels,
                 FictionBookInlines::NoteLabels& referenceLabels);
  void ConvertBodyItem(XmlNode& body, Story& story, const FictionBookInlines::NoteLabels& labels,
                       FictionBookInlines::NoteLabels& referenceLabels);
  static XmlNode* FirstChild(XmlNode& item, std::string_view name);
  static std::u16string NumberLabel(size_t number);
};

} // namespace scrivlet
