#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// Windows Write (.wri): its 128-byte file header.
extern const ReaderKind kWriteFormat;

} // namespace scrivlet
