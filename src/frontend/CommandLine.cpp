#include "frontend/CommandLine.h"

#include "core/CodePage.h"
#include "core/Markup.h"
#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "core/StoryLists.h"
#include "frontend/ReaderTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdio>

namespace scrivlet {
namespace {

constexpr const char* kUsage =
    "Usage: scrivlet [options] FILE\n"
    "Converts a document to text, RTF or HTML.\n"
    "\n"
    "  --format plain|rtf|html  output formatting (default plain)\n"
    "  --items LIST             comma-separated subset of text,vba,pictures,summary,hidden\n"
    "                           (default text,summary)\n"
    "  --max-length N           keep at most N characters (default 0: no limit)\n"
    "  --max-decoded-bytes N    let one compressed part inflate to N bytes (default 64 MiB;\n"
    "                           a document's parts together to 256 MiB or N)\n"
    "  --max-output N           stop with an error past N output characters (default 64 Mi)\n"
    "  --raw-control-chars      keep the format's control characters as they are\n"
    "  --password PW            password of an encrypted PDF\n"
    "  --reader KIND            force a reader: doc, docx, wpd, wri, odt, odp, fb2, epub, pdf\n"
    "  --json                   print one JSON object instead of the text\n"
    "  --help, --version\n";

constexpr const char* kOutOfMemory = "Out of memory";

std::optional<OutputFormat> ParseFormating(std::string_view value) {
  if (value == "plain")
    return OutputFormat::PlainText;
  if (value == "rtf")
    return OutputFormat::Rtf;
  if (value == "html")
    return OutputFormat::Html;
  return std::nullopt;
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
    auto formating = ParseFormating(value);
    if (!formating)
      return "--format must be plain, rtf or html";
    options.formating = *formating;
  } else if (name == "--items") {
    auto items = ParseItems(value);
    if (!items)
      return "--items takes a comma-separated subset of text,vba,pictures,summary,hidden";
    options.items = *items;
  } else if (name == "--max-length") {
    auto length = ParseInt(value);
    if (!length)
      return "--max-length takes a whole number";
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
  } else if (name == "--password") {
    options.password = value;
  } else if (name == "--reader") {
    if (ReaderByName(value) == nullptr)
      return "--reader must be one of doc, docx, wpd, wri, odt, odp, fb2, epub, pdf";
    options.readerName = value;
  }
  return {};
}

bool TakesValue(const std::string& name) {
  return name == "--format" || name == "--items" || name == "--max-length" ||
         name == "--max-decoded-bytes" || name == "--max-output" || name == "--password" ||
         name == "--reader";
}

void AppendEscape(std::string& out, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", value);
  out += buffer;
}

std::string JsonAnsiString(std::string_view bytes) {
  return JsonString(AnsiToWide(bytes));
}

std::u16string AsciiText(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::string JsonLines(const TextLines& lines) {
  std::string out = "[";
  for (int i = 0; i < lines.Count(); ++i) {
    if (i > 0)
      out += ", ";
    out += JsonString(lines.Get(i));
  }
  return out + "]";
}

} // namespace

std::string JsonSummary(const DocumentSummary* summary) {
  if (summary == nullptr)
    return "null";
  std::string out = "{";
  for (const auto& property : DocumentSummary::Properties()) {
    if (out.size() > 1)
      out += ", ";
    out += std::string("\"") + property.name + "\": ";
    if (auto* text = std::get_if<std::string DocumentSummary::*>(&property.field)) {
      out += JsonAnsiString(summary->*(*text));
    } else if (auto* number = std::get_if<int32_t DocumentSummary::*>(&property.field)) {
      out += std::to_string(summary->*(*number));
    } else {
      double date = summary->*std::get<OleDate DocumentSummary::*>(property.field);
      char buffer[32];
      auto result = std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(date) ? date : 0.0);
      out.append(buffer, result.ptr);
    }
  }
  return out + "}";
}

