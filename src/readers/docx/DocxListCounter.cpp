#include "readers/docx/DocxListCounter.h"

namespace scrivlet {

int32_t DocxListCounter::Next(int64_t key, int32_t ilvl, int32_t start) {
  if (ilvl < 0 || ilvl >= DocxNumbering::kLevels)
    return 0;
  Counts& counts = FLists[key];
  const auto level = static_cast<size_t>(ilvl);
  if (!counts.started[level] || counts.numbers[level] == INT32_MAX)
    counts.numbers[level] = start;
  else
    ++counts.numbers[level];
  counts.started[level] = true;
  for (size_t deeper = level + 1; deeper < counts.started.size(); ++deeper)
    counts.started[deeper] = false;
  return counts.numbers[level];
}

std::u16string DocxListCounter::Marker(int64_t key, int32_t numId, int32_t ilvl,
                                       const DocxNumbering& numbering) const {
  const DocxNumbering::Level* level = numbering.LevelOf(numId, ilvl);
  auto counts = FLists.find(key);
  if (level == nullptr || counts == FLists.end())
    return {};
  if (!level->ordered)
    return level->text;
  std::u16string marker;
  const std::u16string& text = level->text;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
    const int32_t referred = next - u'1';
    if (text[i] != u'%' || referred < 0 || referred > ilvl) {
      marker += text[i];
      continue;
    }
    const DocxNumbering::Level* shown = numbering.LevelOf(numId, referred);
    marker += FormatListNumber(counts->second.numbers[static_cast<size_t>(referred)],
                               shown ? std::u16string_view(shown->format) : u"decimal");
    ++i;
  }
  return marker;
}

} // namespace scrivlet
