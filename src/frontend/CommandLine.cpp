#include "frontend/CommandLine.h"

#include "core/CodePage.h"
#include "frontend/BatchRunner.h"
#include "frontend/DocumentConversion.h"
#include "frontend/LineReader.h"
#include "frontend/OutputNames.h"
#include "frontend/ReaderRegistry.h"
#include "writers/JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <utility>

namespace scrivlet {
namespace {

constexpr int kMaxJobs = 256;

constexpr const char* kUsage =
    "Usage: scrivlet [options] FILE...\n"
    "Converts documents (Word, Word XML, WordPerfect, Write, OpenDocument, FictionBook,\n"
    "EPUB, PDF) to text, RTF or HTML.  FILE \"-\" reads standard input.\n"
    "\n"
    "  --format FORMAT          output formatting (default plain): plain, rtf, html (the\n"
    "                           format's own conversion), html5 (a page to read: HTML5\n"
    "                           with headings, lists, tables and notes) or markdown\n"
    "                           (CommonMark with GitHub's tables, strikethrough, notes)\n"
    "  --items LIST             comma-separated subset of text,vba,pictures,summary,hidden,\n"
    "                           notes,headers,comments (default text,summary,notes); summary\n"
    "                           without text prints the summary fields as \"Name: value\"\n"
    "                           lines; notes: the footnotes and endnotes after the text;\n"
    "                           headers (headers and footers) and comments: on the html5 page\n"
    "  --max-length N           keep at most N characters (default 0: no limit)\n"
    "  --max-decoded-bytes N    let one compressed part inflate to N bytes (default 64 MiB;\n"
    "                           a document's parts together to 256 MiB or N)\n"
    "  --max-output N           stop with an error past N output characters (default 64 Mi)\n"
    "  --max-work N             let a document cost N times its size in bytes parsed\n"
    "                           (default 64, at least 64 MiB)\n"
    "  --max-records N          let a document's readers keep N times its size in records\n"
    "                           (default 64, at least 256 MiB)\n"
    "  --raw-control-chars      keep the format's control characters as they are\n"
    "  --password PW            password of an encrypted PDF, Word or OpenDocument file\n"
    "  --reader KIND            force a reader: %READERS%\n"
    "                           (default: told from the content, else from the extension)\n"
    "  --crlf                   plain text keeps CR LF line breaks (default LF)\n"
    "  --json                   one JSON object per document (JSON Lines)\n"
    "  --output-dir DIR         write one file per input into DIR (made when missing),\n"
    "                           named after the input plus .txt, .rtf, .html, .md or .json\n"
    "                           (.2, .3, ... before it when inputs share a name;\n"
    "                           the same path given twice writes one file)\n"
    "  --jobs N                 convert N files at once (default 1)\n"
    "  --files-from FILE        also convert the paths listed in FILE, one per line\n"
    "                           (\"-\": standard input), writing each result as it is done\n"
    "  --help, --version\n"
    "\n"
    "With several files, plain output puts a line \"==> FILE <==\" before each document.\n"
    "\n"
    "Output encoding: text, RTF and HTML in the system code page, UTF-8 unless the\n"
    "environment variable SCRIVLET_CODEPAGE names a Windows code page (1250-1258, 874,\n"
    "932, 936, 949, 950, 1361; 65001 or utf-8 name the default); JSON, html5 and\n"
    "markdown are always UTF-8.\n"
    "\n"
    "Exit status: 0 every document converted, 1 a document failed (its message goes\n"
    "to standard error, or into its JSON object), 2 usage error.\n";

// The usage text with the registry's readers.
std::string UsageText() {
  std::string usage = kUsage;
  const std::string_view placeholder = "%READERS%";
  usage.replace(usage.find(placeholder), placeholder.size(), ReaderNames());
  return usage;
}

constexpr const char* kHelpPointer = "Try 'scrivlet --help' for more information.\n";

// Applies a --format value; false for an unknown one.
bool ApplyFormat(std::string_view value, CommandLineOptions& options) {
  options.formating = OutputFormat::PlainText;
  options.structured = StructuredFormat::None;
  if (value == "rtf")
    options.formating = OutputFormat::Rtf;
  else if (value == "html")
    options.formating = OutputFormat::Html;
  else if (value == "html5")
    options.structured = StructuredFormat::Page;
  else if (value == "markdown")
    options.structured = StructuredFormat::Markdown;
  else
    return value == "plain";
  return true;
}

std::optional<ContentItems> ParseItems(std::string_view list) {
  ContentItems items;
  while (true) {
    size_t comma = list.find(',');
    std::string_view name = list.substr(0, comma);
    if (name == "text")
      items.Include(ContentItem::Text);
    else if (name == "vba")
      items.Include(ContentItem::Macros);
    else if (name == "pictures")
      items.Include(ContentItem::Pictures);
    else if (name == "summary")
      items.Include(ContentItem::Summary);
    else if (name == "hidden")
      items.Include(ContentItem::HiddenText);
    else if (name == "notes")
      items.Include(ContentItem::Notes);
    else if (name == "headers")
      items.Include(ContentItem::HeadersFooters);
    else if (name == "comments")
      items.Include(ContentItem::Comments);
    else if (!name.empty())
      return std::nullopt;
    if (comma == std::string_view::npos)
      return items;
    list.remove_prefix(comma + 1);
  }
}

std::optional<int32_t> ParseInt(std::string_view text) {
  int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

// A count of at least 1.
std::optional<uint64_t> ParseCount(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0)
    return std::nullopt;
  return value;
}

// Applies one option that takes a value; returns an error text or "".
std::string ApplyValueOption(const std::string& name, const std::string& value,
                             CommandLineOptions& options) {
  if (name == "--format") {
    if (!ApplyFormat(value, options))
      return "--format must be plain, rtf, html, html5 or markdown";
  } else if (name == "--items") {
    auto items = ParseItems(value);
    if (!items)
      return "--items takes a comma-separated subset of "
             "text,vba,pictures,summary,hidden,notes,headers,comments";
    options.items = *items;
  } else if (name == "--max-length") {
    auto length = ParseInt(value);
    if (!length || *length < 0)
      return "--max-length takes a whole number, 0 or more";
    options.maxLength = *length;
  } else if (name == "--max-decoded-bytes") {
    auto bytes = ParseCount(value);
    if (!bytes)
      return "--max-decoded-bytes takes a positive whole number";
    options.limits.decodedBytesPerStream = *bytes;
    options.limits.decodedBytesPerDocument =
        std::max(*bytes, options.limits.decodedBytesPerDocument);
  } else if (name == "--max-output") {
    auto characters = ParseCount(value);
    if (!characters)
      return "--max-output takes a positive whole number";
    options.limits.outputCharacters = *characters;
  } else if (name == "--max-work" || name == "--max-records") {
    auto times = ParseCount(value);
    if (!times || *times > (uint64_t{1} << 32))
      return std::string(name) + " takes a positive whole number (times the document's size)";
    (name == "--max-work" ? options.limits.workPerInputByte : options.limits.memoryPerInputByte) =
        *times;
  } else if (name == "--password") {
    options.password = value;
  } else if (name == "--reader") {
    if (ReaderByName(value) == nullptr)
      return "--reader must be one of " + ReaderNames();
    options.readerName = value;
  } else if (name == "--output-dir") {
    if (value.empty())
      return "--output-dir needs a directory name";
    options.outputDir = value;
  } else if (name == "--jobs") {
    auto jobs = ParseInt(value);
    if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
      return "--jobs takes a number from 1 to " + std::to_string(kMaxJobs);
    options.jobs = *jobs;
  } else if (name == "--files-from") {
    if (value.empty())
      return "--files-from needs a file name or \"-\"";
    options.filesFrom = value;
  }
  return {};
}

bool TakesValue(const std::string& name) {
  return name == "--format" || name == "--items" || name == "--max-length" ||
         name == "--max-decoded-bytes" || name == "--max-output" || name == "--max-work" ||
         name == "--max-records" || name == "--password" || name == "--reader" ||
         name == "--output-dir" || name == "--jobs" || name == "--files-from";
}

// Options without a value; false for an unknown name.
bool ApplyFlag(const std::string& name, CommandLineOptions& options) {
  if (name == "--raw-control-chars")
    options.rawControlChars = true;
  else if (name == "--json")
    options.json = true;
  else if (name == "--crlf")
    options.crlf = true;
  else if (name == "--help" || name == "-h")
    options.help = true;
  else if (name == "--version")
    options.version = true;
  else
    return false;
  return true;
}

// Checks what only the whole command line shows; returns an error or "".
std::string CheckCombination(const CommandLineOptions& options) {
  if (options.help || options.version)
    return {};
  if (options.files.empty() && options.filesFrom.empty())
    return "no FILE given";
  size_t standardInputs = std::count(options.files.begin(), options.files.end(), "-");
  if (options.filesFrom == "-")
    ++standardInputs;
  if (standardInputs > 1)
    return "standard input (\"-\") can be read only once";
  return {};
}

bool WriteOutputFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

// The inputs: the files named on the command line, then the lines of the
// --files-from list as they come (empty lines skipped, a CR before the LF
// dropped).
class InputList {
public:
  InputList(const CommandLineOptions& options, const CommandLineStreams& streams)
      : FFiles(options.files) {
    if (options.filesFrom.empty())
      return;
    if (options.filesFrom == "-") {
      FReadLine = streams.readInputLine;
      FLineWait = streams.inputLineWait;
      return;
    }
    // A list may be a pipe too (--files-from <(find ...)).
    FList = std::make_unique<ListFile>(options.filesFrom);
    if (FList->fd < 0)
      return;
    FReader = std::make_unique<LineReader>(FList->fd);
    FReadLine = [this] { return FReader->Next(); };
    FLineWait = [this] { return FReader->WaitDescriptor(); };
  }

