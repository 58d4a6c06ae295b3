#include "zip/ZipArchive.h"
#include "core/Ascii.h"

#include "compress/Inflate.h"
#include "core/ByteReader.h"

#include <algorithm>
#include <zlib.h>

namespace scrivlet {
namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndRecordSize = 22;
// The end record may be followed by a comment of up to 65,535 bytes.
constexpr size_t kEndSearchSpan = kEndRecordSize + 65535;
constexpr uint16_t kStored = 0, kDeflated = 8;

} // namespace

bool HasZipSignature(std::string_view bytes) {
  return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4);
}

bool IsZipFile(const std::string& fileName) {
  FileStream file(fileName);
  char head[4];
  size_t n = file.Read(head, sizeof head);
  return HasZipSignature(std::string_view(head, n));
}

uint32_t ZipArchive::ZipCRC32(std::string_view bytes) {
  // zlib's CRC-32 is the same reflected 0xEDB88320 checksum, computed
  // several bytes at a time.
  uLong crc = crc32(0L, Z_NULL, 0);
  while (!bytes.empty()) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(bytes.size(), 1u << 30));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), chunk);
    bytes.remove_prefix(chunk);
  }
  return static_cast<uint32_t>(crc);
}

ZipArchive::ZipArchive(ZipArchive&& other) noexcept
    : FFiles(std::move(other.FFiles)), FIndex(std::move(other.FIndex)), FBudget(other.FBudget) {
  const bool owned = other.FData.data() == other.FOwned.data();
  FOwned = std::move(other.FOwned);
  FData = owned ? std::string_view(FOwned) : other.FData;
  other.FData = {};
}

void ZipArchive::LoadFromStream(Stream& stream) {
  LoadFromBytes(stream.ReadRest());
}

void ZipArchive::LoadFromBytes(std::string bytes) {
  FOwned = std::move(bytes);
  LoadFromView(FOwned);
}

void ZipArchive::LoadFromView(std::string_view bytes) {
  FFiles.clear();
  FIndex.clear();
  FData = bytes;
  // The end record: searched backwards, since an archive comment may follow.
  if (FData.size() < kEndRecordSize)
    return;
  size_t lowest = FData.size() > kEndSearchSpan ? FData.size() - kEndSearchSpan : 0;
  for (size_t at = FData.size() - kEndRecordSize + 1; at-- > lowest;) {
    if (ByteReader::Get32(FData, at) != kEndSignature)
      continue;
    std::string_view end = FData.substr(at, kEndRecordSize);
    ReadCentralDirectory(ByteReader::Get32(end, 16), ByteReader::Get16(end, 10));
    return;
  }
}

void ZipArchive::ReadCentralDirectory(uint64_t directoryOffset, uint32_t entries) {
  ByteReader reader(FData, directoryOffset);
  for (uint32_t i = 0; i < entries && reader.Remaining() >= 4; ++i) {
    uint32_t signature = reader.U32();
    if (signature != kCentralSignature)
      continue; // counts as an entry
    if (reader.Remaining() < 42)
      break; // a directory cut off ends here
    ZipEntry file;
    file.CentralSignature = signature;
    file.VersionMadeBy = reader.U16();
    reader.U16(); // version needed
    file.CentralFlags = reader.U16();
    file.CentralMethod = reader.U16();
    reader.U32(); // time and date
    file.CentralCrc32 = reader.U32();
    file.CentralCompressedSize = reader.U32();
    file.CentralUncompressedSize = reader.U32();
    uint16_t nameLength = reader.U16(), extraLength = reader.U16(), commentLength = reader.U16();
    file.DiskNumber = reader.U16();
    file.InternalAttributes = reader.U16();
    file.ExternalAttributes = reader.U32();
    file.LocalHeaderOffset = reader.U32();
    if (reader.Remaining() < uint64_t{nameLength} + extraLength + commentLength)
      break;
    file.CentralFileName = std::string(reader.Bytes(nameLength));
    file.CentralExtra = std::string(reader.Bytes(extraLength));
    file.FileComment = std::string(reader.Bytes(commentLength));

    // The local header, where the entry says it is.
    ByteReader local(FData, file.LocalHeaderOffset);
    if (local.Remaining() >= 30 && local.U32() == kLocalSignature) {
      file.LocalSignature = kLocalSignature;
      local.U16(); // version needed
      file.LocalFlags = local.U16();
      file.LocalMethod = local.U16();
      local.U32(); // time and date
      file.LocalCrc32 = local.U32();
      file.LocalCompressedSize = local.U32();
      file.LocalUncompressedSize = local.U32();
      uint16_t localName = local.U16(), localExtra = local.U16();
      if (local.Remaining() >= uint64_t{localName} + localExtra) {
        file.FileName = std::string(local.Bytes(localName));
        file.LocalExtra = std::string(local.Bytes(localExtra));
        uint64_t size =
            file.LocalCompressedSize ? file.LocalCompressedSize : file.CentralCompressedSize;
        file.DataOffset = local.Position();
        file.DataSize = std::min<uint64_t>(size, local.Remaining());
        file.LocalHeaderRead = true;
      }
    }
    if (!file.LocalHeaderRead)
      file.FileName = file.CentralFileName;
    FIndex.emplace(AsciiLowerCase(file.FileName), static_cast<int>(FFiles.size())); // first stands
    FFiles.push_back(std::move(file));
  }
}

