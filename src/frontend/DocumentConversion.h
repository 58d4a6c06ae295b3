// One document through the command line's settings: the reader chosen,
// the text or JSON it gives, and whether it failed.  Each conversion stands
// alone, so that a batch can run any number of them side by side.
#pragma once

#include "core/DocumentSummary.h"
#include "frontend/CommandLine.h"
#include "frontend/FailureKind.h"

#include <string>

namespace scrivlet {

struct ConvertedDocument {
  std::string output; // what goes to standard output or the output file
  std::string error;  // the reader's message (UTF-8), empty when converted
  bool failed = false;
};

// What else a conversion tells, for callers that look closer than the
// command line (the Python module).
struct ConversionDetails {
  bool summaryWanted = false; // set by the caller: fill summary
  FailureKind failure = FailureKind::None;
  std::string readerName; // the reader that ran, as --reader spells it; empty for none
  std::string summary;    // the summary record as JSON ("null" for none), when wanted
};

// Converts the file input ("-": the bytes of standard input, given in
// standardInput) as the options say; fills details when given.
ConvertedDocument ConvertDocument(const CommandLineOptions& options, const std::string& input,
                                  const std::string& standardInput,
                                  ConversionDetails* details = nullptr);

// The summary fields that are not empty, one "Name: value" line each (LF),
// as plain output shows them when the text is not asked for.
std::u16string SummaryText(const DocumentSummary& summary);

// The extension an output file gets for these options (".txt", ".rtf",
// ".html", ".md" or ".json").
const char* OutputExtension(const CommandLineOptions& options);

} // namespace scrivlet
