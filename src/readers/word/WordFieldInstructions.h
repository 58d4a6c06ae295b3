// What a Word field's instruction says: its arguments, the target of a
// HYPERLINK field, and what a field shows that the document stores without
// a result (Word computes those where it shows them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// The arguments of a field instruction, its name first: quoted or
// separated by blanks.
std::vector<std::u16string> FieldArguments(std::u16string_view instruction);

// The target of a HYPERLINK field: its address, "#" and the place a \l
// switch names; empty for any other field.
std::u16string HyperlinkFieldTarget(std::u16string_view instruction);

// What a field without a result shows: the base text of an EQ field, the
// character of a SYMBOL field; empty for the others and where that cannot
// be told.
std::u16string ShownWithoutResult(std::u16string_view instruction);

// The text an EQ field's expression (the instruction after "EQ") shows
// where it can be told, leaving out what stands above or below it: an
// overstrike \o(...) shows its last argument (the base a phonetic guide
// \o\ad(\s\up n(reading),base) puts its reading over), a raised or lowered
// \s(...) nothing.  Empty for the other constructs.
std::u16string EquationBaseText(std::u16string_view expression);

} // namespace scrivlet
