#include "vba/VbaListing.h"

namespace scrivlet {

std::vector<std::u16string> VbaListing(VbaProject project, uint64_t maxCharacters) {
  static constexpr std::u16string_view kRule = u"'===================================";
  static constexpr std::u16string_view kHeading = u"'  Macro(s) from ";
  std::vector<std::u16string> entries;
  uint64_t characters = 0;
  for (VbaModule& module : project.modules) {
    if (module.source.empty())
      continue;
    const uint64_t size = 2 * (kRule.size() + 1) + kHeading.size() + module.name.size() + 1 +
                          module.source.size() + 2 + 1;
    if (size > maxCharacters - characters)
      break;
    characters += size;
    entries.emplace_back(kRule);
    entries.push_back(std::u16string(kHeading) + module.name);
    entries.emplace_back(kRule);
    module.source += u"\r\n";
    entries.push_back(std::move(module.source));
  }
  return entries;
}

} // namespace scrivlet
