#include "frontend/ReaderTable.h"

#include "core/Exception.h"
#include "core/Process.h"
#include "readers/epub/VdWEPub.h"
#include "readers/fictionbook/VdWFB2.h"
#include "readers/opendocument/VdWOO.h"
#include "readers/word/VdWord.h"
#include "readers/word/VdWordX.h"
#include "readers/wordperfect/VdWPD.h"
#include "readers/write/VdWRI.h"

#include <algorithm>
#include <array>

namespace scrivlet {
namespace {

// Stands in for a reader this version does not have yet: it names the
// reader it stands for and refuses every document with a clear message.
template <const char* ClassNameText, const char* FormatText>
class TPendingReader final : public TVdWBaseDocument {
public:
  const char* ClassName() const override { return ClassNameText; }

  void ParseStream(TStream& stream) override {
    TVdWBaseDocument::ParseStream(stream);
    throw Exception("Reading %s documents is not supported in this version", {FormatText});
  }

  void LoadFromFile(const std::u16string& fileName) override { ParseFile(fileName); }
};

template <class Reader> std::unique_ptr<TVdWBaseDocument> Create() {
  return std::make_unique<Reader>();
}

template <const char* ClassNameText, const char* FormatText>
std::unique_ptr<TVdWBaseDocument> CreatePending() {
  return std::make_unique<TPendingReader<ClassNameText, FormatText>>();
}

constexpr char kPdf[] = "TKxPDFReader", kPdfFormat[] = "PDF (.pdf)";

const std::array<ReaderKind, 9> kReaders = {{
    {".DOCX", "docx", "TVdWordXDocument", HeadingSource::SummaryTitle, Create<TVdWordXDocument>},
    {".WPD", "wpd", "TWordPerfectFile", HeadingSource::FileName, Create<TWordPerfectFile>},
    {".WRI", "wri", "TWRIFile", HeadingSource::FileName, Create<TWRIFile>},
    {".ODT", "odt", "TOpenOfficeTextDocument", HeadingSource::SummaryTitle,
     Create<TOpenOfficeTextDocument>},
    {".ODP", "odp", "TOpenOfficePresentation", HeadingSource::SummaryTitle,
     Create<TOpenOfficePresentation>},
    {".FB2", "fb2", "TFictionBook", HeadingSource::SummaryTitle, Create<TFictionBook>},
    {".EPUB", "epub", "TKxWEPub", HeadingSource::SummaryTitle, Create<TKxWEPub>},
    {".PDF", "pdf", kPdf, HeadingSource::SummaryTitle, CreatePending<kPdf, kPdfFormat>},
    {"", "doc", "TVdWordDocument", HeadingSource::SummaryTitle, Create<TVdWordDocument>},
}};

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
  return text;
}

} // namespace

std::span<const ReaderKind> ReaderTable() {
  return kReaders;
}

const ReaderKind& ReaderForFileName(std::string_view fileName) {
  std::string extension = UpperCase(ExtractFileExt(fileName));
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
