// The command-line converter: the same conversions as the CGI page, with
// every reader option, a JSON view for scripts and batches of files.
#pragma once

#include "core/Limits.h"
#include "core/ReaderOptions.h"
#include "writers/Markup.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// The writers of the document's structure, which take the place of the
// described output: the document page (HTML5) and Markdown.
enum class StructuredFormat : uint8_t { None, Page, Markdown };

struct CommandLineOptions {
  OutputFormat formating = OutputFormat::PlainText;
  StructuredFormat structured = StructuredFormat::None;
  ContentItems items{ContentItem::Text, ContentItem::Summary, ContentItem::Notes};
  int32_t maxLength = 0;
  Limits limits; // the reader's resource limits, as raised by options
  bool rawControlChars = false;
  std::string password;
  std::string readerName; // empty: told from the content
  bool json = false;
  bool crlf = false;     // plain text keeps the list's CR LF line breaks
  std::string outputDir; // empty: standard output
  int jobs = 1;
  std::string filesFrom; // a list of paths, one per line ("-": standard input)
  bool help = false;
  bool version = false;
  std::vector<std::string> files; // "-": standard input
  // The code page of plain, RTF and HTML output and of file names:
  // SCRIVLET_CODEPAGE, read once by the program, else UTF-8.
  int codePage = 65001;
};

// Parses the arguments after the program name.  On a usage error returns
// nothing and sets error (one line, no line break).
std::optional<CommandLineOptions> ParseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error);

// Where the program's input and output go.
struct CommandLineStreams {
  std::function<void(std::string_view)> out;
  std::function<void(std::string_view)> err;
  std::function<std::string()> readStandardInput;            // all of it
  std::function<std::optional<std::string>()> readInputLine; // one line, without its LF
  // When set: -1 when readInputLine answers at once, else the descriptor to
  // poll before it does (see LineReader).
  std::function<int()> inputLineWait;
  bool progressOnErr = false; // standard error is a terminal
};

// Runs the program; returns the exit status: 0 every document converted,
// 1 a document failed, 2 usage error.
int RunCommandLine(const std::vector<std::string>& args, const CommandLineStreams& streams);

// The same with standard output and error collected in strings and
// standardInput as standard input.
int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err,
                   const std::string& standardInput = {});

} // namespace scrivlet
