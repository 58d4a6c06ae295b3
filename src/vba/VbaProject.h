// A VBA project stored in a compound file: the modules and their source.
//
// Word keeps the project in its "Macros" storage, a macro-enabled package
// in the root of its vbaProject.bin member; either way the project's
// streams sit in a storage ("VBA") below that.  The module list comes from
// the "dir" stream (module names, stream names, source offsets and the code
// page of the source); when a project has no readable "dir" stream, from
// the module table of its "_VBA_PROJECT" stream.  Each module's stream
// holds a cache first and the compressed source from the module's offset to
// the stream's end.
#pragma once

#include "core/CodePage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet {

class CompoundFile;

struct VbaModule {
  std::u16string name;
  std::u16string streamName;
  uint32_t sourceOffset = 0;
  std::u16string source; // empty when the module's stream is missing
};

struct VbaProject {
  enum class ModuleTable { None, Dir, PerformanceCache };

  // Where the module list came from; None when the storage holds no
  // project.
  ModuleTable moduleTable = ModuleTable::None;
  // The code page the source was decoded in (the fallback given to Read
  // without a "dir" that names one).
  int codePage = CP_ACP;
  std::vector<VbaModule> modules;
  // Whether reading stopped at damaged data (a stream that cannot be read,
  // an offset past its stream, a container that does not decompress); the
  // modules before the damage are kept, the rest dropped.
  bool damaged = false;
  // Bytes decompressed in all ("dir" streams tried and module sources): no
  // more than kVbaMaxDecompressed, however many streams the file offers.
  size_t decompressed = 0;

  // Whether reading stopped before a module whose source would have
  // passed the characters the caller allowed; the modules before it are
  // kept.
  bool cut = false;

  // Reads the project below a storage of the file; source whose project
  // names no code page is decoded in fallbackCodePage (the conversion's).
  // Damaged data never raises an error: reading stops there.  The sources
  // read hold at most maxSourceCharacters characters in all (many modules
  // may read one source, each a copy of its own).
  static VbaProject Read(const CompoundFile& file, uint32_t storage, int fallbackCodePage = CP_ACP,
                         uint64_t maxSourceCharacters = UINT64_MAX);
};

} // namespace scrivlet
