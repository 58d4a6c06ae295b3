#include "storage/CompoundFile.h"
#include "core/CaseFolding.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"

#include <algorithm>
#include <unordered_set>

namespace scrivlet {
namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr size_t kDirectoryEntrySize = 128;

enum EntryType : uint8_t { kStorage = 1, kStream = 2, kRootStorage = 5 };

[[noreturn]] void Damaged(std::string_view what) {
  throw StorageError("The compound file is damaged: %s", {what});
}

// Element names compare without regard to letter case: the folded name is
// the key of a name.
std::u16string FoldedName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded)
    c = FoldCase(c);
  return folded;
}

} // namespace

bool CompoundFile::HasSignature(std::string_view data) {
  return data.substr(0, 8) == std::string_view(kSignature, 8);
}

bool CompoundFile::IsCompoundFile(const std::string& fileName) {
  try {
    FileStream file(fileName);
    char head[8];
    return file.Read(head, sizeof head) == sizeof head && HasSignature({head, sizeof head});
  } catch (const Exception&) {
    return false;
  }
}

CompoundFile::CompoundFile(std::string data) : FOwned(std::move(data)), FData(FOwned) {
  Open();
}

CompoundFile::CompoundFile(BorrowedBytes, std::string_view data) : FData(data) {
  Open();
}

void CompoundFile::Open() {
  ReadHeader();
  ReadFat();
  ReadDirectory();
  ReadMiniStream();
}

std::unique_ptr<CompoundFile> CompoundFile::OpenFile(const std::string& fileName) {
  FileStream file(fileName);
  return std::make_unique<CompoundFile>(file.ReadAllBytes());
}

std::unique_ptr<CompoundFile> CompoundFile::TryOpenView(std::string_view data) {
  if (!HasSignature(data))
    return nullptr;
  try {
    return std::make_unique<CompoundFile>(BorrowedBytes{}, data);
  } catch (const StorageError&) {
    return nullptr;
  }
}

std::unique_ptr<CompoundFile> CompoundFile::TryOpen(std::string data) {
  if (!HasSignature(data))
    return nullptr;
  try {
    return std::make_unique<CompoundFile>(std::move(data));
  } catch (const StorageError&) {
    return nullptr;
  }
}

void CompoundFile::ReadHeader() {
  if (FData.size() < 512 || !HasSignature(FData))
    throw StorageError("The file is not a compound file");
  std::string_view header(FData.data(), 512);
  FMajorVersion = ByteReader::Get16(header, 26);
  uint16_t sectorShift = ByteReader::Get16(header, 30);
  if (sectorShift != 9 && sectorShift != 12)
    Damaged("sector size");
  FSectorSize = 1u << sectorShift;
  FFatSectors = ByteReader::Get32(header, 44);
  FFirstDirectorySector = ByteReader::Get32(header, 48);
  FMiniCutoff = ByteReader::Get32(header, 56);
  FFirstMiniFatSector = ByteReader::Get32(header, 60);
  FMiniFatSectors = ByteReader::Get32(header, 64);
  FFirstDifatSector = ByteReader::Get32(header, 68);
  FDifatSectors = ByteReader::Get32(header, 72);
  if (FData.size() < FSectorSize)
    Damaged("header");
}

std::string_view CompoundFile::Sector(uint32_t sector) const {
  uint64_t offset = (uint64_t{sector} + 1) * FSectorSize;
  if (sector >= kMaxRegularSector || offset >= FData.size())
    Damaged("sector beyond the end of the file");
  return FData.substr(static_cast<size_t>(offset), FSectorSize);
}

