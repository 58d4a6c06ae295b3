// Built-in tables of the single-byte code pages: bytes 0x00-0x7F are ASCII
// in all of them, so each table holds the upper half only.
#pragma once

namespace scrivlet {

// The 128 UTF-16 units of bytes 0x80-0xFF, or nullptr for a code page that
// is not single-byte.
const char16_t* SingleByteUpperHalf(int codePage);

} // namespace scrivlet
