// EPUB e-books (.epub): a ZIP package whose container names the package
// documents; their metadata fill the summary record and their spine gives
// the XHTML content documents in reading order.  The cover image's bytes
// are kept as they are.
#pragma once

#include "core/Stream.h"
#include "core/VdWBase.h"
#include "core/VdW_Sum.h"

#include <string>

namespace scrivlet {

class TKxXMLEngine;
class TKxXMLItem;
class TZipArchive;

class TKxWEPub : public TVdWBaseDocument {
public:
  const char* ClassName() const override { return "TKxWEPub"; }

  void Clear() override;
  void ParseStream(TStream& stream) override;
  void LoadFromFile(const std::u16string& fileName) override { ParseFile(fileName); }

  const TKxWordSummaryInformation* SummaryInformation() const override {
    return &FSummaryInformation;
  }
  void SetSummaryInformation(const TKxWordSummaryInformation& summary) {
    FSummaryInformation.Assign(summary);
  }
  // The cover image's bytes (empty when the book has none).
  TMemoryStream& CoverImage() { return FCoverImage; }

  // A member path: href percent-decoded and resolved against the
  // directory ("." and ".." segments; nothing climbs above the root).
  static std::string ResolveMemberPath(const std::string& directory, const std::string& href);

private:
  void ParseContainer(const TZipArchive& zip, const std::string& path);
  void ParsePackage(const TZipArchive& zip, const std::string& path);
  void ReadMetadata(TKxXMLEngine& engine, TKxXMLItem& metadata, std::string& coverId);
  void ConvertContentDocument(const TZipArchive& zip, const std::string& path);
  void ConvertXhtmlItem(TKxXMLItem& body, TWideStrings& lines);

  TKxWordSummaryInformation FSummaryInformation;
  TMemoryStream FCoverImage;
};

} // namespace scrivlet
