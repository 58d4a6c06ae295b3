// The attributes of an OpenDocument element, read from its start tag as the
// engine keeps it (this reader has the engine leave attributes unparsed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

class XmlNode;

// The value of the attribute named so (its UTF-8 text decoded, entities
// too); "" when the element has none.
std::u16string ElementAttribute(const XmlNode& element, std::string_view name);

// The attribute's leading decimal number, fallback when it has none; the
// number is capped at 1,000,000.
int32_t NumberAttribute(const XmlNode& element, std::string_view name, int32_t fallback);

} // namespace scrivlet
