#include "frontend/DocumentConversion.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "core/Process.h"
#include "frontend/Conversion.h"
#include "frontend/ReaderRegistry.h"
#include "writers/JsonWriter.h"
#include "writers/MarkdownWriter.h"
#include "writers/Markup.h"
#include "writers/PageWriter.h"

#include <cerrno>
#include <sys/stat.h>

namespace scrivlet {
namespace {

// The whole regular file, or nothing when it cannot be read: only to tell
// its format (the conversion reports a file it cannot read in its own
// words; a FIFO is never opened).
std::string ReadFileBytes(const std::string& fileName) {
  if (!FileExists(fileName))
    return {};
  try {
    return ReadDocumentFile(fileName);
  } catch (const Exception&) {
    return {};
  }
}

// Whether no file system entry has this name (as opposed to one that
// cannot be read).
bool NothingAt(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) != 0 && errno == ENOENT;
}

std::u16string PlainSummaryValue(const DocumentSummary& summary,
                                 const DocumentSummary::Property& property) {
  if (auto* text = std::get_if<std::u16string DocumentSummary::*>(&property.field))
    return summary.*(*text);
  if (auto* number = std::get_if<int32_t DocumentSummary::*>(&property.field)) {
    int32_t value = summary.*(*number);
    return value == 0 ? std::u16string() : AnsiToWide(std::to_string(value), CP_UTF8);
  }
  std::string date = JsonDate(summary.*std::get<OleDate DocumentSummary::*>(property.field));
  if (date == "null")
    return {};
  return AnsiToWide(std::string_view(date).substr(1, date.size() - 2), CP_UTF8);
}

// One piece of output as the bytes it is written in: LF line breaks in
// plain text unless --crlf; the host's code page, so that an HTML
// prologue's charset matches; RTF is ASCII with \uN escapes whatever the
// code page.
std::string Encoded(const CommandLineOptions& options, std::u16string& text) {
  if (options.formating == OutputFormat::PlainText && !options.crlf)
    ToLineFeeds(text);
  return options.formating == OutputFormat::Rtf ? RtfUnicodeText(text)
                                                : WideToAnsi(text, options.codePage);
}

// Each entry followed by CR LF, written entry by entry and freed as it
// goes, so that a long text is not held twice more as one string.
void AppendLines(const CommandLineOptions& options, TextLines& lines, std::string& out) {
  for (int i = 0; i < lines.Count(); ++i) {
    std::u16string& entry = lines.Entry(i);
    entry += u"\r\n";
    out += Encoded(options, entry);
    std::u16string().swap(entry);
  }
}

std::string PlainOutput(const CommandLineOptions& options, const Conversion& conversion,
                        DescribedText& described) {
  std::string out;
  const DocumentSummary* summary = SummaryOf(conversion);
  if (!options.items.Contains(ContentItem::Text) && options.items.Contains(ContentItem::Summary) &&
      options.formating == OutputFormat::PlainText) {
    if (summary != nullptr) {
      std::u16string text = SummaryText(*summary);
      out = Encoded(options, text);
    }
  } else {
    AppendLines(options, described.lines, out);
  }
  // The headers and footers, the comments and the macro listing follow the
  // text, each when it was asked for.
  if (described.stories) {
    StoryLists& stories = *described.stories;
    if (options.items.Contains(ContentItem::HeadersFooters)) {
      AppendLines(options, stories.Headers, out);
      AppendLines(options, stories.Footers, out);
    }
    if (options.items.Contains(ContentItem::Comments))
      AppendLines(options, stories.Comments, out);
    if (options.items.Contains(ContentItem::Macros))
      AppendLines(options, stories.Macros, out);
  }
  return out;
}

DescribedOutputOptions OutputOptions(const CommandLineOptions& options) {
  DescribedOutputOptions output;
  output.format = options.formating;
  output.maxTextLength = options.maxLength;
  output.convertControlCharacters = !options.rawControlChars;
  output.codePage = options.codePage;
  output.notes = options.items.Contains(ContentItem::Notes);
  // Only the RTF prologue carries a time: plain text and HTML never read
  // the clock or the time zone.
  if (options.formating == OutputFormat::Rtf)
    output.created = NowFields();
  return output;
}

// Frees the stories of a document that has been written (its summary
// stays).
void ReleaseText(Document& document) {
  std::vector<Story>().swap(document.stories);
}

// The page or the Markdown of the document, in UTF-8 whatever the host's
// code page: the page declares UTF-8, and Markdown tools read nothing else.
std::string StructuredOutput(const CommandLineOptions& options, const std::string& input,
                             const Document& document) {
  const ContentItems& items = options.items;
  if (options.structured == StructuredFormat::Markdown) {
    MarkdownOptions markdown;
    markdown.summary = items.Contains(ContentItem::Summary);
    markdown.notes = items.Contains(ContentItem::Notes);
    markdown.macros = items.Contains(ContentItem::Macros);
    markdown.maxTextLength = options.maxLength;
    markdown.outputCharacters = options.limits.outputCharacters;
    return MarkdownDocument(document, markdown);
  }
  PageOptions page;
  page.fileName = input == "-" ? u"stdin" : AnsiToWide(input, options.codePage);
  page.summary = items.Contains(ContentItem::Summary);
  page.notes = items.Contains(ContentItem::Notes);
  page.macros = items.Contains(ContentItem::Macros);
  page.headers = items.Contains(ContentItem::HeadersFooters);
  page.comments = items.Contains(ContentItem::Comments);
  page.maxTextLength = options.maxLength;
  return PageDocument(document, page);
}

// A failure before any reader: the message, and a JSON object with no
// reader.
ConvertedDocument Refused(const CommandLineOptions& options, const std::string& input,
                          const std::string& message, FailureKind failure,
                          ConversionDetails* details) {
  if (details != nullptr) {
    details->failure = failure;
    details->readerName.clear();
    details->summary = "null";
  }
  ConvertedDocument result;
  result.failed = true;
  result.error = WideToUtf8(AnsiToWide(message, options.codePage));
  if (options.json)
    result.output = JsonFailure(input, result.error, options.codePage);
  return result;
}

} // namespace

