// The module table of a VBA project's "_VBA_PROJECT" stream, for projects
// whose "dir" stream cannot be read.
//
// The stream is the project's performance cache, a layout that Office does
// not document and that differs between versions.  This walk knows the
// layout written by the Office versions of the Word 97-2003 era: a 34-byte
// header; reference records (a 16-bit byte length of at least 6 and UTF-16
// text, the registered ones "*\G" and "*\H" followed by 12 more bytes, the
// control ones "*\C" and "*\D" by 12 bytes every second time); 132 bytes;
// a 16-bit module count; and per module its UTF-16 name, a second string,
// variable-sized blocks and the 32-bit offset of its compressed source.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

struct VbaCachedModule {
  std::u16string name; // also the name of the module's stream
  uint32_t sourceOffset = 0;
};

struct VbaPerformanceCache {
  std::vector<VbaCachedModule> modules;
  // Whether the stream ended inside the module table; the modules before
  // the damage are kept.
  bool damaged = false;

  static VbaPerformanceCache Parse(std::string_view stream);
};

} // namespace scrivlet
