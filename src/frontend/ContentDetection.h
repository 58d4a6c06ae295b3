// Which reader a document needs, told from its bytes: the command line
// converts files whatever they are called, and standard input has no name.
#pragma once

#include "frontend/ReaderTable.h"

#include <string_view>
#include <vector>

namespace scrivlet {

// The readers whose whole signature the data carries (each at most once,
// in the reader table's order): a compound file with a WordDocument or a
// PerfectOffice_MAIN stream (or the EncryptedPackage stream of a
// protected Word XML package), a Word 1/2 file header, a ZIP package with
// word/document.xml or the mimetype of OpenDocument or EPUB, "%PDF-", a
// WordPerfect or Write file header, a FictionBook root element.
std::vector<const ReaderKind*> ReadersBySignature(std::string_view data);

// The reader for a document: the one whose signature matches; the file
// name's extension (as the CGI chooses) when none or several match.
const ReaderKind& DetectReader(std::string_view data, std::string_view fileName);

} // namespace scrivlet
