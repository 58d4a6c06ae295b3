// FictionBook 2 e-books (.fb2): one XML file whose "description" carries
// the book's metadata and whose first "body" carries the text as nested
// "section" elements of "p" paragraphs.  One output line per paragraph.
#pragma once

#include "core/VdWBase.h"
#include "core/VdW_Sum.h"

namespace scrivlet {

class TKxXMLItem;

class TFictionBook : public TVdWBaseDocument {
public:
  const char* ClassName() const override { return "TFictionBook"; }

  void Clear() override;
  void ParseStream(TStream& stream) override;
  void LoadFromFile(const std::u16string& fileName) override { ParseFile(fileName); }

  const TKxWordSummaryInformation* SummaryInformation() const override {
    return &FSummaryInformation;
  }
  void SetSummaryInformation(const TKxWordSummaryInformation& summary) {
    FSummaryInformation.Assign(summary);
  }

  // The value of the first element named name in item's subtree; "" when
  // there is none.
  static std::u16string GetChildValue(TKxXMLItem* item, std::string_view name);
  // The display name of the first "author" in item's subtree.
  static std::u16string GetAuthorName(TKxXMLItem* item);

private:
  void ParseFictionBook(TStream& stream, TWideStrings& lines);
  void ReadDescription(TKxXMLItem& description);
  void ConvertBodyItem(TKxXMLItem& body, TWideStrings& lines);

  TKxWordSummaryInformation FSummaryInformation;
};

} // namespace scrivlet
