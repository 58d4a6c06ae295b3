#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// Word 97-2003, Word 6/95 and Word 2 (.doc, and any extension no other reader takes): a compound
// file with a "WordDocument" stream, or a Word 1/2 file header.
extern const ReaderKind kWordFormat;

} // namespace scrivlet
