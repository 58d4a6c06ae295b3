#include "readers/pdf/PdfFormat.h"

#include "readers/pdf/PdfReader.h"

namespace scrivlet {
namespace {

bool HasSignature(ContentProbe& probe) {
  return probe.StartsWith("%PDF-");
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<PdfReader>();
}

} // namespace

const ReaderKind kPdfFormat = {"pdf", "PdfReader", ".PDF",       HeadingSource::SummaryTitle,
                               true,  false,       HasSignature, Create};

} // namespace scrivlet
