// The list tables of a Word 97-2003 document: the lists (PlfLst: each list's
// identifier and its one or nine levels, each level's number format and
// first number) and the list format overrides (PlfLfo) that paragraphs name
// by their 1-based ilfo.  Counting the items of each list gives their
// numbers.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet {

struct ListLevelFormat {
  bool ordered = false; // numbered; bullets and levels without a number are not
  int32_t startAt = 1;
};

class WordListTables {
public:
  WordListTables() = default;
  WordListTables(std::string_view table, uint32_t listsOffset, uint32_t listsSize,
                 uint32_t overridesOffset, uint32_t overridesSize);

  // Whether a paragraph with this ilfo is a list item.
  bool IsList(uint16_t ilfo) const;
  // The next item of the list at that level: its format and number (the
  // deeper levels of the list start again).
  struct Item {
    bool ordered = false;
    int32_t number = 0;
  };
  Item NextItem(uint16_t ilfo, uint8_t ilvl);

private:
  struct List {
    uint32_t id = 0;
    std::vector<ListLevelFormat> levels;
  };
  void ReadLists(std::string_view lists);
  void ReadOverrides(std::string_view overrides);
  const List* ListOf(uint16_t ilfo) const;

  std::vector<List> FLists;
  std::vector<uint32_t> FOverrideLists; // by ilfo - 1: the list's identifier
  std::unordered_map<uint32_t, size_t> FListById;
  // The last number given at each level, by list identifier.
  std::unordered_map<uint32_t, std::vector<int32_t>> FCounters;
};

} // namespace scrivlet
