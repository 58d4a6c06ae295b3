#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// WordPerfect 6-9 (.wpd): its file header, or a compound file with a "PerfectOffice_MAIN" stream.
extern const ReaderKind kWordPerfectFormat;

} // namespace scrivlet