// Names are looked up in an index of the lower-cased names, so that a
// package with many members and many references to them stays linear.
int ZipArchive::IndexOfFile(std::string_view name) const {
  auto found = FIndex.find(AsciiLowerCase(std::string(name)));
  return found == FIndex.end() ? -1 : found->second;
}

std::string ZipArchive::GetFileByName(std::string_view name) const {
  int index = IndexOfFile(name);
  if (index < 0) {
    std::string backslashed(name);
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    index = IndexOfFile(backslashed);
  }
  return index < 0 ? std::string() : GetFileData(index);
}

std::string ZipArchive::GetFileData(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= FFiles.size())
    throw Exception("Index out of range.");
  const ZipEntry& file = FFiles[static_cast<size_t>(index)];
  uint64_t expected =
      file.LocalUncompressedSize ? file.LocalUncompressedSize : file.CentralUncompressedSize;
  uint16_t method = file.LocalHeaderRead ? file.LocalMethod : file.CentralMethod;
  std::string_view data =
      FData.substr(static_cast<size_t>(std::min<uint64_t>(file.DataOffset, FData.size())),
                   static_cast<size_t>(file.DataSize));
  if (method == kStored)
    return std::string(data); // as it stands, unchecked
  if (method != kDeflated)
    throw Exception("Unsupported compression method %d in \"%s\".",
                    {int64_t{method}, file.FileName});
  std::string result = InflateMember(data, expected);
  uint32_t crc = ZipCRC32(result);
  if (result.size() != expected || (crc != file.LocalCrc32 && crc != file.CentralCrc32))
    throw ZipCrcError("CRC Error in \"%s\".", {file.FileName});
  return result;
}

// Raw deflate data inflated into a buffer that grows with the output, under
// the decoded-bytes limits; the declared size only guides the first
// allocation.  Data that end early come back short, and the CRC check
// refuses them.
std::string ZipArchive::InflateMember(std::string_view data, uint64_t expected) const {
  const uint64_t cap = FBudget.NextStreamCap();
  // The declared size guides the first allocation only as far as a usual
  // compression ratio makes it likely: members that share their data, or
  // declare sizes their data never reach, must not each zero-fill a buffer
  // of the size they declare.
  const uint64_t likely = std::min<uint64_t>({expected, cap, uint64_t{data.size()} * 8 + 256});
  InflateResult result = Inflate(data, DeflateWrapper::Raw, static_cast<size_t>(cap),
                                 static_cast<size_t>(std::max<uint64_t>(likely, 1)));
  if (result.Status == InflateStatus::CapExceeded)
    FBudget.Exceeded();
  FBudget.Spend(result.Data.size());
  return std::move(result.Data);
}

} // namespace scrivlet
