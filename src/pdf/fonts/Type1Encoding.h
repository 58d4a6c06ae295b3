// The built-in encoding of an embedded Type 1 font program ("/FontFile"):
// its clear-text part either says "/Encoding StandardEncoding def" or lists
// "dup CODE /name put" entries.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct Type1Encoding {
  bool standard = false;              // the program uses StandardEncoding
  std::array<std::string, 256> names; // else the glyph name of each code
};

// The encoding the program declares; nothing when it declares none.
std::optional<Type1Encoding> ReadType1Encoding(std::string_view program);

} // namespace scrivlet::pdf
