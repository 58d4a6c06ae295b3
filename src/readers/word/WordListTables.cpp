#include "readers/word/WordListTables.h"

#include "core/ByteReader.h"

#include <climits>

namespace scrivlet {
namespace {

constexpr size_t kListSize = 28, kLevelSize = 28, kOverrideSize = 16;
constexpr uint8_t kSimpleList = 0x01;
constexpr uint8_t kBullet = 23, kNoNumber = 255;
constexpr uint16_t kNoList = 0x07FF;
constexpr size_t kLevels = 9;
constexpr int32_t kNotCounted = INT32_MIN;

std::string_view Slice(std::string_view table, uint32_t offset, uint32_t size) {
  if (offset > table.size() || size > table.size() - offset)
    return {};
  return table.substr(offset, size);
}

} // namespace

WordListTables::WordListTables(std::string_view table, uint32_t listsOffset, uint32_t listsSize,
                               uint32_t overridesOffset, uint32_t overridesSize) {
  try {
    // The lists' levels follow the lists in the stream, outside their size.
    if (listsSize > 0 && listsOffset < table.size())
      ReadLists(table.substr(listsOffset));
  } catch (const ReadError&) {
  }
  try {
    ReadOverrides(Slice(table, overridesOffset, overridesSize));
  } catch (const ReadError&) {
  }
}

// The count of lists, each list's fixed part (its identifier at 0, its
// flags at 26), then the levels of every list in the same order: nine, or
// one for a simple list.  A level's fixed part holds its first number (0),
// its number format (4) and the sizes of its two property lists (24, 25),
// which follow it, then its number text (a count of UTF-16 units).
void WordListTables::ReadLists(std::string_view lists) {
  if (lists.empty())
    return;
  ByteReader reader(lists);
  uint16_t count = reader.U16();
  std::vector<std::string_view> fixed;
  for (uint16_t i = 0; i < count; ++i)
    fixed.push_back(reader.Bytes(kListSize));
  for (std::string_view part : fixed) {
    List list;
    list.id = ByteReader::Get32(part, 0);
    size_t levels = (static_cast<uint8_t>(part[26]) & kSimpleList) ? 1 : kLevels;
    for (size_t i = 0; i < levels; ++i) {
      std::string_view level = reader.Bytes(kLevelSize);
      ListLevelFormat& format = list.levels.emplace_back();
      format.startAt = static_cast<int32_t>(ByteReader::Get32(level, 0));
      uint8_t nfc = static_cast<uint8_t>(level[4]);
      format.ordered = nfc != kBullet && nfc != kNoNumber;
      reader.Bytes(uint64_t{static_cast<uint8_t>(level[24])} + static_cast<uint8_t>(level[25]));
      reader.Bytes(uint64_t{reader.U16()} * 2);
    }
    FListById.emplace(list.id, FLists.size());
    FLists.push_back(std::move(list));
  }
}

// The count of overrides, then each override's fixed part: the identifier
// of the list it formats comes first.
void WordListTables::ReadOverrides(std::string_view overrides) {
  if (overrides.empty())
    return;
  ByteReader reader(overrides);
  uint32_t count = reader.U32();
  if (count > reader.Remaining() / kOverrideSize)
    count = static_cast<uint32_t>(reader.Remaining() / kOverrideSize);
  FOverrideLists.reserve(count);
  for (uint32_t i = 0; i < count; ++i)
    FOverrideLists.push_back(ByteReader::Get32(reader.Bytes(kOverrideSize), 0));
}

const WordListTables::List* WordListTables::ListOf(uint16_t ilfo) const {
  if (ilfo == 0 || ilfo == kNoList || ilfo > FOverrideLists.size())
    return nullptr;
  auto found = FListById.find(FOverrideLists[ilfo - 1]);
  return found == FListById.end() ? nullptr : &FLists[found->second];
}

bool WordListTables::IsList(uint16_t ilfo) const {
  return ListOf(ilfo) != nullptr;
}

WordListTables::Item WordListTables::NextItem(uint16_t ilfo, uint8_t ilvl) {
  Item item;
  const List* list = ListOf(ilfo);
  if (list == nullptr)
    return item;
  size_t level = ilvl < list->levels.size() ? ilvl : list->levels.size() - 1;
  const ListLevelFormat& format = list->levels[level];
  std::vector<int32_t>& counters = FCounters[list->id];
  if (counters.size() < kLevels)
    counters.assign(kLevels, kNotCounted);
  int32_t& counter = counters[level];
  counter = counter == kNotCounted ? format.startAt : counter + 1;
  for (size_t deeper = level + 1; deeper < kLevels; ++deeper)
    counters[deeper] = kNotCounted;
  item.ordered = format.ordered;
  item.number = counter;
  return item;
}

} // namespace scrivlet
