#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// FictionBook 2 (.fb2): an XML file whose root element is <FictionBook>.
extern const ReaderKind kFictionBookFormat;

} // namespace scrivlet
