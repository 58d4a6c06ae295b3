// One document through one reader: the conversion both programs share.
// The front end chooses the reader (by content or by extension) and the
// writer; everything between is here, so that the CGI page and the command
// line cannot drift apart.
#pragma once

#include "core/ReaderOptions.h"
#include "core/StoryLists.h"
#include "core/TextLines.h"
#include "document/Document.h"
#include "readers/common/ReaderKind.h"
#include "writers/DescribedOutput.h"

#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

struct Conversion {
  const ReaderKind* kind = nullptr;
  Document document;
  bool read = false; // the reader was run (the file's bytes could be had)
  bool encrypted = false;
  bool failed = false;
  bool limitExceeded = false; // stopped by one of the limits, or out of memory
  // An encrypted document that the password given (or none) does not open:
  // the front ends ask for one.
  bool passwordRefused = false;
  std::string error; // the message that stopped it, as raised
};

// The whole file, read once.  Raises "File %s is not found." when there is
// no such file, and the file error when it cannot be read.
std::string ReadDocumentFile(const std::string& fileName);

// Reads a document's bytes with the reader of kind; name is its file name
// as given, as messages show it.  Never raises: a failure is in the result,
// with what was read before it.
Conversion Convert(std::string_view bytes, const std::string& name, const ReaderKind& kind,
                   const ReaderOptions& options);

// The same for a file, read once (a file that cannot be read is a failure
// with its message).
Conversion ConvertFile(const std::string& fileName, const ReaderKind& kind,
                       const ReaderOptions& options);

// What the described writers make of a conversion: the main text's output
// list, and the lists of the other stories for the formats that keep them
// apart (the Word formats).  A reader that never ran leaves them empty.
struct DescribedText {
  TextLines lines;
  std::optional<StoryLists> stories;
};
DescribedText Describe(const Conversion& conversion, const DescribedOutputOptions& options);

// The summary record of the conversion's format, empty when the reader did
// not fill it; nullptr for formats that record none.
const DocumentSummary* SummaryOf(const Conversion& conversion);

// The reader options of a host working in codePage (65001, or a Windows
// code page).
ReaderOptions OptionsForCodePage(int codePage);

} // namespace scrivlet
