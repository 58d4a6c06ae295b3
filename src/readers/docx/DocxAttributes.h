// Attribute values of WordprocessingML start tags, read from the raw
// attribute text that the XML engine's tag event gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// The attribute's value with its entities decoded; empty when it is absent.
std::u16string AttributeText(std::u16string_view attributes, std::u16string_view name);
// A decimal whole number ("-3", "12"); nullopt when absent, not a number
// or out of the 32-bit range.
std::optional<int32_t> IntegerAttribute(std::u16string_view attributes, std::u16string_view name);
// Whether an on/off property's w:val says on: also when it has none, off
// for "0", "false" and "off".
bool IsOn(std::u16string_view attributes);
// Whether an attribute is there and says true ("1", "true", "on").
bool AttributeIsTrue(std::u16string_view attributes, std::u16string_view name);

} // namespace scrivlet