namespace {

// The story lists of the Word readers; null for the others.
std::string JsonStories(const DocumentReader& reader) {
  const StoryLists* stories = reader.Stories();
  if (stories == nullptr)
    return "null";
  return "{\"footnotes\": " + JsonLines(stories->Footnotes) +
         ", \"headers\": " + JsonLines(stories->Headers) +
         ", \"footers\": " + JsonLines(stories->Footers) +
         ", \"comments\": " + JsonLines(stories->Comments) +
         ", \"endnotes\": " + JsonLines(stories->Endnotes) +
         ", \"textboxes\": " + JsonLines(stories->TextBoxes) +
         ", \"macros\": " + JsonLines(stories->Macros) + "}";
}

// The macro listing that follows the text when macros were asked for: the
// Word readers' macro list; empty for the other readers.
std::u16string MacroListing(const CommandLineOptions& options, const DocumentReader& reader) {
  const StoryLists* stories = reader.Stories();
  if (stories == nullptr || !options.items.Contains(ContentItem::Macros))
    return {};
  return stories->Macros.GetTextW();
}

struct ConversionResult {
  const char* kind = "";
  std::string error;
  bool failed = false;
  bool encrypted = false;
};

ConversionResult Convert(const CommandLineOptions& options, const ReaderKind& kind,
                         DocumentReader& reader) {
  ConversionResult result;
  result.kind = kind.name;
  reader.SetFileName(options.fileName);
  reader.SetTextFormating(options.formating);
  reader.SetParseItems(options.items);
  reader.SetMaxTextLength(options.maxLength);
  reader.SetConvertSysCharacters(!options.rawControlChars);
  reader.SetPassword(options.password);
  try {
    reader.LoadFromFile(options.fileName);
  } catch (const std::bad_alloc&) {
    result.failed = true;
    result.error = kOutOfMemory;
  } catch (const std::exception& error) {
    result.failed = true;
    result.error = error.what();
  }
  try {
    result.encrypted = reader.IsEncrypted();
  } catch (const std::exception&) {
    result.encrypted = false;
  }
  return result;
}

std::string JsonObject(const DocumentReader& reader, const ConversionResult& result) {
  std::string out = "{\"reader\": " + JsonString(AsciiText(result.kind));
  out += ", \"lines\": " + JsonLines(reader.Lines());
  out += ", \"summary\": " + JsonSummary(reader.SummaryInformation());
  out += ", \"stories\": " + JsonStories(reader);
  out += std::string(", \"encrypted\": ") + (result.encrypted ? "true" : "false");
  out += ", \"error\": " + (result.failed ? JsonAnsiString(result.error) : "null");
  return out + "}\n";
}

} // namespace

std::optional<CommandLineOptions> ParseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error) {
  CommandLineOptions options;
  bool fileSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--") {
      if (i + 2 != args.size() || fileSeen) {
        error = "exactly one FILE is expected";
        return std::nullopt;
      }
      options.fileName = args[i + 1];
      fileSeen = true;
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
      } else if (inlineValue) {
        error = name + " takes no value";
        return std::nullopt;
      } else if (name == "--raw-control-chars") {
        options.rawControlChars = true;
      } else if (name == "--json") {
        options.json = true;
      } else if (name == "--help" || name == "-h") {
        options.help = true;
      } else if (name == "--version") {
        options.version = true;
      } else {
        error = "unknown option " + name;
        return std::nullopt;
      }
      continue;
    }
    if (fileSeen) {
      error = "exactly one FILE is expected";
      return std::nullopt;
    }
    options.fileName = arg;
    fileSeen = true;
  }
  if (!fileSeen && !options.help && !options.version) {
    error = "no FILE given";
    return std::nullopt;
  }
  return options;
}

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool highSurrogate = c >= 0xD800 && c <= 0xDBFF;
    bool paired =
        highSurrogate && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (c == u'"') {
      out += "\\\"";
    } else if (c == u'\\') {
      out += "\\\\";
    } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF && !paired)) {
      AppendEscape(out, c);
    } else if (paired) {
      out += WideToUtf8(text.substr(i, 2));
      ++i;
    } else {
      out += WideToUtf8(text.substr(i, 1));
    }
  }
  return out + "\"";
}

int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err) {
  std::string error;
  auto options = ParseCommandLine(args, error);
  if (!options) {
    err += "scrivlet: " + error + "\n" + kUsage;
    return 2;
  }
  if (options->help) {
    out += kUsage;
    return 0;
  }
  if (options->version) {
    out += "scrivlet " SCRIVLET_VERSION "\n";
    return 0;
  }
  if (const char* setting = std::getenv("SCRIVLET_CODEPAGE");
      setting != nullptr && !ParseCodePageSetting(setting)) {
    err += std::string("scrivlet: SCRIVLET_CODEPAGE=") + setting +
           " names no supported code page (utf-8, 65001, 1250-1258, 874, 932, 936, 949, 950, "
           "1361)\n";
    return 2;
  }
  // Every failure, running out of memory included, is a message and exit
  // status 1: also the output's joining and encoding can fail.
  try {
    const ReaderKind& kind = options->readerName.empty() ? ReaderForFileName(options->fileName)
                                                         : *ReaderByName(options->readerName);
    std::unique_ptr<DocumentReader> reader = kind.create();
    reader->SetResourceLimits(options->limits);
    ConversionResult result = Convert(*options, kind, *reader);
    if (options->json) {
      out += JsonObject(*reader, result);
    } else {
      // The bytes of the system code page, so that an HTML prologue's charset
      // matches them; RTF is ASCII with \uN escapes whatever the code page.
      std::u16string text = reader->Lines().GetTextW() + MacroListing(*options, *reader);
      out += options->formating == OutputFormat::Rtf ? RtfUnicodeText(text) : WideToAnsi(text);
      if (result.failed)
        err += WideToUtf8(AnsiToWide(result.error)) + "\n";
    }
    return result.failed ? 1 : 0;
  } catch (const std::bad_alloc&) {
    out.clear();
    out.shrink_to_fit();
    err += std::string("scrivlet: ") + kOutOfMemory + "\n";
  } catch (const std::exception& error) {
    err += std::string("scrivlet: ") + error.what() + "\n";
  }
  return 1;
}

} // namespace scrivlet
