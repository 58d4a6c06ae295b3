// Character entities and numeric character references in document text
// ("&amp;", "&#233;", "&#x42;").
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Replaces every occurrence of entity, together with a ";" right after it,
// by replacement.  A replacement that forms the entity again with the text
// around it is replaced again, as if the search restarted at the start
// after each replacement ("&amp;amp" gives "&").  Linear time.
void ReplaceEntity(std::u16string_view entity, std::u16string_view replacement,
                   std::u16string& text);

// Replaces numeric character references ("&#65;", "&#x42;", "&#X43") by
// their characters; values from U+10000 to U+10FFFF become surrogate pairs.
// 65535, values past U+10FFFF and "&#" without digits stay as written.
void DecodeNumericEntities(std::u16string& text);

// The named entities of the documents' texts, in their fixed order, then
// the numeric references.
void DecodeEntities(std::u16string& text);

} // namespace scrivlet
