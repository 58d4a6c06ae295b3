// Bidirectional formatting characters in a short text shown inside the
// page's own text: a title, a file name.  An explicit embedding or override
// (U+202A-202E) or isolate (U+2066-2069) left open reorders everything that
// follows it up to the end of the paragraph: a title of RIGHT-TO-LEFT
// OVERRIDE and "cod.exe" shows as "exe.doc", and the words of a heading or
// a message after it are turned round too.  Such text is balanced (every
// opener closed at its end, every closer without an opener dropped) and
// then kept apart from what surrounds it: by an isolate, FIRST STRONG
// ISOLATE ... POP DIRECTIONAL ISOLATE, where no mark-up can be used.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Whether the text holds an explicit embedding, override or isolate
// character, or a closer of one.
bool HasBidiControls(std::u16string_view text);

// The text with its explicit formatting balanced: a closer without a
// matching opener is dropped, and the openers still open at the end are
// closed there, the innermost first.
std::u16string BalancedBidiText(std::u16string_view text);

// The balanced text between FSI (U+2068) and PDI (U+2069) when it holds
// such characters; the text unchanged otherwise.
std::u16string IsolatedBidiText(std::u16string_view text);

} // namespace scrivlet
