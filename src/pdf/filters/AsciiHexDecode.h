// ASCIIHexDecode: two hexadecimal digits per byte.  White space is skipped,
// ">" ends the data, and an odd final digit counts as if followed by "0".
// Any other byte is damage and is passed over.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

std::string AsciiHexDecode(std::string_view input);

} // namespace scrivlet::pdf
