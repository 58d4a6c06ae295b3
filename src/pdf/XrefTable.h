// The cross-reference table: where each object of the document is.
//
// Sections are read newest first (from "startxref" back through /Prev), so
// an entry only fills a gap: the newest section's entry for an object wins,
// as do the newest trailer's keys (an incremental update's edits are what
// the document shows).  Free entries are not recorded; an object that a
// newer section frees therefore still resolves to its older text, which only
// matters to editors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet::pdf {

struct XrefEntry {
  enum class Kind : uint8_t { InFile = 1, InObjectStream = 2 };
  Kind Type = Kind::InFile;
  uint64_t Offset = 0;       // byte offset (in file)
  uint32_t StreamNumber = 0; // the object stream (in object stream)
  uint32_t Index = 0;        // position within the object stream
};

class XrefTable {
public:
  // At most `capacity` objects are recorded: the counts and /Index ranges
  // of a cross-reference stream are the file's word, and a small stream
  // may decode to millions of entries, each a node in memory.
  explicit XrefTable(size_t capacity = SIZE_MAX) : FCapacity(capacity) {}
  void SetCapacity(size_t capacity) { FCapacity = capacity; }
  // Records the entry unless the object already has one or the table is
  // full; true when added.
  bool Add(uint32_t number, const XrefEntry& entry);
  // Replaces the entry (for repairs); a new object only while there is room.
  void Set(uint32_t number, const XrefEntry& entry);
  void Remove(uint32_t number) { FEntries.erase(number); }
  const XrefEntry* Find(uint32_t number) const;
  size_t Size() const { return FEntries.size(); }
  bool Full() const { return FEntries.size() >= FCapacity; }
  const std::unordered_map<uint32_t, XrefEntry>& Entries() const { return FEntries; }

  // Trailer dictionaries (their inside), newest first.
  void AddTrailer(std::string_view dictionary) { FTrailers.push_back(dictionary); }
  const std::vector<std::string_view>& Trailers() const { return FTrailers; }
  // The newest trailer that has the key (empty when none has it).
  std::string_view TrailerWith(std::string_view key) const;

private:
  std::unordered_map<uint32_t, XrefEntry> FEntries;
  std::vector<std::string_view> FTrailers;
  size_t FCapacity;
};

class TrailerBounds;

// Reads the classic table that starts with "xref" at the offset into the
// table; returns the trailer dictionary's inside (nullopt when the section
// has no trailer), cut where the bounds say.  Subsections are read by their
// "first count" headers.
std::optional<std::string_view> ReadClassicSection(std::string_view data, size_t offset,
                                                   XrefTable& table, const TrailerBounds& bounds);

// Reads the entries of a cross-reference stream whose dictionary and decoded
// data are given.  Raises the two "/TYPE/XREF" messages for a bad /W and
// for data that are not whole entries.
void ReadXrefStreamEntries(std::string_view dictionary, std::string_view data, size_t fileSize,
                           XrefTable& table);

} // namespace scrivlet::pdf
