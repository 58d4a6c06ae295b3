#include "ConversionCall.h"

#include "core/CodePage.h"
#include "frontend/ReaderRegistry.h"

#include <new>

namespace scrivlet::python {

std::optional<CommandLineOptions> OptionsFor(const CallSettings& settings, std::string& error) {
  // Values go inline ("--password=...") and the file after "--", so that
  // no value is taken for an option.
  std::vector<std::string> args;
  args.push_back("--format=" +
                 (settings.format == "text" ? std::string("plain") : settings.format));
  if (settings.items)
    args.push_back("--items=" + *settings.items);
  if (settings.password)
    args.push_back("--password=" + *settings.password);
  if (settings.maxLength)
    args.push_back("--max-length=" + *settings.maxLength);
  if (settings.reader)
    args.push_back("--reader=" + *settings.reader);
  if (settings.json)
    args.push_back("--json");
  args.push_back("--");
  args.push_back("document");
  std::optional<CommandLineOptions> options = ParseCommandLine(args, error);
  if (!options)
    return std::nullopt;
  options->files.clear();
  if (settings.codePage) {
    std::optional<int> codePage = ParseCodePageSetting(*settings.codePage);
    if (!codePage) {
      error = "code_page " + *settings.codePage +
              " names no supported code page (utf-8, 65001, 1250-1258, 874, 932, 936, 949, 950, "
              "1361)";
      return std::nullopt;
    }
    options->codePage = *codePage;
  }
  return options;
}

ConvertedDocument RunCall(const CommandLineOptions& options, const CallSource& source,
                          ConversionDetails& details) {
  ConvertedDocument failed;
  failed.failed = true;
  try {
    return source.inMemory ? ConvertDocument(options, "-", source.data, &details)
                           : ConvertDocument(options, source.path, {}, &details);
  } catch (const std::bad_alloc&) {
    // Joining or encoding the output can run out of memory too.
    failed.error = "Out of memory";
    details.failure = FailureKind::LimitExceeded;
  } catch (const std::exception& error) {
    failed.error = error.what();
    details.failure = FailureKind::DamagedDocument;
  }
  return failed;
}

bool WritesUtf8(const CommandLineOptions& options) {
  return options.json || options.structured != StructuredFormat::None ||
         options.codePage == CP_UTF8;
}

std::vector<std::string> FormatNames() {
  return {"text", "plain", "rtf", "html", "html5", "markdown"};
}

std::vector<std::string> ReaderKindNames() {
  std::vector<std::string> names;
  const std::string list = ReaderNames();
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = list.find(", ", start);
    if (comma == std::string::npos)
      comma = list.size();
    names.push_back(list.substr(start, comma - start));
    start = comma + 2;
  }
  return names;
}

} // namespace scrivlet::python
