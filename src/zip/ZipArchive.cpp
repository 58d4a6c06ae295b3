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
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndRecordSize = 56;
// A 32-bit field of this value defers to the zip64 extra field (or, in the
// end record, to the zip64 end record).
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;
constexpr uint16_t kZip64ExtraTag = 0x0001;
constexpr size_t kEndRecordSize = 22;
// The end record may be followed by a comment of up to 65,535 bytes.
constexpr size_t kEndSearchSpan = kEndRecordSize + 65535;
constexpr uint16_t kStored = 0, kDeflated = 8;
constexpr size_t kLocalHeaderSize = 30;
// General purpose flag: sizes and checksum follow the data.
constexpr uint16_t kDataDescriptorFlag = 1u << 3;

std::string_view Signature(uint32_t value) {
  static constexpr char kLocal[] = "PK\x03\x04", kCentral[] = "PK\x01\x02", kEnd[] = "PK\x05\x06";
  return std::string_view(value == kLocalSignature     ? kLocal
                          : value == kCentralSignature ? kCentral
                                                       : kEnd,
                          4);
}

// The zip64 extended information extra field: an 8-byte value for each of
// the header's fields that holds 0xFFFFFFFF, in the header's order
// (uncompressed size, compressed size, local header offset).  A field the
// extra data do not cover keeps its 32-bit value.
void ReadZip64Extra(std::string_view extra, std::initializer_list<uint64_t*> fields) {
  ByteReader reader(extra);
  while (reader.Remaining() >= 4) {
    const uint16_t tag = reader.U16(), size = reader.U16();
    if (reader.Remaining() < size)
      return;
    ByteReader values(reader.Bytes(size));
    if (tag != kZip64ExtraTag)
      continue;
    for (uint64_t* field : fields)
      if (*field == kZip64Marker && values.Remaining() >= 8)
        *field = values.U64();
    return;
  }
}

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
    : FFiles(std::move(other.FFiles)), FIndex(std::move(other.FIndex)), FBudget(other.FBudget),
      FWork(other.FWork), FClaimed(std::move(other.FClaimed)) {
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
  FDamage.clear();
  FClaimed.clear();
  FData = bytes;
  const int64_t declared = ReadEndRecord();
  if (declared < 0)
    FDamage = "no central directory";
  else if (FFiles.size() < static_cast<uint64_t>(declared))
    FDamage = "the central directory lists " + std::to_string(declared) + " members, " +
              std::to_string(FFiles.size()) + " of them readable";
  if (!FDamage.empty())
    RecoverFromLocalHeaders();
  if (FFiles.empty() && declared != 0)
    throw Exception("The archive is damaged: %s",
                    {HasZipSignature(FData) ? FDamage + ", no member readable"
                                            : std::string("no ZIP archive")});
}

// The end record: searched backwards, since an archive comment may follow.
int64_t ZipArchive::ReadEndRecord() {
  if (FData.size() < kEndRecordSize)
    return -1;
  size_t lowest = FData.size() > kEndSearchSpan ? FData.size() - kEndSearchSpan : 0;
  for (size_t at = FData.size() - kEndRecordSize + 1; at-- > lowest;) {
    if (ByteReader::Get32(FData, at) != kEndSignature)
      continue;
    std::string_view end = FData.substr(at, kEndRecordSize);
    uint64_t entries = ByteReader::Get16(end, 10);
    uint64_t directoryOffset = ByteReader::Get32(end, 16);
    if (entries == 0xFFFF || directoryOffset == kZip64Marker)
      ReadZip64EndRecord(at, entries, directoryOffset);
    // Each entry takes 46 bytes at least: a larger count is not believed.
    entries = std::min<uint64_t>(entries, FData.size() / 46);
    ReadCentralDirectory(directoryOffset, entries);
    return static_cast<int64_t>(entries);
  }
  return -1;
}

