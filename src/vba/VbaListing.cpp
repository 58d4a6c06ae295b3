#include "vba/VbaListing.h"

namespace scrivlet {

std::vector<std::u16string> VbaListing(const VbaProject& project) {
  static constexpr std::u16string_view kRule = u"'===================================";
  std::vector<std::u16string> entries;
  for (const VbaModule& module : project.modules) {
    if (module.source.empty())
      continue;
    entries.emplace_back(kRule);
    entries.push_back(u"'  Macro(s) from " + module.name);
    entries.emplace_back(kRule);
    entries.push_back(module.source + u"\r\n");
  }
  return entries;
}

} // namespace scrivlet
