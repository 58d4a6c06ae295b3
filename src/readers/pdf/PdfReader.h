// PDF documents (.pdf): the reader over the PDF engine of src/pdf.  It opens
// the document from memory, fills the summary record from the Info
// dictionary and walks the pages in order, giving each page's lines (fonts,
// content stream and reading order of src/pdf/fonts and src/pdf/content)
// as a page break followed by headings, list items and paragraphs
// (PdfBlocks.h).
#pragma once

#include "pdf/PdfDocument.h"
#include "readers/common/DocumentReader.h"

#include <string>

namespace scrivlet {

class PdfReader : public DocumentReader {
public:
  bool IsEncrypted() const override { return FEncrypted; }

  // The number of pages the last document had.
  size_t PageCount() const { return FPageCount; }

  // A PDF decodes more than a package does (every page's content, its
  // fonts and forms), so the PDF engine's own caps are the floor; decoding
  // limits raised above them (--max-decoded-bytes) raise them.
  static pdf::PdfDocument::Limits DecodingLimits(const Limits& limits);

private:
  void Parse(std::string_view bytes) override;
  void ReadSummary(const pdf::PdfDocument& document);

  bool FEncrypted = false;
  size_t FPageCount = 0;
};

} // namespace scrivlet
