#include "frontend/ReaderTable.h"
#include "core/Ascii.h"

#include "core/Process.h"
#include "frontend/ModelAdapter.h"
#include "readers/docx/DocxReader.h"
#include "readers/epub/EpubReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "readers/pdf/PdfReader.h"
#include "readers/word/DocReader.h"
#include "readers/wordperfect/WordPerfectReader.h"
#include "readers/write/WriteReader.h"

#include <algorithm>
#include <array>

namespace scrivlet {
namespace {

template <class Reader> std::unique_ptr<LegacyReader> Create() {
  return std::make_unique<Reader>();
}

// A reader of a format that keeps no summary record shows none, not even
// when its file cannot be read at all (the adapter keeps an empty record
// until a document says otherwise).
template <class Reader> class WithoutSummary : public ModelAdapter<Reader> {
public:
  WithoutSummary() { this->ForgetSummaryInformation(); }
};

const std::array<ReaderKind, 9> kReaders = {{
    {".DOCX", "docx", "DocxReader", HeadingSource::SummaryTitle, Create<ModelAdapter<DocxReader>>},
    {".WPD", "wpd", "WordPerfectReader", HeadingSource::FileName,
     Create<WithoutSummary<WordPerfectReader>>},
    {".WRI", "wri", "WriteReader", HeadingSource::FileName, Create<WithoutSummary<WriteReader>>},
    {".ODT", "odt", "OpenDocumentTextReader", HeadingSource::SummaryTitle,
     Create<ModelAdapter<OpenDocumentTextReader>>},
    {".ODP", "odp", "OpenDocumentPresentationReader", HeadingSource::SummaryTitle,
     Create<ModelAdapter<OpenDocumentPresentationReader>>},
    {".FB2", "fb2", "FictionBookReader", HeadingSource::SummaryTitle, Create<ModelAdapter<FictionBookReader>>},
    {".EPUB", "epub", "EpubReader", HeadingSource::SummaryTitle, Create<ModelAdapter<EpubReader>>},
    {".PDF", "pdf", "PdfReader", HeadingSource::SummaryTitle, Create<ModelAdapter<PdfReader>>},
    {"", "doc", "DocReader", HeadingSource::SummaryTitle, Create<ModelAdapter<DocReader>>},
}};

} // namespace

std::span<const ReaderKind> ReaderTable() {
  return kReaders;
}

const ReaderKind& ReaderForFileName(std::string_view fileName) {
  std::string extension = AsciiUpperCase(ExtractFileExt(fileName));
  for (const auto& row : kReaders)
    if (extension == row.extension || row.extension[0] == '\0')
      return row;
  return kReaders.back();
}

const ReaderKind* ReaderByName(std::string_view kind) {
  auto row = std::find_if(kReaders.begin(), kReaders.end(),
                          [&](const ReaderKind& r) { return kind == r.name; });
  return row == kReaders.end() ? nullptr : &*row;
}

} // namespace scrivlet
