// The document a request names, opened once: the same descriptor gives the
// page cache its key (fstat) and the reader its bytes, so that nothing can
// be swapped between the check of the name and the reading.
//
// With a document root, the name resolves beneath the root (an absolute
// name must lead into it).  Without one, the working directory the web
// server starts the program in is the root, and only relative names that
// do not climb ("..") are taken at all.  When no file has the name as
// written, the lower-cased name is tried.
#pragma once

#include "core/FileBeneath.h"

#include <string>

namespace scrivlet {

struct RequestedFile {
  BeneathOutcome outcome = BeneathOutcome::Missing;
  OpenedFile file; // open when the outcome is Opened
  int error = 0;   // the errno of Unreadable
};

RequestedFile OpenRequestedFile(const std::string& fileName, const std::string& documentRoot);

// Without a document root, only names below the working directory (where
// the web server starts the program) may be served: an absolute name or a
// ".." component could reach any file the server's user can read.
bool StaysBelowWorkingDirectory(std::string_view name);

} // namespace scrivlet
