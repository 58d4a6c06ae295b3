// Character entities and numeric character references in document text
// ("&amp;", "&#233;", "&#x42;").
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Decodes the character references of a text once, left to right: the
// named entities of the documents' texts ("&amp;", "&lt;", "&nbsp;", ...,
// the ";" optional) and numeric references ("&#65;", "&#x42;", "&#X43").
// What a reference gives is text: "&amp;lt;" is "&lt;", never "<".
// Unknown names, 65535, values past U+10FFFF and "&#" without digits stay
// as written; values from U+10000 become surrogate pairs.
void DecodeEntities(std::u16string& text);

} // namespace scrivlet
