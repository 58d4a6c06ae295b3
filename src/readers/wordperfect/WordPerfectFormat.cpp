#include "readers/wordperfect/WordPerfectFormat.h"

#include "core/ByteReader.h"
#include "readers/wordperfect/WordPerfectReader.h"

namespace scrivlet {
namespace {

constexpr size_t kProductOffset = 8;
constexpr uint8_t kProduct = 1;   // WordPerfect itself
constexpr uint8_t kDocument = 10; // file type: a document

// Its identifier, the pointer to the document area, then the product and
// file type bytes.
bool IsWordPerfectHeader(std::string_view data) {
  return data.size() > kProductOffset + 1 && data.starts_with("\xFFWPC") &&
         static_cast<uint8_t>(data[kProductOffset]) == kProduct &&
         static_cast<uint8_t>(data[kProductOffset + 1]) == kDocument;
}

bool HasSignature(ContentProbe& probe) {
  return probe.HasRootStream(u"PerfectOffice_MAIN") || IsWordPerfectHeader(probe.Data());
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<WordPerfectReader>();
}

} // namespace

const ReaderKind kWordPerfectFormat = {
    "wpd", "WordPerfectReader", ".WPD", HeadingSource::FileName, false,
    false, HasSignature,        Create};

} // namespace scrivlet