// The zip64 end-of-directory locator lies just before the end record and
// gives where the zip64 end record lies.
bool ZipArchive::ReadZip64EndRecord(uint64_t endOffset, uint64_t& entries,
                                    uint64_t& directoryOffset) const {
  if (endOffset < kZip64LocatorSize)
    return false;
  std::string_view locator = FData.substr(endOffset - kZip64LocatorSize, kZip64LocatorSize);
  if (ByteReader::Get32(locator, 0) != kZip64LocatorSignature)
    return false;
  const uint64_t recordOffset = ByteReader::Get64(locator, 8);
  if (recordOffset > FData.size() || FData.size() - recordOffset < kZip64EndRecordSize ||
      ByteReader::Get32(FData, recordOffset) != kZip64EndSignature)
    return false;
  entries = ByteReader::Get64(FData, recordOffset + 32);
  directoryOffset = ByteReader::Get64(FData, recordOffset + 48);
  return true;
}

void ZipArchive::ReadCentralDirectory(uint64_t directoryOffset, uint64_t entries) {
  ByteReader reader(FData, directoryOffset);
  for (uint64_t i = 0; i < entries && reader.Remaining() >= 4; ++i) {
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
    ReadZip64Extra(file.CentralExtra, {&file.CentralUncompressedSize, &file.CentralCompressedSize,
                                       &file.LocalHeaderOffset});

    // The local header, where the entry says it is.
    if (ReadLocalHeader(file.LocalHeaderOffset, file)) {
      uint64_t size =
          file.LocalCompressedSize ? file.LocalCompressedSize : file.CentralCompressedSize;
      file.DataSize = std::min<uint64_t>(size, FData.size() - file.DataOffset);
    } else {
      file.FileName = file.CentralFileName;
    }
    AddMember(std::move(file));
  }
}

void ZipArchive::AddMember(ZipEntry file) {
  if (FWork)
    FWork->SpendMemory(sizeof(ZipEntry) + file.FileName.size() + file.CentralFileName.size() +
                       file.LocalExtra.size() + file.CentralExtra.size() + file.FileComment.size());
  FIndex.emplace(AsciiLowerCase(file.FileName), static_cast<int>(FFiles.size())); // first stands
  FFiles.push_back(std::move(file));
}

// The local header at offset, its name and where its data start.
bool ZipArchive::ReadLocalHeader(uint64_t offset, ZipEntry& file) const {
  ByteReader local(FData, offset);
  if (local.Remaining() < kLocalHeaderSize || local.U32() != kLocalSignature)
    return false;
  local.U16(); // version needed
  const uint16_t flags = local.U16(), method = local.U16();
  local.U32(); // time and date
  const uint32_t crc = local.U32(), compressed = local.U32(), uncompressed = local.U32();
  const uint16_t nameLength = local.U16(), extraLength = local.U16();
  if (local.Remaining() < uint64_t{nameLength} + extraLength)
    return false;
  file.LocalSignature = kLocalSignature;
  file.LocalFlags = flags;
  file.LocalMethod = method;
  file.LocalCrc32 = crc;
  file.LocalCompressedSize = compressed;
  file.LocalUncompressedSize = uncompressed;
  file.FileName = std::string(local.Bytes(nameLength));
  file.LocalExtra = std::string(local.Bytes(extraLength));
  ReadZip64Extra(file.LocalExtra, {&file.LocalUncompressedSize, &file.LocalCompressedSize});
  file.DataOffset = local.Position();
  file.LocalHeaderRead = true;
  return true;
}

// Where a recovered member's data end: after the size its header gives, or,
// when the size follows the data, at the next header (a deflate stream
// ends by itself; stored data need that bound).
uint64_t ZipArchive::RecoveredDataEnd(const ZipEntry& file) const {
  const uint64_t end = FData.size();
  if ((file.LocalFlags & kDataDescriptorFlag) == 0 && file.LocalCompressedSize != 0)
    return std::min<uint64_t>(file.DataOffset + file.LocalCompressedSize, end);
  uint64_t next = end;
  for (uint32_t signature : {kLocalSignature, kCentralSignature, kEndSignature}) {
    size_t found =
        FData.substr(0, static_cast<size_t>(next)).find(Signature(signature), file.DataOffset);
    if (found != std::string_view::npos)
      next = found;
  }
  return next;
}