void CompoundFile::ReadFat() {
  const uint64_t sectorsInFile = (FData.size() + FSectorSize - 1) / FSectorSize;
  if (FFatSectors > sectorsInFile)
    Damaged("FAT size");
  // The FAT's own sectors: 109 in the header, the rest in the DIFAT chain,
  // whose sectors end with the number of the next one.
  std::vector<uint32_t> fatSectors;
  std::string_view header(FData.data(), 512);
  for (uint32_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < FFatSectors; ++i)
    fatSectors.push_back(ByteReader::Get32(header, 76 + 4 * i));
  const uint32_t perDifatSector = FSectorSize / 4 - 1;
  std::vector<bool> seen(static_cast<size_t>(sectorsInFile), false);
  uint32_t difat = FFirstDifatSector;
  while (fatSectors.size() < FFatSectors) {
    if (difat >= sectorsInFile || seen[difat])
      Damaged("DIFAT chain");
    seen[difat] = true;
    std::string_view sector = Sector(difat);
    for (uint32_t i = 0; i < perDifatSector && fatSectors.size() < FFatSectors; ++i)
      fatSectors.push_back(ByteReader::Get32(sector, 4 * i));
    difat = ByteReader::Get32(sector, 4 * perDifatSector);
  }
  FFat.reserve(fatSectors.size() * (FSectorSize / 4));
  for (uint32_t sectorNumber : fatSectors) {
    std::string_view sector = Sector(sectorNumber);
    for (size_t i = 0; i + 4 <= sector.size(); i += 4)
      FFat.push_back(ByteReader::Get32(sector, i));
  }
}

// The sectors of a chain, at most limit of them.  The set of sectors seen
// grows with the chain, not with the FAT, so that reading many short
// streams stays linear.
std::vector<uint32_t> CompoundFile::Chain(uint32_t start, const std::vector<uint32_t>& fat,
                                          uint64_t limit) const {
  std::vector<uint32_t> chain;
  std::unordered_set<uint32_t> seen;
  for (uint32_t sector = start; sector != kEndOfChain && chain.size() < limit;
       sector = fat[sector]) {
    if (sector >= fat.size() || !seen.insert(sector).second)
      Damaged(sector >= fat.size() ? "sector chain leaves the FAT" : "sector chain loops");
    chain.push_back(sector);
  }
  return chain;
}

std::string CompoundFile::ReadChain(uint32_t start, uint64_t size, bool mini) const {
  const uint32_t sectorSize = mini ? kMiniSectorSize : FSectorSize;
  // A 64-bit size near its maximum must not wrap around here.
  const uint64_t needed = size / sectorSize + (size % sectorSize != 0 ? 1 : 0);
  const std::vector<uint32_t>& fat = mini ? FMiniFat : FFat;
  if (needed > fat.size())
    Damaged("stream size beyond the file");
  std::vector<uint32_t> chain = Chain(start, fat, needed);
  if (chain.size() < needed)
    Damaged("stream shorter than its size");
  // The chain's sectors are distinct and each is checked to lie in the
  // file (or mini stream) as it is read: the data never outgrow that.
  std::string data;
  data.reserve(
      static_cast<size_t>(std::min<uint64_t>(size, mini ? FMiniStream.size() : FData.size())));
  for (uint32_t sector : chain) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(sectorSize, size - data.size()));
    if (mini) {
      uint64_t offset = uint64_t{sector} * kMiniSectorSize;
      if (offset + part > FMiniStream.size())
        Damaged("mini sector beyond the mini stream");
      data.append(FMiniStream, static_cast<size_t>(offset), part);
    } else {
      std::string_view bytes = Sector(sector);
      if (bytes.size() < part)
        Damaged("sector beyond the end of the file");
      data.append(bytes.substr(0, part));
    }
  }
  return data;
}

void CompoundFile::ReadDirectory() {
  std::vector<uint32_t> chain = Chain(FFirstDirectorySector, FFat, FFat.size());
  for (uint32_t sectorNumber : chain) {
    std::string_view sector = Sector(sectorNumber);
    for (size_t at = 0; at + kDirectoryEntrySize <= sector.size(); at += kDirectoryEntrySize) {
      std::string_view raw = sector.substr(at, kDirectoryEntrySize);
      DirectoryEntry entry;
      size_t nameBytes = std::min<size_t>(ByteReader::Get16(raw, 64), 64);
      for (size_t i = 0; i + 1 < nameBytes; i += 2)
        entry.name += static_cast<char16_t>(ByteReader::Get16(raw, i));
      if (!entry.name.empty() && entry.name.back() == u'\0')
        entry.name.pop_back();
      entry.type = static_cast<uint8_t>(raw[66]);
      entry.left = ByteReader::Get32(raw, 68);
      entry.right = ByteReader::Get32(raw, 72);
      entry.child = ByteReader::Get32(raw, 76);
      entry.start = ByteReader::Get32(raw, 116);
      entry.size = ByteReader::Get32(raw, 120);
      if (FMajorVersion >= 4)
        entry.size |= uint64_t{ByteReader::Get32(raw, 124)} << 32;
      FDirectory.push_back(std::move(entry));
    }
  }
  if (FDirectory.empty() || FDirectory[kRoot].type != kRootStorage)
    Damaged("no root storage");
}

