// PDF documents (.pdf): the reader over the PDF engine of src/pdf.  It opens
// the document from memory, fills the summary record from the Info
// dictionary and walks the pages in order.
#pragma once

#include "core/DocumentReader.h"
#include "core/DocumentSummary.h"

#include <string>

namespace scrivlet {

namespace pdf {
class PdfDocument;
struct PdfPage;
} // namespace pdf

class PdfReader : public DocumentReader {
public:
  PdfReader() { KeepSummaryInformation(); }
  const char* ClassName() const override { return "PdfReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }
  bool IsEncrypted() override { return FEncrypted; }

  // The number of pages the last document had.
  size_t PageCount() const { return FPageCount; }

private:
  void ReadSummary(const pdf::PdfDocument& document);
  // The text of one page (added as one output line when not empty).
  std::u16string PageText(const pdf::PdfDocument& document, const pdf::PdfPage& page);

  bool FEncrypted = false;
  size_t FPageCount = 0;
};

} // namespace scrivlet
