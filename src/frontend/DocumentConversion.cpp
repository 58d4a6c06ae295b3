#include "frontend/DocumentConversion.h"

#include "core/Exception.h"

#include "core/Process.h"

#include "core/CodePage.h"
#include "core/DocumentSummary.h"
#include "core/Markup.h"
#include "core/StoryLists.h"
#include "core/Stream.h"
#include "core/Utf8.h"
#include "frontend/ContentDetection.h"
#include "frontend/JsonOutput.h"

#include <fstream>
#include <iterator>
#include <new>

namespace scrivlet {
namespace {

// The whole regular file, or nothing when it cannot be read (the reader
// then reports the failure in its own words; a FIFO is never opened).
std::string ReadFileBytes(const std::string& fileName) {
  if (!FileExists(fileName))
    return {};
  try {
    FileStream file(fileName);
    return file.ReadAllBytes();
  } catch (const Exception&) {
    return {};
  }
}

// The macro listing that follows the text when macros were asked for: the
// Word readers' macro list; empty for the other readers.
std::u16string MacroListing(const CommandLineOptions& options, const LegacyReader& reader) {
  const StoryLists* stories = reader.Stories();
  if (stories == nullptr || !options.items.Contains(ContentItem::Macros))
    return {};
  return stories->Macros.GetTextW();
}

std::u16string PlainSummaryValue(const DocumentSummary& summary,
                                 const DocumentSummary::Property& property) {
  if (auto* text = std::get_if<std::string DocumentSummary::*>(&property.field))
    return AnsiToWide(summary.*(*text));
  if (auto* number = std::get_if<int32_t DocumentSummary::*>(&property.field)) {
    int32_t value = summary.*(*number);
    return value == 0 ? std::u16string() : AnsiToWide(std::to_string(value));
  }
  std::string date = JsonDate(summary.*std::get<OleDate DocumentSummary::*>(property.field));
  if (date == "null")
    return {};
  return AnsiToWide(std::string_view(date).substr(1, date.size() - 2));
}

std::string PlainOutput(const CommandLineOptions& options, const LegacyReader& reader) {
  std::u16string text;
  const DocumentSummary* summary = reader.SummaryInformation();
  if (!options.items.Contains(ContentItem::Text) && options.items.Contains(ContentItem::Summary) &&
      options.formating == OutputFormat::PlainText) {
    if (summary != nullptr)
      text = SummaryText(*summary);
  } else {
    text = reader.Lines().GetTextW();
  }
  text += MacroListing(options, reader);
  if (options.formating == OutputFormat::PlainText && !options.crlf)
    text = TextWithLineFeeds(text);
  // The bytes of the system code page, so that an HTML prologue's charset
  // matches them; RTF is ASCII with \uN escapes whatever the code page.
  return options.formating == OutputFormat::Rtf ? RtfUnicodeText(text) : WideToAnsi(text);
}

} // namespace

std::u16string SummaryText(const DocumentSummary& summary) {
  std::u16string text;
  for (const auto& property : DocumentSummary::Properties()) {
    std::u16string value = PlainSummaryValue(summary, property);
    if (value.empty())
      continue;
    text += AnsiToWide(property.name);
    text += u": ";
    text += value;
    text += u'\n';
  }
  return text;
}

const char* OutputExtension(const CommandLineOptions& options) {
  if (options.json)
    return ".json";
  switch (options.formating) {
  case OutputFormat::Rtf: return ".rtf";
  case OutputFormat::Html: return ".html";
  default: return ".txt";
  }
}

ConvertedDocument ConvertDocument(const CommandLineOptions& options, const std::string& input,
                                  const std::string& standardInput) {
  bool fromStandardInput = input == "-";
  std::string fileBytes;
  if (!fromStandardInput && options.readerName.empty())
    fileBytes = ReadFileBytes(input);
  const std::string& bytes = fromStandardInput ? standardInput : fileBytes;
  const ReaderKind& kind =
      !options.readerName.empty() ? *ReaderByName(options.readerName) : DetectReader(bytes, input);
  std::unique_ptr<LegacyReader> reader = kind.create();
  reader->SetFileName(input);
  reader->SetTextFormating(options.formating);
  reader->SetParseItems(options.items);
  reader->SetMaxTextLength(options.maxLength);
  reader->SetConvertSysCharacters(!options.rawControlChars);
  reader->SetPassword(options.password);
  reader->SetResourceLimits(options.limits);
  if (!fileBytes.empty())
    reader->SetFileBytes(input, std::move(fileBytes)); // the file is read once
  ConvertedDocument result;
  std::string message; // system code page
  try {
    if (fromStandardInput) {
      MemoryStream stream(standardInput);
      reader->LoadFromStream(stream);
    } else {
      reader->LoadFromFile(input);
    }
  } catch (const std::bad_alloc&) {
    result.failed = true;
    message = "Out of memory";
    result.error = message;
  } catch (const std::exception& error) {
    result.failed = true;
    message = error.what();
    if (message.empty())
      message = "Error";
    result.error = WideToUtf8(AnsiToWide(message));
  }
  bool encrypted = false;
  try {
    encrypted = reader->IsEncrypted();
  } catch (const std::exception&) {
    encrypted = false;
  }
  if (options.json) {
    JsonConversion conversion{input, kind.name, encrypted, result.failed, message};
    result.output = JsonDocument(*reader, conversion);
  } else {
    result.output = PlainOutput(options, *reader);
  }
  return result;
}

} // namespace scrivlet
