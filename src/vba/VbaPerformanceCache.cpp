#include "vba/VbaPerformanceCache.h"
#include "core/ByteReader.h"
#include "vba/Utf16Le.h"

namespace scrivlet {
namespace {

constexpr uint64_t kHeaderSize = 34;
constexpr uint16_t kShortestReference = 6;
constexpr uint64_t kReferenceTail = 12;
constexpr uint64_t kBeforeModuleCount = 132;
constexpr uint16_t kNoDescriptor = 0xFFFF;

bool StartsWithTag(std::u16string_view text, char16_t first, char16_t second) {
  return text.size() >= 3 && text[0] == u'*' && text[1] == u'\\' &&
         (text[2] == first || text[2] == second);
}

void Skip(ByteReader& reader, uint64_t count) {
  if (count > reader.Remaining())
    throw ReadError();
  reader.Seek(reader.Position() + count);
}

// The reference records; a record cut short ends them.
void SkipReferences(ByteReader& reader) {
  bool skipControlTail = false; // every second "*\C" or "*\D" has a tail
  while (reader.Remaining() >= 2) {
    uint16_t length = reader.U16();
    if (length < kShortestReference) {
      reader.Seek(reader.Position() - 2);
      return;
    }
    if (length > reader.Remaining())
      return;
    std::u16string text = DecodeUtf16Le(reader.Bytes(length));
    uint64_t tail = 0;
    if (StartsWithTag(text, u'G', u'H')) {
      tail = kReferenceTail;
    } else if (StartsWithTag(text, u'C', u'D')) {
      tail = skipControlTail ? kReferenceTail : 0;
      skipControlTail = !skipControlTail;
    }
    if (tail > reader.Remaining())
      return;
    Skip(reader, tail);
  }
}

VbaCachedModule ReadModule(ByteReader& reader) {
  VbaCachedModule module;
  module.name = DecodeUtf16Le(reader.Bytes(reader.U16()));
  Skip(reader, reader.U16()); // the second string
  uint16_t descriptor = reader.U16();
  if (descriptor == kNoDescriptor) {
    Skip(reader, 2);
    Skip(reader, reader.U16());
  } else {
    Skip(reader, uint64_t{descriptor} + 2);
  }
  Skip(reader, 8);
  uint8_t blocks = reader.U8();
  Skip(reader, uint64_t{blocks} * 8 + 6);
  module.sourceOffset = reader.U32();
  Skip(reader, 2);
  return module;
}

} // namespace

VbaPerformanceCache VbaPerformanceCache::Parse(std::string_view stream) {
  VbaPerformanceCache cache;
  ByteReader reader(stream);
  try {
    Skip(reader, kHeaderSize);
    SkipReferences(reader);
    Skip(reader, kBeforeModuleCount);
    uint16_t count = reader.U16();
    // Every module takes at least 23 bytes, so a count beyond the data
    // ends at the stream's end.
    for (uint16_t i = 0; i < count; ++i)
      cache.modules.push_back(ReadModule(reader));
  } catch (const ReadError&) {
    cache.damaged = true;
  }
  return cache;
}

} // namespace scrivlet
