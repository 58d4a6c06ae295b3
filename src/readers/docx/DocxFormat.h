#pragma once

#include "readers/common/ReaderKind.h"

namespace scrivlet {

// Word 2007+ (.docx): a ZIP package with "word/document.xml", or the compound file that holds a password-protected one.
extern const ReaderKind kDocxFormat;

} // namespace scrivlet
