#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// OpenDocument text (.odt): a ZIP package whose mimetype names it.
extern const ReaderKind kOpenDocumentTextFormat;
// OpenDocument presentation (.odp): likewise.
extern const ReaderKind kOpenDocumentPresentationFormat;

} // namespace scrivlet
