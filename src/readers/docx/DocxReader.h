// Word 2007+ documents (.docx): a ZIP package of XML parts.  The body is
// converted inside the XML engine's events, a paragraph becoming one line
// as soon as it closes; notes, headers and footers go to the story lists
// and the properties parts to the summary record.
#pragma once

#include "readers/common/WordReaderBase.h"

#include <map>
#include <string>
#include <vector>

namespace scrivlet {

class CompoundFile;
class XmlParser;
class XmlNode;
class ZipArchive;

class DocxReader : public WordReaderBase {
public:
  const char* ClassName() const override { return "DocxReader"; }

  void LoadFromFile(const std::string& fileName) override;
  void LoadFromStream(Stream& stream) override;
  void ParseStream(Stream& stream) override;

private:
  // Raises the error for bytes that are not a package: an encrypted one in
  // a compound file, or not a Word document at all.
  [[noreturn]] static void RefuseNonPackage(const CompoundFile* storage, const std::string& name);
  void ParseMember(const ZipArchive& zip, const std::string& member, TextLines& list);
  void ParseXmlPart(Stream& stream, TextLines& list);
  // Relationship identifier (letter case folded) to target part.
  using Relationships = std::map<std::u16string, std::string>;
  Relationships ReadRelationships(const ZipArchive& zip) const;
  void ParseReferencedParts(const ZipArchive& zip, const Relationships& relationships,
                            const TextLines& ids, TextLines& list);
  void ReadPropertiesPart(const ZipArchive& zip, const std::string& member);
  void DoTag(XmlParser& sender, XmlNode* parent, const std::u16string& name,
             const std::u16string& value, const std::u16string& attributes, bool& accept);
  void DoAfterTag(XmlParser& sender, XmlNode*& node, bool& cancel);
  void FlushParagraph();
  std::u16string& ParagraphText() { return FParagraphTexts.back(); }

  // The text of each open paragraph, innermost last; the first entry
  // gathers text outside any paragraph.
  std::vector<std::u16string> FParagraphTexts{std::u16string()};
  TextLines* FTargetList = nullptr;
  bool FHiddenRun = false;
  TextLines FHeaderIds, FFooterIds;
};

} // namespace scrivlet
