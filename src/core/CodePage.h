// Code pages: byte strings of Windows code pages <-> UTF-16 text.
//
// Documents of every era store 8-bit text in a Windows code page; the library
// works in UTF-16 inside the readers and in the "system ANSI code page" at its
// edges (file names, summary strings, the page it writes).  The system code
// page is Windows-1252 unless the environment variable SCRIVLET_CODEPAGE names
// another Windows code page number.
//
// Single-byte code pages convert through 256-entry tables built once from
// iconv; the multi-byte East Asian ones (932, 936, 949, 950, 1361) go through
// a cached iconv descriptor.  Characters a code page cannot hold become "?".
// Bytes that a single-byte code page leaves undefined map to U+0080..U+00FF
// of the same value and back, so any byte string survives a round trip.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

// Code page number meaning "the system ANSI code page".
inline constexpr int CP_ACP = 0;
inline constexpr int CP_UTF8 = 65001;

// The system ANSI code page number (1252 by default).
int SystemCodePage();

// Replaces the system code page for the rest of the process (the programs
// call it at start-up from SCRIVLET_CODEPAGE; tests use it directly).  An
// unsupported number is refused and leaves the setting unchanged.
bool SetSystemCodePage(int codePage);

// Whether the number names a code page this build can convert.
bool IsSupportedCodePage(int codePage);

// Byte string in the code page -> UTF-16.  Unsupported code pages fall back
// to the system code page.
std::u16string AnsiToWide(std::string_view bytes, int codePage = CP_ACP);

// UTF-16 -> byte string in the code page; unmappable characters become "?".
std::string WideToAnsi(std::u16string_view text, int codePage = CP_ACP);

// UTF-16 -> UTF-8.  Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view text);

// UTF-8 -> UTF-16.  Characters above U+FFFF become surrogate pairs; a stray
// continuation byte, a cut-off sequence or a code point past U+10FFFF gives
// one U+FFFD and decoding goes on; overlong forms are taken at their value.
std::u16string Utf8ToUtf16(std::string_view bytes);

// The same into a buffer of maxUnits units; returns the units written.  A
// character that does not fit whole ends the decoding.
size_t DecodeUtf8(std::string_view bytes, char16_t* dest, size_t maxUnits);

} // namespace scrivlet
