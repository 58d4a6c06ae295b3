// PDF text strings (the Info entries, outline titles, ...): UTF-16BE when
// they start with FE FF, UTF-8 when they start with EF BB BF, otherwise
// PDFDocEncoding.  Decoded to UTF-16 characters.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

std::u16string DecodeTextString(std::string_view bytes);

} // namespace scrivlet::pdf
