#include "pdf/XrefTable.h"

#include "core/Exception.h"
#include "pdf/ObjectText.h"
#include "pdf/TrailerBounds.h"

#include <algorithm>

namespace scrivlet::pdf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A forward reader of the whitespace-separated tokens of a classic table.
class TableTokens {
public:
  TableTokens(std::string_view data, size_t pos) : FData(data), FPos(pos) {}

  void SkipWhiteSpace() {
    while (FPos < FData.size() && IsWhiteSpace(FData[FPos]))
      ++FPos;
  }
  bool StartsWith(std::string_view word) {
    SkipWhiteSpace();
    return FData.substr(FPos).starts_with(word);
  }
  std::optional<uint64_t> Number() {
    SkipWhiteSpace();
    size_t begin = FPos;
    uint64_t value = 0;
    while (FPos < FData.size() && IsDigit(FData[FPos]) && FPos - begin < 19)
      value = value * 10 + static_cast<uint64_t>(FData[FPos++] - '0');
    if (FPos == begin)
      return std::nullopt;
    while (FPos < FData.size() && IsDigit(FData[FPos]))
      ++FPos; // absurdly long: keep going, the value is then useless
    return value;
  }
  void Advance(size_t count) { FPos = std::min(FData.size(), FPos + count); }
  char Letter() {
    SkipWhiteSpace();
    return FPos < FData.size() ? FData[FPos++] : '\0';
  }
  size_t Position() const { return FPos; }

private:
  std::string_view FData;
  size_t FPos;
};

uint64_t BigEndian(std::string_view bytes) {
  uint64_t value = 0;
  for (char c : bytes)
    value = value << 8 | static_cast<uint8_t>(c);
  return value;
}

std::vector<int64_t> Numbers(std::string_view list) {
  std::vector<int64_t> numbers;
  size_t pos = 0;
  while (pos < list.size()) {
    while (pos < list.size() && (IsWhiteSpace(list[pos]) || list[pos] == ','))
      ++pos;
    size_t begin = pos;
    while (pos < list.size() && !IsWhiteSpace(list[pos]) && list[pos] != ',')
      ++pos;
    if (pos > begin)
      numbers.push_back(ToInteger(list.substr(begin, pos - begin), -1));
  }
  return numbers;
}

} // namespace

bool XrefTable::Add(uint32_t number, const XrefEntry& entry) {
  if (FEntries.size() >= FCapacity)
    return false;
  return FEntries.emplace(number, entry).second;
}

void XrefTable::Set(uint32_t number, const XrefEntry& entry) {
  if (auto known = FEntries.find(number); known != FEntries.end())
    known->second = entry;
  else if (FEntries.size() < FCapacity)
    FEntries.emplace(number, entry);
}

const XrefEntry* XrefTable::Find(uint32_t number) const {
  auto it = FEntries.find(number);
  return it == FEntries.end() ? nullptr : &it->second;
}

std::string_view XrefTable::TrailerWith(std::string_view key) const {
  for (std::string_view trailer : FTrailers)
    if (HasKey(trailer, key))
      return trailer;
  return {};
}

std::optional<std::string_view> ReadClassicSection(std::string_view data, size_t offset,
                                                   XrefTable& table, const TrailerBounds& bounds) {
  TableTokens tokens(data, offset);
  if (!tokens.StartsWith("xref"))
    return std::nullopt;
  tokens.Advance(4);
  bool firstSubsection = true;
  while (!tokens.StartsWith("trailer")) {
    std::optional<uint64_t> first = tokens.Number();
    std::optional<uint64_t> count = tokens.Number();
    if (!first || !count)
      break;
    for (uint64_t k = 0; k < *count; ++k) {
      if (tokens.StartsWith("trailer"))
        break; // fewer entries than the header counts: keep those read
      std::optional<uint64_t> entryOffset = tokens.Number();
      std::optional<uint64_t> generation = tokens.Number();
      char type = tokens.Letter();
      if (!entryOffset || !generation || (type != 'n' && type != 'f'))
        return std::nullopt; // a damaged table: the caller repairs
      // A common writer's slip: a table that starts at 1 with the free head
      // of the list (object 0) as its first entry.
      if (firstSubsection && k == 0 && *first == 1 && type == 'f' && *generation == 65535)
        first = 0;
      uint64_t number = *first + k;
      if (type == 'n' && number <= UINT32_MAX && *entryOffset < data.size() && *entryOffset > 0)
        table.Add(static_cast<uint32_t>(number),
                  XrefEntry{XrefEntry::Kind::InFile, *entryOffset, 0, 0});
    }
    firstSubsection = false;
  }
  if (!tokens.StartsWith("trailer"))
    return std::nullopt;
  return bounds.DictionaryAfter(tokens.Position() + 7);
}

void ReadXrefStreamEntries(std::string_view dictionary, std::string_view data, size_t fileSize,
                           XrefTable& table) {
  std::vector<int64_t> widths = Numbers(GetKeyList("/w", dictionary));
  if (widths.size() < 3 || widths[0] < 0 || widths[0] > 1)
    throw Exception("First parameter in /W tag for /TYPE/XREF section is not valid");
  for (size_t i = 1; i < 3; ++i)
    if (widths[i] < 0 || widths[i] > 8)
      throw Exception("Content of stream for /TYPE/XREF section have incorrect length");
  size_t typeWidth = static_cast<size_t>(widths[0]);
  size_t width2 = static_cast<size_t>(widths[1]);
  size_t width3 = static_cast<size_t>(widths[2]);
  size_t entryWidth = typeWidth + width2 + width3;
  if (entryWidth == 0 || data.size() % entryWidth != 0)
    throw Exception("Content of stream for /TYPE/XREF section have incorrect length");
  std::vector<int64_t> index = Numbers(GetKeyList("/index", dictionary));
  if (index.empty()) {
    index.push_back(0);
    index.push_back(ToInteger(GetKeyValue("/size", dictionary), 0));
  }
  size_t pos = 0;
  for (size_t pair = 0; pair + 1 < index.size() && pos < data.size(); pair += 2) {
    int64_t first = index[pair];
    int64_t count = index[pair + 1];
    if (first < 0 || count < 0)
      break;
    for (int64_t k = 0; k < count && pos + entryWidth <= data.size() && !table.Full(); ++k) {
      std::string_view entry = data.substr(pos, entryWidth);
      pos += entryWidth;
      uint64_t type = typeWidth ? BigEndian(entry.substr(0, typeWidth)) : 1;
      uint64_t field2 = BigEndian(entry.substr(typeWidth, width2));
      uint64_t field3 = BigEndian(entry.substr(typeWidth + width2, width3));
      int64_t number = first + k;
      if (number > UINT32_MAX)
        break;
      auto objectNumber = static_cast<uint32_t>(number);
      if (type == 1 && field2 > 0 && field2 < fileSize)
        table.Add(objectNumber, XrefEntry{XrefEntry::Kind::InFile, field2, 0, 0});
      else if (type == 2 && field2 <= UINT32_MAX && field3 <= UINT32_MAX)
        table.Add(objectNumber,
                  XrefEntry{XrefEntry::Kind::InObjectStream, 0, static_cast<uint32_t>(field2),
                            static_cast<uint32_t>(field3)});
    }
  }
}

} // namespace scrivlet::pdf
