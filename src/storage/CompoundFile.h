// Compound files: the structured-storage container of Word 97-2003
// documents, of encrypted Word XML packages and of WordPerfect documents
// saved by office suites.
//
// The whole file is held in memory.  Opening checks the header and reads the
// FAT (with the DIFAT beyond the header), the directory and the mini FAT;
// streams are cut out of their sector chains on demand.  Every chain is
// checked against the file: a sector outside it, a chain that loops or ends
// too early, or a size beyond what the chain holds raises StorageError.
#pragma once

#include "core/Stream.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class CompoundFile {
public:
  enum class ElementKind { Storage, Stream };

  struct Element {
    std::u16string name;
    ElementKind kind;
    uint32_t entry; // directory entry, to open the element by
  };

  // The root storage's directory entry.
  static constexpr uint32_t kRoot = 0;

  // Whether the bytes start with the compound-file signature.
  static bool HasSignature(std::string_view data);
  // Whether the named file is a compound file (its signature).
  static bool IsCompoundFile(const std::string& fileName);

  // Opens the compound file held in data; raises StorageError when the
  // data is no compound file or is damaged.
  explicit CompoundFile(std::string data);
  // Opens a named compound file for reading.
  static std::unique_ptr<CompoundFile> OpenFile(const std::string& fileName);
  // The compound file in data, or nullptr when the data is none.
  static std::unique_ptr<CompoundFile> TryOpen(std::string data);
  // The same on bytes the caller keeps alive and unchanged as long as the
  // compound file is used: nothing is copied.
  static std::unique_ptr<CompoundFile> TryOpenView(std::string_view data);

  // The elements of a storage in the directory's order (its tree in order).
  std::vector<Element> Elements(uint32_t storage) const;
  // The number of directory entries (every storage and stream, the root
  // and unused entries included).
  size_t EntryCount() const { return FDirectory.size(); }
  // The child of a storage with this name (letter case ignored; the first
  // of equal names), or nothing.  The lookup goes through an index of the
  // storage made once.
  std::optional<uint32_t> Find(uint32_t storage, std::u16string_view name, ElementKind kind) const;
  // A child stream's bytes as a stream, or nullptr when there is none.
  std::unique_ptr<MemoryStream> OpenStream(uint32_t storage, std::u16string_view name) const;
  // The bytes of a stream element.
  std::string StreamData(uint32_t entry) const;

  // Opens the compound file in bytes that the caller keeps alive.
  struct BorrowedBytes {};
  CompoundFile(BorrowedBytes, std::string_view data);
  // It may view its bytes: never copied or moved.
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

private:
  void Open();

  struct DirectoryEntry {
    std::u16string name;
    uint8_t type = 0; // 1 storage, 2 stream, 5 root
    uint32_t left = 0, right = 0, child = 0;
    uint32_t start = 0;
    uint64_t size = 0;
  };

  // A storage's children by name, made on first use.
  struct StorageIndex {
    std::map<std::u16string, uint32_t> byName; // folded name and kind
  };
  const StorageIndex& IndexOf(uint32_t storage) const;

  void ReadHeader();
  void ReadFat();
  void ReadDirectory();
  void ReadMiniStream();
  std::vector<uint32_t> Chain(uint32_t start, const std::vector<uint32_t>& fat,
                              uint64_t limit) const;
  std::string ReadChain(uint32_t start, uint64_t size, bool mini) const;
  std::string_view Sector(uint32_t sector) const;

  std::string FOwned;     // the bytes, when the compound file holds them
  std::string_view FData; // the compound file's bytes
  uint32_t FSectorSize = 512;
  uint32_t FMajorVersion = 3;
  uint32_t FMiniCutoff = 4096;
  uint32_t FFirstDirectorySector = 0;
  uint32_t FFirstMiniFatSector = 0;
  uint32_t FMiniFatSectors = 0;
  uint32_t FFirstDifatSector = 0;
  uint32_t FDifatSectors = 0;
  uint32_t FFatSectors = 0;
  std::vector<uint32_t> FFat;
  std::vector<uint32_t> FMiniFat;
  std::vector<DirectoryEntry> FDirectory;
  std::string FMiniStream;
  mutable std::map<uint32_t, StorageIndex> FIndexes;
};

} // namespace scrivlet