std::u16string SummaryText(const DocumentSummary& summary) {
  std::u16string text;
  for (const auto& property : DocumentSummary::Properties()) {
    std::u16string value = PlainSummaryValue(summary, property);
    if (value.empty())
      continue;
    text += AnsiToWide(property.name, CP_UTF8);
    text += u": ";
    text += value;
    text += u'\n';
  }
  return text;
}

const char* OutputExtension(const CommandLineOptions& options) {
  if (options.json)
    return ".json";
  if (options.structured == StructuredFormat::Page)
    return ".html";
  if (options.structured == StructuredFormat::Markdown)
    return ".md";
  switch (options.formating) {
  case OutputFormat::Rtf: return ".rtf";
  case OutputFormat::Html: return ".html";
  default: return ".txt";
  }
}

ConvertedDocument ConvertDocument(const CommandLineOptions& options, const std::string& input,
                                  const std::string& standardInput, ConversionDetails* details) {
  const bool fromStandardInput = input == "-";
  std::string fileBytes;
  if (!fromStandardInput)
    fileBytes = ReadFileBytes(input);
  const std::string& bytes = fromStandardInput ? standardInput : fileBytes;
  // A directory, or content that no format claims under a name whose
  // extension names none, is no document for any reader to refuse in its
  // own words (the Word reader's "not valid MS Word document" for a text
  // file said the wrong thing).
  if (!fromStandardInput && IsDirectory(input))
    return Refused(options, input, input + " is a directory", FailureKind::FileUnreadable, details);
  if (options.readerName.empty() && ReadersBySignature(bytes).empty() &&
      ReaderNamedByExtension(input) == nullptr) {
    // A name that nothing answers to is missing, not of an unknown format.
    if (!fromStandardInput && NothingAt(input))
      return Refused(options, input, Format("File %s is not found.", {input}),
                     FailureKind::FileNotFound, details);
    return Refused(options, input,
                   input + ": unrecognised format (not " + ReaderNamesAsAlternatives() + ")",
                   FailureKind::UnsupportedFormat, details);
  }
  const ReaderKind& kind =
      !options.readerName.empty() ? *ReaderByName(options.readerName) : DetectReader(bytes, input);
  ReaderOptions readerOptions = OptionsForCodePage(options.codePage);
  readerOptions.items = options.items;
  readerOptions.convertControlCharacters = !options.rawControlChars;
  readerOptions.password = options.password;
  readerOptions.limits = options.limits;
  // A file is read once; one that could not be read is read again by the
  // conversion only to give its message.
  Conversion conversion = fromStandardInput || !fileBytes.empty()
                              ? Convert(bytes, input, kind, readerOptions)
                              : ConvertFile(input, kind, readerOptions);
  if (details != nullptr) {
    details->failure = FailureOf(conversion, bytes, !options.password.empty());
    if (!conversion.read && !fromStandardInput && NothingAt(input))
      details->failure = FailureKind::FileNotFound;
    details->readerName = conversion.read ? kind.name : "";
    if (details->summaryWanted)
      details->summary = JsonSummary(SummaryOf(conversion));
  }
  std::string().swap(fileBytes); // the document holds what it needs
  ConvertedDocument result;
  result.failed = conversion.failed;
  if (conversion.failed)
    result.error = WideToUtf8(AnsiToWide(conversion.error, options.codePage));
  // The structured writers read the document itself: no described output.
  // A document that failed gives no page and no Markdown, as it gives no
  // plain text: its message goes to standard error.
  if (!options.json && options.structured != StructuredFormat::None) {
    if (!conversion.failed)
      result.output = StructuredOutput(options, input, conversion.document);
    return result;
  }
  DescribedText described = Describe(conversion, OutputOptions(options));
  if (options.json) {
    JsonConversion json;
    json.file = input;
    json.readerName = kind.name;
    json.encrypted = conversion.encrypted;
    json.failed = conversion.failed;
    json.error = conversion.error;
    json.codePage = options.codePage;
    json.rtf = options.formating == OutputFormat::Rtf;
    json.notes = options.items.Contains(ContentItem::Notes);
    json.maxTextLength = options.maxLength;
    result.output = JsonDocument(conversion.document, described.lines, SummaryOf(conversion),
                                 described.stories ? &*described.stories : nullptr, json);
  } else {
    ReleaseText(conversion.document); // the described lines hold it now
    result.output = PlainOutput(options, conversion, described);
  }
  return result;
}

} // namespace scrivlet
