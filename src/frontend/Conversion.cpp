#include "frontend/Conversion.h"

#include "core/Exception.h"
#include "core/Limits.h"
#include "core/Process.h"
#include "core/Stream.h"

#include <new>

namespace scrivlet {
namespace {

std::string MessageOf(const std::exception& error) {
  std::string message = error.what();
  return message.empty() ? "Error" : message;
}

} // namespace

std::string ReadDocumentFile(const std::string& fileName) {
  if (!FileExists(fileName))
    throw Exception("File %s is not found.", {fileName});
  FileStream file(fileName);
  return file.ReadAllBytes();
}

Conversion Convert(std::string_view bytes, const std::string& name, const ReaderKind& kind,
                   const ReaderOptions& options) {
  Conversion conversion;
  conversion.kind = &kind;
  conversion.read = true;
  std::unique_ptr<DocumentReader> reader = kind.create();
  try {
    reader->Read(bytes, name, options, conversion.document);
  } catch (const std::bad_alloc&) {
    conversion.failed = true;
    conversion.limitExceeded = true;
    conversion.error = "Out of memory";
  } catch (const LimitExceeded& error) {
    conversion.failed = true;
    conversion.limitExceeded = true;
    conversion.error = MessageOf(error);
  } catch (const DecodingLimitExceeded& error) {
    conversion.failed = true;
    conversion.limitExceeded = true;
    conversion.error = MessageOf(error);
  } catch (const PasswordError& error) {
    conversion.failed = true;
    conversion.passwordRefused = true;
    conversion.error = MessageOf(error);
  } catch (const std::exception& error) {
    conversion.failed = true;
    conversion.error = MessageOf(error);
  }
  conversion.encrypted = reader->IsEncrypted();
  return conversion;
}

Conversion ConvertFile(const std::string& fileName, const ReaderKind& kind,
                       const ReaderOptions& options) {
  std::string bytes;
  try {
    bytes = ReadDocumentFile(fileName);
  } catch (const std::exception& error) {
    Conversion conversion;
    conversion.kind = &kind;
    conversion.failed = true;
    conversion.error = MessageOf(error);
    return conversion;
  }
  return Convert(bytes, fileName, kind, options);
}

DescribedText Describe(const Conversion& conversion, const DescribedOutputOptions& options) {
  DescribedText text;
  if (conversion.kind != nullptr && conversion.kind->keepsStories)
    text.stories.emplace();
  if (!conversion.read)
    return text;
  text.lines = DescribedLines(conversion.document, options);
  if (text.stories)
    text.stories = DescribedStories(conversion.document, options);
  return text;
}

const DocumentSummary* SummaryOf(const Conversion& conversion) {
  return conversion.kind != nullptr && conversion.kind->keepsSummary ? &conversion.document.summary
                                                                     : nullptr;
}

ReaderOptions OptionsForCodePage(int codePage) {
  ReaderOptions options;
  options.systemCodePage = codePage;
  options.textCodePage = codePage == 65001 ? 1252 : codePage;
  return options;
}

} // namespace scrivlet