  bool ListUnreadable() const { return FList && FList->fd < 0; }

  std::optional<std::string> Next() {
    if (FNextFile < FFiles.size())
      return FFiles[FNextFile++];
    if (FPending)
      return std::exchange(FPending, std::nullopt);
    while (FReadLine && !FListEnded) {
      std::optional<std::string> line = NextListLine();
      if (!line)
        return std::nullopt;
      if (!line->empty())
        return line;
    }
    return std::nullopt;
  }

  // The descriptor to wait on before Next() answers without blocking, or
  // -1: lines already come are taken in, empty ones skipped.
  int Wait() {
    if (FNextFile < FFiles.size() || FPending || !FReadLine || !FLineWait || FListEnded)
      return -1;
    while (true) {
      int fd = FLineWait();
      if (fd >= 0)
        return fd;
      std::optional<std::string> line = NextListLine();
      if (!line) {
        FListEnded = true;
        return -1;
      }
      if (!line->empty()) {
        FPending = std::move(line);
        return -1;
      }
    }
  }

private:
  struct ListFile {
    explicit ListFile(const std::string& path) : fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ListFile() {
      if (fd >= 0)
        close(fd);
    }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;
    int fd;
  };

  std::optional<std::string> NextListLine() {
    std::optional<std::string> line = FReadLine();
    if (line && !line->empty() && line->back() == '\r')
      line->pop_back();
    return line;
  }

