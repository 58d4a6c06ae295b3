// One call of the Python module as the command line's conversion: the
// keyword arguments become the command line's options (parsed and checked
// by the same table, so that both accept and refuse the same values), and
// the document goes through the same ConvertDocument.
#pragma once

#include "frontend/CommandLine.h"
#include "frontend/DocumentConversion.h"

#include <optional>
#include <string>

namespace scrivlet::python {

// The keyword arguments of a call, as text (absent: the default).
struct CallSettings {
  std::string format = "text"; // "text" is the command line's "plain"
  std::optional<std::string> items;
  std::optional<std::string> password;
  std::optional<std::string> maxLength;
  std::optional<std::string> reader;
  std::optional<std::string> codePage; // a number or "utf-8"; UTF-8 when absent
  bool json = false;
};

// The options of the call, or nothing with the command line's message in
// error for a value it refuses.
std::optional<CommandLineOptions> OptionsFor(const CallSettings& settings, std::string& error);

// The document as the call names it: a file, or bytes in memory (which the
// conversion names "-", as the command line names standard input).
struct CallSource {
  std::string path;
  std::string data;
  bool inMemory = false;
};

// Converts the document; never raises (a failure, running out of memory
// included, is in the result and its details).  Needs no interpreter: runs
// without the GIL.
ConvertedDocument RunCall(const CommandLineOptions& options, const CallSource& source,
                          ConversionDetails& details);

// Whether the output is UTF-8 text (else bytes of a legacy code page).
bool WritesUtf8(const CommandLineOptions& options);

// The names format= accepts, and the readers' names, in the command line's
// order.
std::vector<std::string> FormatNames();
std::vector<std::string> ReaderKindNames();

} // namespace scrivlet::python
