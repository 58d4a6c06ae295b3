#include "readers/docx/DocxFormat.h"

#include "readers/docx/DocxReader.h"

namespace scrivlet {
namespace {

// Office keeps a password-protected package encrypted in a compound file,
// often beside a WordDocument stream that only says so: this reader reports
// it as protected.
bool HasSignature(ContentProbe& probe) {
  return probe.HasRootStream(u"EncryptedPackage") || probe.HasMember("word/document.xml");
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<DocxReader>();
}

} // namespace

const ReaderKind kDocxFormat = {"docx", "DocxReader", ".DOCX",      HeadingSource::SummaryTitle,
                                true,   true,         HasSignature, Create};

} // namespace scrivlet