  const std::vector<std::string>& FFiles;
  size_t FNextFile = 0;
  std::unique_ptr<ListFile> FList;
  std::unique_ptr<LineReader> FReader;
  std::function<std::optional<std::string>()> FReadLine;
  std::function<int()> FLineWait;
  std::optional<std::string> FPending;
  bool FListEnded = false;
};

// The "done/total, failures, rate" line on a terminal's standard error.
class ProgressLine {
public:
  ProgressLine(const CommandLineStreams& streams, std::optional<size_t> total, bool shown)
      : FStreams(streams), FTotal(total), FShown(shown), FStart(std::chrono::steady_clock::now()) {}

  void Update(const BatchCounts& counts) {
    if (!FShown)
      return;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    char line[160];
    std::snprintf(line, sizeof line, "\r\x1b[K%zu/%s done, %zu failed, %.1f files/s", counts.done,
                  FTotal ? std::to_string(*FTotal).c_str() : "?", counts.failed,
                  seconds > 0 ? static_cast<double>(counts.done) / seconds : 0.0);
    FStreams.err(line);
    FVisible = true;
  }

  // Clears the line before other text goes to standard error.
  void Clear() {
    if (FVisible)
      FStreams.err("\r\x1b[K");
    FVisible = false;
  }

  void Finish() {
    if (FVisible)
      FStreams.err("\n");
    FVisible = false;
  }

private:
  const CommandLineStreams& FStreams;
  std::optional<size_t> FTotal;
  bool FShown;
  bool FVisible = false;
  std::chrono::steady_clock::time_point FStart;
};

int RunConversions(const CommandLineOptions& options, const CommandLineStreams& streams) {
  if (!options.outputDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.outputDir, error);
    if (error || !std::filesystem::is_directory(options.outputDir)) {
      streams.err("scrivlet: cannot create the directory " + options.outputDir + "\n");
      return 1;
    }
  }
  InputList inputs(options, streams);
  if (inputs.ListUnreadable()) {
    streams.err("scrivlet: cannot read the list " + options.filesFrom + "\n");
    return 1;
  }
  bool many = options.files.size() > 1 || !options.filesFrom.empty();
  std::string standardInput;
  bool readsStandardInput =
      std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
  if (readsStandardInput)
    standardInput = streams.readStandardInput();

