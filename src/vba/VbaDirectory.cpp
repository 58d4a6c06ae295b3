#include "vba/VbaDirectory.h"
#include "core/ByteReader.h"
#include "vba/Utf16Le.h"
#include "vba/VbaCompression.h"

namespace scrivlet {
namespace {

enum RecordId : uint16_t {
  kProjectCodePage = 0x0003,
  kProjectVersion = 0x0009,
  kProjectModules = 0x000F,
  kDirEnd = 0x0010,
  kModuleName = 0x0019,
  kModuleStreamName = 0x001A,
  kModuleOffset = 0x0031,
  kModuleStreamNameUnicode = 0x0032,
  kModuleNameUnicode = 0x0047,
};

// The project version record declares 4 bytes and carries a 32-bit major
// and a 16-bit minor version.
constexpr uint32_t kProjectVersionBytes = 6;

class DirectoryParser {
public:
  explicit DirectoryParser(std::string_view dir) : reader(dir) {}

  VbaDirectory Run() {
    while (reader.Remaining() > 0) {
      if (reader.Remaining() < 6)
        throw VbaError("VBA dir record cut off");
      uint16_t id = reader.U16();
      uint32_t size = reader.U32();
      if (id == kDirEnd)
        break;
      if (id == kProjectVersion)
        size = kProjectVersionBytes;
      if (size > reader.Remaining())
        throw VbaError("VBA dir record runs past the stream");
      if (id == kModuleName && directory.modules.size() >= maxModules) {
        directory.modulesCut = true;
        break;
      }
      Record(id, reader.Bytes(size));
    }
    return std::move(directory);
  }

private:
  void Record(uint16_t id, std::string_view data) {
    switch (id) {
    case kProjectCodePage:
      if (data.size() != 2)
        throw VbaError("VBA dir code page record of a wrong size");
      directory.codePage = ByteReader::Get16(data, 0);
      return;
    case kProjectModules:
      if (data.size() == 2)
        maxModules = ByteReader::Get16(data, 0);
      return;
    case kModuleName: directory.modules.push_back({std::string(data), {}, {}, {}, {}}); return;
    case kModuleNameUnicode: CurrentModule().unicodeName = DecodeUtf16Le(data); return;
    case kModuleStreamName: CurrentModule().streamName = std::string(data); return;
    case kModuleStreamNameUnicode: CurrentModule().unicodeStreamName = DecodeUtf16Le(data); return;
    case kModuleOffset:
      if (data.size() != 4)
        throw VbaError("VBA dir module offset record of a wrong size");
      CurrentModule().sourceOffset = ByteReader::Get32(data, 0);
      return;
    default: return;
    }
  }

  VbaModuleRecord& CurrentModule() {
    if (directory.modules.empty())
      throw VbaError("VBA dir module record before a module name");
    return directory.modules.back();
  }

  ByteReader reader;
  VbaDirectory directory;
  // The declared count once read; before it, what a 16-bit count allows.
  size_t maxModules = 0xFFFF;
};

} // namespace

VbaDirectory VbaDirectory::Parse(std::string_view dir) {
  return DirectoryParser(dir).Run();
}

} // namespace scrivlet
