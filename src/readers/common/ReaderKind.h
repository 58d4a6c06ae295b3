// What the programs know of a format: its name, its file extensions, how to
// tell its files from their content, and its reader.  Each reader's folder
// defines one; the front end's registry lists them.
#pragma once

#include "readers/common/ContentProbe.h"
#include "readers/common/DocumentReader.h"

#include <memory>

namespace scrivlet {

// What the web page shows as its heading for a format's documents: the
// summary's title, or the file name for formats that record no title.
enum class HeadingSource { SummaryTitle, FileName };

struct ReaderKind {
  const char* name;        // the command line's --reader value ("docx")
  const char* className;   // the reader's class, as hosts report it
  const char* extensions;  // upper case with the dot, blank-separated
  HeadingSource heading;
  bool keepsSummary; // the format records metadata: a summary record, empty or not
  bool keepsStories; // notes, headers and the like are stories of their own (Word)
  // Whether the data carries the format's whole signature.
  bool (*hasSignature)(ContentProbe& probe);
  std::unique_ptr<DocumentReader> (*create)();
};

} // namespace scrivlet
