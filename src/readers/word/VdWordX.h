// Word 2007+ documents (.docx): a ZIP package of XML parts.  The body is
// converted inside the XML engine's events, a paragraph becoming one line
// as soon as it closes; notes, headers and footers go to the story lists
// and the properties parts to the summary record.
#pragma once

#include "readers/word/VdWord.h"

#include <string>
#include <vector>

namespace scrivlet {

class TKxXMLEngine;
class TKxXMLItem;
class TZipArchive;

class TVdWordXDocument : public TVdCustomWordDocument {
public:
  const char* ClassName() const override { return "TVdWordXDocument"; }

  void LoadFromFile(const std::u16string& fileName) override;
  void LoadFromStream(TStream& stream) override;
  void ParseStream(TStream& stream) override;

private:
  void ParseMember(const TZipArchive& zip, const std::string& member, TWideStrings& list);
  void ParseXmlPart(TStream& stream, TWideStrings& list);
  std::string ResolveRelationship(const TZipArchive& zip, const std::u16string& id);
  void ReadPropertiesPart(const TZipArchive& zip, const std::string& member);
  void DoTag(TKxXMLEngine& sender, TKxXMLItem* parent, const std::u16string& name,
             const std::u16string& value, const std::u16string& attributes, bool& accept);
  void DoAfterTag(TKxXMLEngine& sender, TKxXMLItem*& node, bool& cancel);
  void FlushParagraph();
  std::u16string& ParagraphText() { return FParagraphTexts.back(); }

  // The text of each open paragraph, innermost last; the first entry
  // gathers text outside any paragraph.
  std::vector<std::u16string> FParagraphTexts{std::u16string()};
  TWideStrings* FTargetList = nullptr;
  bool FHiddenRun = false;
  TWideStrings FHeaderIds, FFooterIds;
};

} // namespace scrivlet
