// ASCII85Decode: groups of five characters "!".."u" give four bytes, "z"
// gives four zero bytes, "~>" ends the data.  White space is skipped.  A final
// group of n characters (2 to 4) gives n - 1 bytes, completed with "u" as the
// encoding does; a lone final character gives nothing.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

std::string Ascii85Decode(std::string_view input);

} // namespace scrivlet::pdf
