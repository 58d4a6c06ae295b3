// FictionBook 2 e-books (.fb2): one XML file whose "description" carries
// the book's metadata and whose first "body" carries the text as nested
// "section" elements of "p" paragraphs.  One output line per paragraph.
#pragma once

#include "core/DocumentReader.h"
#include "core/DocumentSummary.h"

namespace scrivlet {

class XmlNode;

class FictionBookReader : public DocumentReader {
public:
  FictionBookReader() { KeepSummaryInformation(); }
  const char* ClassName() const override { return "FictionBookReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }

  // The value of the first element named name in item's subtree; "" when
  // there is none.
  static std::u16string GetChildValue(XmlNode* item, std::string_view name);
  // The display name of the first "author" in item's subtree.
  static std::u16string GetAuthorName(XmlNode* item);

private:
  void ParseFictionBook(Stream& stream, TextLines& lines);
  void ReadDescription(XmlNode& description);
  void ConvertBodyItem(XmlNode& body, TextLines& lines);
};

} // namespace scrivlet
