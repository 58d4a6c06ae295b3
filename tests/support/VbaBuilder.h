// Builds VBA projects byte by byte: compressed containers (with chunks of
// every kind), the "dir" stream with its information, reference and module
// records, the "_VBA_PROJECT" module table of the Office 97-2003 era, the
// module streams (a cache, then the compressed source) and the "PROJECT"
// stream, placed into a compound file below a storage such as "Macros".
#pragma once

#include "support/CompoundFileBuilder.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet::test {

struct VbaCompressionStats {
  // Copy tokens written, by the bit count of their length field (4 to 12).
  std::array<size_t, 17> copyTokensByLengthBits{};
  size_t literals = 0;
  size_t compressedChunks = 0;
  size_t rawChunks = 0;
};

struct VbaCompressionOptions {
  // Stores every whole 4096-byte chunk uncompressed.
  bool rawChunks = false;
};

// Compresses as Office does: per 4096-byte chunk, the longest earlier match
// inside the chunk at each position (at least 3 bytes) becomes a copy
// token.  A whole chunk that would not shrink is stored uncompressed.
std::string CompressVba(std::string_view source, VbaCompressionStats* stats = nullptr,
                        VbaCompressionOptions options = {});

// The header of a chunk of `size` bytes, the header's 2 included.
std::string VbaChunkHeader(size_t size, bool compressed);

// A copy token for a position `decoded` bytes into its chunk's output.
uint16_t VbaCopyToken(size_t decoded, size_t offset, size_t length);

struct VbaModuleSpec {
  std::string name;   // MODULENAME, bytes in the project's code page
  std::string source; // the source, bytes in the project's code page
  // The stream's name; empty: the name.  Written in UTF-16 as well unless
  // writeUnicodeStreamName is false.
  std::string streamName;
  bool writeUnicodeStreamName = true;
  // The module's name in "_VBA_PROJECT"; empty: the name widened byte by
  // byte.
  std::u16string cacheName;
  uint32_t cacheSize = 40; // bytes of the stream before the source
  bool writeStream = true;
  bool writeOffset = true; // the MODULEOFFSET record
};

class VbaProjectBuilder {
public:
  uint16_t codePage = 1252;
  std::vector<VbaModuleSpec> modules;
  bool writeDir = true;
  bool writeCache = true;

  VbaModuleSpec& AddModule(std::string name, std::string source);

  // The "dir" stream before compression.
  std::string DirStream() const;
  // The "_VBA_PROJECT" stream: a 34-byte header, reference records, 132
  // bytes, the module count and one record per module.
  std::string PerformanceCache() const;
  // A module's stream: cacheSize filler bytes and the compressed source.
  std::string ModuleStream(const VbaModuleSpec& module) const;

  // Writes "PROJECT", "VBA/dir", "VBA/_VBA_PROJECT" and the module streams
  // below the storage (u"Macros" for Word, u"" for a vbaProject.bin).
  void AddTo(CompoundFileBuilder& file, const std::u16string& storage) const;
};

} // namespace scrivlet::test
