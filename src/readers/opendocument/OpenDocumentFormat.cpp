#include "readers/opendocument/OpenDocumentFormat.h"

#include "readers/opendocument/OpenDocumentReader.h"

namespace scrivlet {
namespace {

bool IsText(ContentProbe& probe) {
  return probe.MimeType() == "application/vnd.oasis.opendocument.text";
}

bool IsPresentation(ContentProbe& probe) {
  return probe.MimeType() == "application/vnd.oasis.opendocument.presentation";
}

std::unique_ptr<DocumentReader> CreateText() {
  return std::make_unique<OpenDocumentTextReader>();
}

std::unique_ptr<DocumentReader> CreatePresentation() {
  return std::make_unique<OpenDocumentPresentationReader>();
}

} // namespace

const ReaderKind kOpenDocumentTextFormat = {
    "odt",     "OpenDocumentTextReader", ".ODT", HeadingSource::SummaryTitle, true, false, IsText,
    CreateText};

const ReaderKind kOpenDocumentPresentationFormat = {
    "odp",          "OpenDocumentPresentationReader",
    ".ODP",         HeadingSource::SummaryTitle,
    true,           false,
    IsPresentation, CreatePresentation};

} // namespace scrivlet