void CompoundFile::ReadMiniStream() {
  if (FFirstMiniFatSector != kEndOfChain && FFirstMiniFatSector != kFreeSector) {
    for (uint32_t sectorNumber : Chain(FFirstMiniFatSector, FFat, FFat.size())) {
      std::string_view sector = Sector(sectorNumber);
      for (size_t i = 0; i + 4 <= sector.size(); i += 4)
        FMiniFat.push_back(ByteReader::Get32(sector, i));
    }
  }
  const DirectoryEntry& root = FDirectory[kRoot];
  if (root.size > 0 && root.start != kEndOfChain)
    FMiniStream = ReadChain(root.start, root.size, false);
}

std::vector<CompoundFile::Element> CompoundFile::Elements(uint32_t storage) const {
  std::vector<Element> elements;
  if (storage >= FDirectory.size())
    return elements;
  // In-order walk of the storage's tree of children, without recursion.
  std::vector<bool> seen(FDirectory.size(), false);
  std::vector<uint32_t> stack;
  uint32_t node = FDirectory[storage].child;
  while (node != kNoStream || !stack.empty()) {
    while (node != kNoStream) {
      if (node >= FDirectory.size() || seen[node])
        Damaged("directory tree");
      seen[node] = true;
      stack.push_back(node);
      node = FDirectory[node].left;
    }
    node = stack.back();
    stack.pop_back();
    const DirectoryEntry& entry = FDirectory[node];
    if (entry.type == kStorage || entry.type == kStream)
      elements.push_back(
          {entry.name, entry.type == kStorage ? ElementKind::Storage : ElementKind::Stream, node});
    node = entry.right;
  }
  return elements;
}

const CompoundFile::StorageIndex& CompoundFile::IndexOf(uint32_t storage) const {
  auto cached = FIndexes.find(storage);
  if (cached != FIndexes.end())
    return cached->second;
  StorageIndex index;
  for (const Element& element : Elements(storage)) {
    std::u16string key = FoldedName(element.name);
    key += element.kind == ElementKind::Storage ? u'S' : u'F'; // after the name: kinds apart
    index.byName.emplace(std::move(key), element.entry);       // the first of a name stands
  }
  return FIndexes.emplace(storage, std::move(index)).first->second;
}

std::optional<uint32_t> CompoundFile::Find(uint32_t storage, std::u16string_view name,
                                           ElementKind kind) const {
  std::u16string key = FoldedName(name);
  key += kind == ElementKind::Storage ? u'S' : u'F';
  const StorageIndex& index = IndexOf(storage);
  auto found = index.byName.find(key);
  if (found == index.byName.end())
    return std::nullopt;
  return found->second;
}

std::string CompoundFile::StreamData(uint32_t entry) const {
  if (entry >= FDirectory.size() || FDirectory[entry].type != kStream)
    throw StorageError("No such stream in the compound file");
  const DirectoryEntry& stream = FDirectory[entry];
  if (stream.size == 0)
    return {};
  return ReadChain(stream.start, stream.size, stream.size < FMiniCutoff);
}

std::unique_ptr<MemoryStream> CompoundFile::OpenStream(uint32_t storage,
                                                       std::u16string_view name) const {
  std::optional<uint32_t> entry = Find(storage, name, ElementKind::Stream);
  if (!entry)
    return nullptr;
  return std::make_unique<MemoryStream>(StreamData(*entry));
}

} // namespace scrivlet
