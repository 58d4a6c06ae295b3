// What kind of failure stopped a conversion, for callers that act on the
// kind rather than on the message (the Python module raises one exception
// class per kind; the message stays the program's).
#pragma once

#include "frontend/Conversion.h"

#include <cstdint>
#include <string_view>

namespace scrivlet {

enum class FailureKind : uint8_t {
  None,
  FileNotFound,      // no such file
  FileUnreadable,    // a file that cannot be read (a directory, no permission)
  UnsupportedFormat, // content that is not of the format its reader reads
  PasswordRequired,  // encrypted, and no password was given
  InvalidPassword,   // encrypted, and the password given does not open it
  DamagedDocument,   // of the reader's format, but the reader stopped on it
  LimitExceeded      // past one of the limits, or out of memory
};

// The kind of a failed conversion of bytes (the document's content as the
// reader had it); None when it did not fail.  A reader whose signature the
// content does not carry was given something else than its format; an
// encrypted document whose reader stopped for a password wants one (or
// another one, when one was given).
FailureKind FailureOf(const Conversion& conversion, std::string_view bytes, bool passwordGiven);

} // namespace scrivlet
