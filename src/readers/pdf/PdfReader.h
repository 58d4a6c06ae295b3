// PDF documents (.pdf): the reader over the PDF engine of src/pdf.  It opens
// the document from memory, fills the summary record from the Info
// dictionary and walks the pages in order, adding each page's text (fonts,
// content stream and line layout of src/pdf/fonts and src/pdf/content) as
// one entry.
#pragma once

#include "core/DocumentReader.h"
#include "core/DocumentSummary.h"

#include <string>

namespace scrivlet {

namespace pdf {
class PdfDocument;
} // namespace pdf

class PdfReader : public DocumentReader {
public:
  const char* ClassName() const override { return "PdfReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }
  bool IsEncrypted() override { return FEncrypted; }

  const DocumentSummary* SummaryInformation() const override { return &FSummaryInformation; }
  void SetSummaryInformation(const DocumentSummary& summary) {
    FSummaryInformation.Assign(summary);
  }

  // The user or owner password of an encrypted document, set before loading.
  const std::string& Password() const { return FPassword; }
  void SetPassword(std::string password) { FPassword = std::move(password); }

  // The number of pages the last document had.
  size_t PageCount() const { return FPageCount; }

private:
  void ReadSummary(const pdf::PdfDocument& document);

  DocumentSummary FSummaryInformation;
  std::string FPassword;
  bool FEncrypted = false;
  size_t FPageCount = 0;
};

} // namespace scrivlet
