#include "readers/word/WordFormat.h"

#include "core/ByteReader.h"
#include "readers/word/DocReader.h"

namespace scrivlet {
namespace {

constexpr size_t kWordTwoHeaderSize = 32;

// A Word for DOS/Windows 1 or 2 file: its magic number, then a file format
// version of those programs, in a header long enough for the FIB.
bool IsWordTwoHeader(std::string_view data) {
  if (data.size() < kWordTwoHeaderSize)
    return false;
  uint16_t magic = ByteReader::Get16(data, 0);
  uint16_t version = ByteReader::Get16(data, 2);
  return (magic == 0xA59B || magic == 0xA5DB) && version >= 0x0019 && version <= 0x002D;
}

// Office writes a "WordDocument" stream beside the encrypted package of a
// Word 2007+ document too (a placeholder): such a file is the other reader's.
bool HasSignature(ContentProbe& probe) {
  return (probe.HasRootStream(u"WordDocument") && !probe.HasRootStream(u"EncryptedPackage")) ||
         IsWordTwoHeader(probe.Data());
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<DocReader>();
}

} // namespace

const ReaderKind kWordFormat = {"doc", "DocReader", ".DOC .DOT",  HeadingSource::SummaryTitle,
                                true,  true,        HasSignature, Create};

} // namespace scrivlet
