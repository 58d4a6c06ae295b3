// Superscript and subscript forms of the characters that Unicode has them
// for (digits, + − = ( ) and n, i for superscripts): an equation's simple
// exponent reads "r²" as it is printed, not "r^2".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// The text in superscript (or subscript) characters, when every character
// has one; nothing otherwise.
std::optional<std::u16string> AsScriptCharacters(std::u16string_view text, bool superscript);

} // namespace scrivlet
