// The "dir" stream of a VBA project, once decompressed: the project's
// information records, its references and one group of records per module.
//
// Every record is a 16-bit identifier and a 32-bit size followed by that
// many bytes, with one exception: the project version record (0x0009) says
// 4 but carries 6 bytes.  The records read here:
//   0x0003 PROJECTCODEPAGE      the code page of the project's 8-bit text
//   0x000F PROJECTMODULES       how many modules follow
//   0x0019 MODULENAME           starts a module: its name, 8-bit
//   0x0047 MODULENAMEUNICODE    the same name in UTF-16
//   0x001A MODULESTREAMNAME     the module's stream, 8-bit
//   0x0032                      the stream name in UTF-16
//   0x0031 MODULEOFFSET         where the compressed source starts in it
//   0x0010                      the end of the stream
// Every other record (references, doc strings, cookies, flags) is skipped
// by its size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

struct VbaModuleRecord {
  std::string name;                 // MODULENAME, in the project's code page
  std::u16string unicodeName;       // MODULENAMEUNICODE, when present
  std::string streamName;           // MODULESTREAMNAME, in the project's code page
  std::u16string unicodeStreamName; // its UTF-16 form, when present
  std::optional<uint32_t> sourceOffset;
};

struct VbaDirectory {
  std::optional<uint16_t> codePage;
  std::vector<VbaModuleRecord> modules;
  // Whether more modules followed than the project declares (or than its
  // 16-bit count can): those are not read.  A small compressed stream can
  // hold millions of module records, each a record kept in memory.
  bool modulesCut = false;

  // Parses a decompressed "dir" stream.  Raises VbaError when a record
  // runs past the data, a fixed-size record has the wrong size, or a module
  // record comes before any module name.
  static VbaDirectory Parse(std::string_view dir);
};

} // namespace scrivlet
