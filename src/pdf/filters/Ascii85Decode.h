// ASCII85Decode: groups of five characters "!".."u" give four bytes, "z"
// gives four zero bytes, "~>" ends the data.  White space is skipped.  A final
// group of n characters (2 to 4) gives n - 1 bytes, completed with "u" as the
// encoding does; a lone final character gives nothing.
//
// Output stops at the cap ("z" makes four bytes of one character);
// capExceeded, when given, tells whether it did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

std::string Ascii85Decode(std::string_view input, size_t cap = SIZE_MAX,
                          bool* capExceeded = nullptr);

} // namespace scrivlet::pdf
