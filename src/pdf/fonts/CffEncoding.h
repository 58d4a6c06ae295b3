// The built-in encoding of an embedded CFF font program ("/FontFile3" of
// subtype Type1C): the Top DICT's encoding (StandardEncoding, or codes for
// glyph numbers, with supplements) and charset (glyph numbers to string ids
// to glyph names).  Every offset and count is checked against the data.
#pragma once

#include "pdf/fonts/Type1Encoding.h"

#include <optional>
#include <string_view>

namespace scrivlet::pdf {

// The encoding the program declares; nothing for CID-keyed programs and for
// damaged ones.
std::optional<Type1Encoding> ReadCffEncoding(std::string_view program);

} // namespace scrivlet::pdf
