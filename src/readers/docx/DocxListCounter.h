// The running numbers of the lists of a document, as Word counts them: per
// list (DocxNumbering::CounterKey) and level, a level starting at its start
// value and advancing with each item, the deeper levels starting again
// after an item of a shallower one.
#pragma once

#include "readers/docx/DocxNumbering.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace scrivlet {

class DocxListCounter {
public:
  // The number of the next item at level ilvl (0-8) of the list counted
  // under key, whose level starts at start.
  int32_t Next(int64_t key, int32_t ilvl, int32_t start);
  // The marker of the item just counted: the level's text with "%1" to
  // "%9" replaced by the numbers of those levels, each in its own format.
  std::u16string Marker(int64_t key, int32_t numId, int32_t ilvl,
                        const DocxNumbering& numbering) const;

private:
  struct Counts {
    std::array<int32_t, DocxNumbering::kLevels> numbers{};
    std::array<bool, DocxNumbering::kLevels> started{};
  };
  std::unordered_map<int64_t, Counts> FLists;
};

} // namespace scrivlet
