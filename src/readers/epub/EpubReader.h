// EPUB e-books (.epub): a ZIP package whose container names the package
// documents; their metadata fill the summary record and their spine gives
// the XHTML content documents in reading order.  The cover image's bytes
// are kept as they are.  A damaged archive that lost its package document
// gives the (X)HTML members it still holds, in archive order.
#pragma once

#include "core/Stream.h"
#include "readers/common/DocumentReader.h"
#include "readers/epub/XhtmlBody.h"

#include <string>
#include <vector>

namespace scrivlet {

class XmlParser;
class XmlNode;
class ZipArchive;

class EpubReader : public DocumentReader {
public:
  // The cover image's bytes (empty when the book has none).
  MemoryStream& CoverImage() { return FCoverImage; }

  // A member path: href percent-decoded and resolved against the
  // directory ("." and ".." segments; nothing climbs above the root).
  static std::string ResolveMemberPath(const std::string& directory, const std::string& href);

private:
  void Parse(std::string_view bytes) override;
  // Whether the container names a package document whose content
  // documents the archive holds (they are read then).
  // root: the folder the container's paths are from ("" or "folder/").
  bool ParseContainer(const ZipArchive& zip, const std::string& path, const std::string& root = "");
  static std::string ContainerBelowAFolder(const ZipArchive& zip);
  bool ParsePackage(const ZipArchive& zip, const std::string& path);
  void ReadMetadata(XmlParser& engine, XmlNode& metadata, std::string& coverId);
  void ConvertContentDocument(const ZipArchive& zip, const std::string& path);
  void ConvertContentDocument(std::string bytes);
  void ConvertRecoveredDocuments(const ZipArchive& zip);
  void ResolveNotes(std::vector<XhtmlBody::ReferencePlace>& references);

  MemoryStream FCoverImage;
  std::vector<XhtmlBody::ReferencePlace> FReferences;
};

} // namespace scrivlet
