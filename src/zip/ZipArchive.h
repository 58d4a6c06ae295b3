// ZIP archives, as the XML-based formats package their parts.
//
// The archive is held in memory; the central directory lists the members,
// each member's local header leads to its data.  When the central directory
// is missing or damaged (a file cut short, say), the members are found
// from their local headers instead, as far as the file holds them.  Members come out stored or
// inflated, checked against their CRC-32.  Inflating is capped by the
// limits the archive is made with: what one member and what all members
// read from the archive may expand to.
#pragma once

#include "core/Exception.h"
#include "core/Limits.h"
#include "core/Stream.h"
#include "core/WorkBudget.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet {

// A member whose data does not match its CRC-32.
class ZipCrcError : public Exception {
public:
  using Exception::Exception;
};

// One member: its central-directory entry and local header.
struct ZipEntry {
  // Local header.
  uint32_t LocalSignature = 0;
  uint16_t LocalFlags = 0, LocalMethod = 0;
  uint32_t LocalCrc32 = 0;
  // The local sizes, 64-bit ones from a zip64 extra field where the header
  // gives 0xFFFFFFFF.
  uint64_t LocalCompressedSize = 0, LocalUncompressedSize = 0;
  std::string FileName; // the local header's name
  std::string LocalExtra;
  // Where the member's compressed data lies in the archive.
  uint64_t DataOffset = 0, DataSize = 0;
  bool LocalHeaderRead = false;
  // Central directory entry.
  uint32_t CentralSignature = 0;
  uint16_t VersionMadeBy = 0, CentralFlags = 0, CentralMethod = 0;
  uint32_t CentralCrc32 = 0;
  uint64_t CentralCompressedSize = 0, CentralUncompressedSize = 0;
  uint16_t DiskNumber = 0, InternalAttributes = 0;
  uint32_t ExternalAttributes = 0;
  uint64_t LocalHeaderOffset = 0;
  std::string CentralFileName, CentralExtra, FileComment;
  // Found from its local header alone: its data may be cut short, and its
  // size and checksum may be unknown (they follow the data then).
  bool Recovered = false;
};

using ZipEntries = std::vector<ZipEntry>;

// Whether the bytes start with the ZIP local-header signature "PK\3\4".
bool HasZipSignature(std::string_view bytes);
// The same for the start of a file; raises FileOpenError when the file cannot
// be opened.
bool IsZipFile(const std::string& fileName);

class ZipArchive {
public:
  // budget, when given, pays for every member read (its bytes in the
  // archive and out) and every directory entry kept; it must outlive the
  // archive.
  explicit ZipArchive(const Limits& limits = Limits(), WorkBudget* budget = nullptr)
      : FBudget(limits), FWork(budget) {}
  // A moved archive keeps viewing the bytes it holds or borrows.
  ZipArchive(ZipArchive&& other) noexcept;
  ZipArchive& operator=(ZipArchive&&) = delete;

  // Reads the archive from the stream's position to its end.  Raises "The
  // archive is damaged: ..." when the bytes hold no member at all (an
  // archive whose intact directory lists none is empty, not damaged).
  void LoadFromStream(Stream& stream);
  void LoadFromBytes(std::string bytes);
  // The same on bytes the caller keeps alive and unchanged as long as the
  // archive is used: nothing is copied.
  void LoadFromView(std::string_view bytes);

  const ZipEntries& Files() const { return FFiles; }
  // What was wrong with the archive (its members were then found from their
  // local headers); empty for an intact one.
  const std::string& Damage() const { return FDamage; }
  // The first member whose name equals name ignoring letter case, or -1.
  int IndexOfFile(std::string_view name) const;
  // A member's uncompressed bytes.  Raises LimitExceeded when the member
  // would inflate past the decoded-bytes limits.
  std::string GetFileData(int index) const;
  // By name ("/" may stand for "\"); empty bytes for a missing member.
  std::string GetFileByName(std::string_view name) const;

  static uint32_t ZipCRC32(std::string_view bytes);

  // Raw deflate data that came out of a member some other way (decrypted,
  // say) inflated under the same limits and budget as the members; raises
  // Exception("The member %s is damaged") when they are not whole deflate
  // data.  declaredSize only guides the first allocation.
  std::string InflateDecoded(std::string_view deflated, uint64_t declaredSize,
                             std::string_view name) const;

private:
  // The number of entries the end record declares, or -1 without one.
  int64_t ReadEndRecord();
  // The zip64 end record's count and directory offset, when the end record
  // at endOffset defers to one; false without one.
  bool ReadZip64EndRecord(uint64_t endOffset, uint64_t& entries, uint64_t& directoryOffset) const;
  void ReadCentralDirectory(uint64_t directoryOffset, uint64_t entries);
  bool ReadLocalHeader(uint64_t offset, ZipEntry& file) const;
  void RecoverFromLocalHeaders();
  uint64_t RecoveredDataEnd(const ZipEntry& file) const;
  void AddMember(ZipEntry file);
  std::string InflateMember(std::string_view data, uint64_t expected, uint64_t& consumed) const;
  // Refuses a member whose data [begin, end) share bytes with those of
  // another member read before; records them otherwise.
  void ClaimData(int index, uint64_t begin, uint64_t end) const;

  std::string FOwned;     // the bytes, when the archive holds them
  std::string_view FData; // the archive's bytes
  ZipEntries FFiles;
  std::string FDamage;
  std::unordered_map<std::string, int> FIndex; // lower-cased name to first member
  // Every member read counts, also one read again, stored ones too: many
  // entries may share one data region.
  mutable DecodeBudget FBudget;
  WorkBudget* FWork = nullptr;
  // The data of the members read so far, by where they begin: their end
  // and the member.  No two members of an archive share bytes; members
  // made to share one region would be read again and again.
  mutable std::map<uint64_t, std::pair<uint64_t, int>> FClaimed;
};

} // namespace scrivlet
