#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// EPUB (.epub): a ZIP package whose mimetype member says
// "application/epub+zip".
extern const ReaderKind kEpubFormat;

} // namespace scrivlet