  std::optional<size_t> total;
  if (options.filesFrom.empty())
    total = options.files.size();
  ProgressLine progress(streams, total, many && streams.progressOnErr);
  bool first = true;
  size_t writeFailures = 0;
  OutputNames outputNames(options.outputDir, OutputExtension(options));
  auto sink = [&](const std::string& input, const ConvertedDocument& converted) {
    ConvertedDocument result = converted;
    if (options.json && result.failed && result.output.empty())
      result.output = JsonFailure(input, result.error, options.codePage); // a line for every input
    bool written = true;
    // Standard output may be the terminal that shows the progress line:
    // the line goes before a result is written, and comes back after it.
    if (options.outputDir.empty())
      progress.Clear();
    if (!options.outputDir.empty()) {
      if (!result.failed || options.json)
        written = WriteOutputFile(outputNames.PathFor(input), result.output);
    } else if (many && !options.json) {
      streams.out((first ? "==> " : "\n==> ") + input + " <==\n");
      streams.out(result.output);
    } else {
      streams.out(result.output);
    }
    first = false;
    if (!written)
      ++writeFailures;
    if (result.failed || !written) {
      progress.Clear();
      std::string message = written ? result.error : "cannot write " + outputNames.PathFor(input);
      streams.err(many ? "scrivlet: " + input + ": " + message + "\n" : message + "\n");
    }
  };
  auto convert = [&](const std::string& input) {
    return ConvertDocument(options, input, standardInput);
  };
  auto next = [&]() {
    std::optional<std::string> input = inputs.Next();
    if (input && !options.outputDir.empty())
      outputNames.PathFor(*input); // named in the order given
    return input;
  };
  BatchCounts counts = RunBatch(
      next, options.jobs, convert, sink, [&](const BatchCounts& soFar) { progress.Update(soFar); },
      [&] { return inputs.Wait(); });
  progress.Finish();
  return counts.failed > 0 || writeFailures > 0 ? 1 : 0;
}

} // namespace

std::optional<CommandLineOptions> ParseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error) {
  CommandLineOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      options.files.insert(options.files.end(), args.begin() + static_cast<ptrdiff_t>(i) + 1,
                           args.end());
      break;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::string name = arg, value;
      bool inlineValue = false;
      if (size_t equals = arg.find('='); equals != std::string::npos) {
        name = arg.substr(0, equals);
        value = arg.substr(equals + 1);
        inlineValue = true;
      }
      if (TakesValue(name)) {
        if (!inlineValue) {
          if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return std::nullopt;
          }
          value = args[++i];
        }
        error = ApplyValueOption(name, value, options);
        if (!error.empty())
          return std::nullopt;
      } else if (inlineValue && ApplyFlag(name, options)) {
        error = name + " takes no value";
        return std::nullopt;
      } else if (inlineValue || !ApplyFlag(name, options)) {
        error = "unknown option " + name;
        return std::nullopt;
      }
      continue;
    }
    options.files.push_back(arg);
  }
  error = CheckCombination(options);
  if (!error.empty())
    return std::nullopt;
  return options;
}

int RunCommandLine(const std::vector<std::string>& args, const CommandLineStreams& streams) {
  std::string error;
  auto options = ParseCommandLine(args, error);
  if (!options) {
    streams.err("scrivlet: " + error + "\n" + kHelpPointer);
    return 2;
  }
  if (options->help) {
    streams.out(UsageText());
    return 0;
  }
  if (options->version) {
    streams.out("scrivlet " SCRIVLET_VERSION "\n");
    return 0;
  }
  // The host's code page, read once: every conversion gets it from the
  // options.
  if (const char* setting = std::getenv("SCRIVLET_CODEPAGE")) {
    std::optional<int> codePage = ParseCodePageSetting(setting);
    if (!codePage) {
      streams.err(std::string("scrivlet: SCRIVLET_CODEPAGE=") + setting +
                  " names no supported code page (utf-8, 65001, 1250-1258, 874, 932, 936, 949, "
                  "950, 1361)\n");
      return 2;
    }
    options->codePage = *codePage;
  }
  SetSystemCodePage(options->codePage);
  // Every failure, running out of memory included, is a message and exit
  // status 1, never an abort.
  try {
    return RunConversions(*options, streams);
  } catch (const std::bad_alloc&) {
    streams.err("scrivlet: Out of memory\n");
  } catch (const std::exception& error) {
    streams.err(std::string("scrivlet: ") + error.what() + "\n");
  }
  return 1;
}

int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err,
                   const std::string& standardInput) {
  size_t lineStart = 0;
  CommandLineStreams streams;
  streams.out = [&](std::string_view text) { out += text; };
  streams.err = [&](std::string_view text) { err += text; };
  streams.readStandardInput = [&]() { return standardInput; };
  streams.readInputLine = [&]() -> std::optional<std::string> {
    if (lineStart >= standardInput.size())
      return std::nullopt;
    size_t end = standardInput.find('\n', lineStart);
    if (end == std::string::npos)
      end = standardInput.size();
    std::string line = standardInput.substr(lineStart, end - lineStart);
    lineStart = end + 1;
    return line;
  };
  return RunCommandLine(args, streams);
}

} // namespace scrivlet
