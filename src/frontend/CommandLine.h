// The command-line converter: the same conversions as the CGI page, with
// every reader option and a JSON view for scripts.
#pragma once

#include "core/DocumentReader.h"

#include <optional>
#include <string>
#include <vector>

namespace scrivlet {

struct CommandLineOptions {
  OutputFormat formating = OutputFormat::PlainText;
  ContentItems items{ContentItem::Text, ContentItem::Summary};
  int32_t maxLength = 0;
  Limits limits; // the reader's resource limits, as raised by options
  bool rawControlChars = false;
  std::string password;
  std::string readerName; // empty: chosen by extension
  bool json = false;
  bool help = false;
  bool version = false;
  std::string fileName;
};

// Parses the arguments after the program name.  On a usage error returns
// nothing and sets error.
std::optional<CommandLineOptions> ParseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error);

// Writes a UTF-16 text as a JSON string literal in UTF-8.
std::string JsonString(std::u16string_view text);

// The summary record as a JSON object (each property by its name: strings
// as text, counts as integers, dates as date-time numbers), or "null".
std::string JsonSummary(const DocumentSummary* summary);

// Runs one conversion; out and err receive what goes to standard output and
// standard error.  Returns the exit status: 0 converted, 1 the reader
// failed, 2 usage error.
int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err);

} // namespace scrivlet
