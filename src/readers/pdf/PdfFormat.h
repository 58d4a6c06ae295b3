#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// PDF (.pdf): a file that starts with "%PDF-".
extern const ReaderKind kPdfFormat;

} // namespace scrivlet