// Every local header in the file, in file order: the members the central
// directory did not give (or all, without one), each name's first standing.
void ZipArchive::RecoverFromLocalHeaders() {
  const std::string_view localSignature = Signature(kLocalSignature);
  size_t at = FData.find(localSignature);
  while (at != std::string_view::npos) {
    ZipEntry file;
    uint64_t next = at + 4;
    if (ReadLocalHeader(at, file) &&
        (file.LocalMethod == kStored || file.LocalMethod == kDeflated)) {
      const uint64_t dataEnd = RecoveredDataEnd(file);
      file.DataSize = dataEnd - file.DataOffset;
      file.LocalHeaderOffset = at;
      file.Recovered = true;
      next = std::max(next, dataEnd);
      if (IndexOfFile(file.FileName) < 0 && !file.FileName.empty() && file.FileName.back() != '/')
        AddMember(std::move(file));
    }
    at = next < FData.size() ? FData.find(localSignature, static_cast<size_t>(next))
                             : std::string_view::npos;
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
  // Deflate data end by themselves: what was read of them is the member's,
  // however far the sizes said they run (claimed once they are read).
  const uint64_t begin = std::min<uint64_t>(file.DataOffset, FData.size());
  ClaimData(index, begin,
            begin + (method == kStored ? data.size() : std::min<size_t>(data.size(), 1)));
  if (FWork)
    FWork->SpendWork(data.size());
  if (method == kStored) {
    FBudget.SpendStored(data.size());
    return std::string(data); // as it stands, unchecked
  }
  if (method != kDeflated)
    throw Exception("Unsupported compression method %d in \"%s\".",
                    {int64_t{method}, file.FileName});
  uint64_t consumed = 0;
  std::string result = InflateMember(data, expected, consumed);
  ClaimData(index, begin, begin + consumed);
  // What a recovered member holds is what the file kept of it: its checksum
  // and size may be unknown or describe more than is there.
  if (file.Recovered)
    return result;
  uint32_t crc = ZipCRC32(result);
  if (result.size() != expected || (crc != file.LocalCrc32 && crc != file.CentralCrc32))
    throw ZipCrcError("CRC Error in \"%s\".", {file.FileName});
  return result;
}

// Raw deflate data inflated into a buffer that grows with the output, under
// the decoded-bytes limits; the declared size only guides the first
// allocation.  Data that end early come back short, and the CRC check
// refuses them.
std::string ZipArchive::InflateMember(std::string_view data, uint64_t expected,
                                      uint64_t& consumed) const {
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
  consumed = result.Consumed;
  return std::move(result.Data);
}

void ZipArchive::ClaimData(int index, uint64_t begin, uint64_t end) const {
  if (end <= begin)
    return;
  // A member read again, or claimed further once its data were inflated.
  bool known = false;
  if (auto own = FClaimed.find(begin); own != FClaimed.end() && own->second.second == index) {
    end = std::max(end, own->second.first);
    FClaimed.erase(own);
    known = true;
  }
  auto after = FClaimed.upper_bound(begin);
  auto overlapping = FClaimed.end();
  if (after != FClaimed.begin() && std::prev(after)->second.first > begin)
    overlapping = std::prev(after);
  else if (after != FClaimed.end() && after->first < end)
    overlapping = after;
  if (overlapping != FClaimed.end())
    throw Exception("The archive is damaged: \"%s\" shares its data with \"%s\"",
                    {FFiles[static_cast<size_t>(index)].FileName,
                     FFiles[static_cast<size_t>(overlapping->second.second)].FileName});
  if (FWork && !known)
    FWork->SpendMemory(sizeof(*overlapping) + 32);
  FClaimed.emplace(begin, std::make_pair(end, index));
}

std::string ZipArchive::InflateDecoded(std::string_view deflated, uint64_t declaredSize,
                                       std::string_view name) const {
  if (FWork != nullptr)
    FWork->SpendWork(deflated.size());
  const uint64_t cap = FBudget.NextStreamCap();
  const uint64_t likely =
      std::min<uint64_t>({declaredSize, cap, uint64_t{deflated.size()} * 8 + 256});
  InflateResult result = Inflate(deflated, DeflateWrapper::Raw, static_cast<size_t>(cap),
                                 static_cast<size_t>(std::max<uint64_t>(likely, 1)));
  if (result.Status == InflateStatus::CapExceeded)
    FBudget.Exceeded();
  if (result.Status != InflateStatus::Complete)
    throw Exception("The member %s is damaged", {name});
  FBudget.Spend(result.Data.size());
  return std::move(result.Data);
}

} // namespace scrivlet
