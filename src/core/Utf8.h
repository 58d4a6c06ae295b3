// UTF-8 <-> UTF-16.  Documents of the XML era store UTF-8; the readers
// work in UTF-16.  Malformed input never loses the text around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// UTF-16 -> UTF-8.  Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view text);

// UTF-8 -> UTF-16.  Characters above U+FFFF become surrogate pairs; a stray
// continuation byte, a cut-off sequence or a code point past U+10FFFF gives
// one U+FFFD and decoding goes on; overlong forms are taken at their value.
std::u16string Utf8ToUtf16(std::string_view bytes);

// The same into a buffer of maxUnits units; returns the units written.  A
// character that does not fit whole ends the decoding.
size_t DecodeUtf8(std::string_view bytes, char16_t* dest, size_t maxUnits);

// Appends one code point (up to U+10FFFF) as its UTF-8 bytes.
void AppendUtf8(std::string& out, uint32_t codePoint);
// Appends one code point (up to U+10FFFF) as one unit or a surrogate pair.
void AppendCodePoint(std::u16string& out, uint32_t codePoint);

// Decodes sourceBytes bytes of UTF-8 into dest, which has room for
// maxDestChars units including a terminating zero unit.  Returns the units
// written plus one, or 0 when source is absent.  With no dest it only
// counts.  Characters above U+FFFF become surrogate pairs; a malformed
// sequence becomes U+FFFD and the rest of the text is kept.
int64_t Utf8ToWide(char16_t* dest, size_t maxDestChars, const char* source, size_t sourceBytes);

// A whole UTF-8 byte string as UTF-16 text.
std::u16string DecodeUtf8Text(std::string_view bytes);

} // namespace scrivlet
