#include "support/ReaderHarness.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Stream.h"
#include "frontend/Conversion.h"
#include "readers/docx/DocxFormat.h"
#include "readers/epub/EpubFormat.h"
#include "readers/fictionbook/FictionBookFormat.h"
#include "readers/opendocument/OpenDocumentFormat.h"
#include "readers/pdf/PdfFormat.h"
#include "readers/word/WordFormat.h"
#include "readers/wordperfect/WordPerfectFormat.h"
#include "readers/write/WriteFormat.h"
#include "writers/DescribedOutput.h"

namespace scrivlet::test {

template <> const ReaderKind& KindOf<DocReader>() {
  return kWordFormat;
}
template <> const ReaderKind& KindOf<DocxReader>() {
  return kDocxFormat;
}
template <> const ReaderKind& KindOf<EpubReader>() {
  return kEpubFormat;
}
template <> const ReaderKind& KindOf<FictionBookReader>() {
  return kFictionBookFormat;
}
template <> const ReaderKind& KindOf<OpenDocumentPresentationReader>() {
  return kOpenDocumentPresentationFormat;
}
template <> const ReaderKind& KindOf<OpenDocumentTextReader>() {
  return kOpenDocumentTextFormat;
}
template <> const ReaderKind& KindOf<PdfReader>() {
  return kPdfFormat;
}
template <> const ReaderKind& KindOf<WordPerfectReader>() {
  return kWordPerfectFormat;
}
template <> const ReaderKind& KindOf<WriteReader>() {
  return kWriteFormat;
}

void ReaderHarnessBase::LoadFromStream(Stream& stream) {
  Load(stream.ReadRest());
}

void ReaderHarnessBase::LoadFromFile(const std::string& fileName) {
  Load(ReadDocumentFile(fileName));
}

ReaderOptions ReaderHarnessBase::Options() const {
  // The code pages as the programs set them for the process's code page.
  ReaderOptions options = OptionsForCodePage(SystemCodePage());
  options.items = FItems;
  options.convertControlCharacters = FConvert;
  options.password = FPassword;
  options.limits = FLimits;
  return options;
}

void ReaderHarnessBase::Load(std::string_view bytes) {
  const ReaderOptions options = Options();
  Document document;
  try {
    Read(bytes, options, document);
  } catch (...) {
    FEncrypted = ReaderSaysEncrypted();
    Publish(std::move(document));
    throw;
  }
  FEncrypted = ReaderSaysEncrypted();
  Publish(std::move(document));
}

void ReaderHarnessBase::Publish(Document document) {
  DescribedOutputOptions output;
  output.format = FFormat;
  output.maxTextLength = FMaxTextLength;
  output.convertControlCharacters = FConvert;
  output.codePage = SystemCodePage();
  if (output.format == OutputFormat::Rtf)
    output.created = NowFields();
  FLines = DescribedLines(document, output);
  FStories = DescribedStories(document, output);
  FTextLimited = FMaxTextLength > 0;
  FDocument = std::move(document);
}

} // namespace scrivlet::test
