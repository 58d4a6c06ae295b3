#include "readers/write/WriteFormat.h"

#include "core/ByteReader.h"
#include "readers/write/WriteReader.h"

namespace scrivlet {
namespace {

constexpr size_t kHeaderSize = 128;

// Its identifier (0xBE31 plain, 0xBE32 with OLE objects), a zero word, the
// tool word 0xAB00 and four zero words, in a 128-byte header.
bool HasSignature(ContentProbe& probe) {
  std::string_view data = probe.Data();
  if (data.size() < kHeaderSize)
    return false;
  uint16_t ident = ByteReader::Get16(data, 0);
  if ((ident != 0xBE31 && ident != 0xBE32) || ByteReader::Get16(data, 2) != 0 ||
      ByteReader::Get16(data, 4) != 0xAB00)
    return false;
  for (size_t offset = 6; offset < 14; offset += 2)
    if (ByteReader::Get16(data, offset) != 0)
      return false;
  return true;
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<WriteReader>();
}

} // namespace

const ReaderKind kWriteFormat = {"wri", "WriteReader", ".WRI",       HeadingSource::FileName,
                                 false, false,         HasSignature, Create};

} // namespace scrivlet
