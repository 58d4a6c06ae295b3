#include "readers/epub/EpubFormat.h"

#include "readers/epub/EpubReader.h"

namespace scrivlet {
namespace {

bool HasSignature(ContentProbe& probe) {
  return probe.MimeType() == "application/epub+zip";
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<EpubReader>();
}

} // namespace

const ReaderKind kEpubFormat = {"epub", "EpubReader", ".EPUB",      HeadingSource::SummaryTitle,
                                true,   false,        HasSignature, Create};

} // namespace scrivlet
