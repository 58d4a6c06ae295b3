// Code pages: byte strings of Windows code pages <-> UTF-16 text.
//
// Documents of every era store 8-bit text in a Windows code page; the library
// works in UTF-16 inside and in the host's code page at its edges (the page
// and text it writes, file names, messages).  As the locale's character set
// on a Linux system, that is UTF-8 unless the programs are asked for a
// Windows code page (SCRIVLET_CODEPAGE, which only the front end reads).
//
// Single-byte code pages convert through built-in 128-entry tables; only the
// multi-byte East Asian ones (932, 936, 949, 950, 1361) go through iconv.
// Characters a code page cannot hold become "?".  Bytes that a single-byte
// code page leaves undefined map to U+0080..U+00FF of the same value and
// back, so any byte string survives a round trip.
#pragma once

#include "core/Utf8.h"

#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// Code page number meaning "the system code page".
inline constexpr int CP_ACP = 0;
inline constexpr int CP_UTF8 = 65001;
inline constexpr int kDefaultSystemCodePage = CP_UTF8;

// The system code page number.
int SystemCodePage();

// Replaces the system code page for the rest of the process: the programs
// call it once at start-up with what SCRIVLET_CODEPAGE names (UTF-8
// otherwise); conversions get the same number in their options.  An
// unsupported number is refused and leaves the setting unchanged.
bool SetSystemCodePage(int codePage);

// The code page a SCRIVLET_CODEPAGE value names: a supported number, or
// "utf-8" for 65001; nullopt for anything else.
std::optional<int> ParseCodePageSetting(std::string_view value);

// The code page of document bytes that a format stores "in the system code
// page" (Write, WordPerfect, old Word, PDF strings without an encoding):
// such bytes are never UTF-8, so with the UTF-8 system code page they are
// read as Windows-1252, what a Western system gives them.
int LegacyTextCodePage();

// The IANA charset name of a code page ("utf-8", "windows-1251", ...), as
// HTML and HTTP declare it.
const char* CharsetName(int codePage = CP_ACP);

// Whether the number names a code page this build can convert.
bool IsSupportedCodePage(int codePage);

// Byte string in the code page -> UTF-16.  Unsupported code pages fall back
// to the system code page.
std::u16string AnsiToWide(std::string_view bytes, int codePage = CP_ACP);

// UTF-16 -> byte string in the code page; unmappable characters become "?".
std::string WideToAnsi(std::u16string_view text, int codePage = CP_ACP);

} // namespace scrivlet
