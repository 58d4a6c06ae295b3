#include "frontend/ReaderRegistry.h"

#include "core/Ascii.h"
#include "core/Process.h"
#include "readers/docx/DocxFormat.h"
#include "readers/epub/EpubFormat.h"
#include "readers/fictionbook/FictionBookFormat.h"
#include "readers/opendocument/OpenDocumentFormat.h"
#include "readers/pdf/PdfFormat.h"
#include "readers/word/WordFormat.h"
#include "readers/wordperfect/WordPerfectFormat.h"
#include "readers/write/WriteFormat.h"

#include <algorithm>
#include <array>

namespace scrivlet {
namespace {

// The readers: one line each.
constexpr std::array kReaders = {
    &kDocxFormat,
    &kWordPerfectFormat,
    &kWriteFormat,
    &kOpenDocumentTextFormat,
    &kOpenDocumentPresentationFormat,
    &kFictionBookFormat,
    &kEpubFormat,
    &kPdfFormat,
    &kWordFormat, // the last: any other extension
};

bool HasExtension(const ReaderKind& kind, std::string_view extension) {
  std::string_view list = kind.extensions;
  while (!list.empty()) {
    size_t blank = list.find(' ');
    if (list.substr(0, blank) == extension)
      return true;
    if (blank == std::string_view::npos)
      break;
    list.remove_prefix(blank + 1);
  }
  return false;
}

} // namespace

std::span<const ReaderKind* const> ReaderTable() {
  return kReaders;
}

const ReaderKind* ReaderNamedByExtension(std::string_view fileName) {
  std::string extension = AsciiUpperCase(ExtractFileExt(fileName));
  for (const ReaderKind* kind : kReaders)
    if (!extension.empty() && HasExtension(*kind, extension))
      return kind;
  return nullptr;
}

const ReaderKind& ReaderForFileName(std::string_view fileName) {
  const ReaderKind* kind = ReaderNamedByExtension(fileName);
  return kind != nullptr ? *kind : *kReaders.back();
}

const ReaderKind* ReaderByName(std::string_view name) {
  auto kind = std::find_if(kReaders.begin(), kReaders.end(),
                           [&](const ReaderKind* k) { return name == k->name; });
  return kind == kReaders.end() ? nullptr : *kind;
}

std::string ReaderNames() {
  // The default reader first, then the others in order.
  std::string names = kReaders.back()->name;
  for (const ReaderKind* kind : kReaders)
    if (kind != kReaders.back())
      names += std::string(", ") + kind->name;
  return names;
}

std::string ReaderNamesAsAlternatives() {
  std::string names = ReaderNames();
  size_t last = names.rfind(", ");
  return last == std::string::npos ? names : names.replace(last, 2, " or ");
}

std::vector<const ReaderKind*> ReadersBySignature(std::string_view data) {
  ContentProbe probe(data);
  std::vector<const ReaderKind*> readers;
  for (const ReaderKind* kind : kReaders)
    if (kind->hasSignature(probe))
      readers.push_back(kind);
  return readers;
}

const ReaderKind& DetectReader(std::string_view data, std::string_view fileName) {
  std::vector<const ReaderKind*> readers = ReadersBySignature(data);
  return readers.size() == 1 ? *readers.front() : ReaderForFileName(fileName);
}

} // namespace scrivlet
