// The published CID-to-Unicode maps of the four Adobe character collections
// (Adobe-Japan1, -GB1, -CNS1, -Korea1), read from the CMap files that
// Debian's poppler-data installs.  A CID font of such a collection without a
// ToUnicode map and without a usable font program finds its characters
// here.  Each map is read once, when a font first needs it.
#pragma once

#include "pdf/fonts/CMap.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

class CharacterCollections {
public:
  // directory holds one folder per collection ("Adobe-Japan1/...").
  explicit CharacterCollections(std::string directory = "/usr/share/poppler/cMap")
      : FDirectory(std::move(directory)) {}

  // The map of a collection ("Adobe-Japan1"); null when it is not one of
  // the four or its file is not installed.
  const CMap* UnicodeMap(std::string_view collection);

private:
  std::string FDirectory;
  std::map<std::string, std::unique_ptr<CMap>, std::less<>> FMaps; // null: not available
};

} // namespace scrivlet::pdf
