#include "pdf/fonts/CharacterCollections.h"

#include <fstream>
#include <sstream>

namespace scrivlet::pdf {

const CMap* CharacterCollections::UnicodeMap(std::string_view collection) {
  if (auto it = FMaps.find(collection); it != FMaps.end())
    return it->second.get();
  std::unique_ptr<CMap> map;
  if (collection == "Adobe-Japan1" || collection == "Adobe-GB1" || collection == "Adobe-CNS1" ||
      collection == "Adobe-Korea1") {
    std::string name(collection);
    std::ifstream file(FDirectory + "/" + name + "/" + name + "-UCS2", std::ios::binary);
    if (file) {
      std::ostringstream text;
      text << file.rdbuf();
      map = std::make_unique<CMap>(CMap::Parse(text.str()));
    }
  }
  const CMap* result = map.get();
  FMaps.emplace(std::string(collection), std::move(map));
  return result;
}

} // namespace scrivlet::pdf
