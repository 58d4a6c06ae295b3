// Looks up one attribute in the raw attribute text of a start tag, as a
// reader's tag handler receives it (the text between the element's name and
// ">"), without building attribute nodes.  The name must match whole (so
// "r:id" does not match "xr:id"); blanks may surround "="; the value is
// quoted with either quote, or runs to the next blank.  Entities are left as
// they are.
#pragma once

#include <optional>
#include <string_view>

namespace scrivlet {

std::optional<std::u16string_view> RawAttributeValue(std::u16string_view attributes,
                                                     std::u16string_view name);

} // namespace scrivlet
