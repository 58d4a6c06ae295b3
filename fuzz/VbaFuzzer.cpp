// libFuzzer target: the VBA layer.  The first byte chooses what the rest is:
//   0  a compressed container, decompressed under a small cap;
//   1  a decompressed "dir" stream;
//   2  a decompressed "_VBA_PROJECT" stream;
//   else  a compound file, whose every storage is read as a project and
//         listed.
// A container or stream may be refused with a VbaError; a project never
// raises one (damage stops the read).
#include "StorageWalk.h"
#include "core/Exception.h"
#include "storage/CompoundFile.h"
#include "vba/VbaCompression.h"
#include "vba/VbaDirectory.h"
#include "vba/VbaListing.h"
#include "vba/VbaPerformanceCache.h"
#include "vba/VbaProject.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace scrivlet;

size_t ReadEveryProject(std::string bytes) {
  std::unique_ptr<CompoundFile> file;
  try {
    file = std::make_unique<CompoundFile>(std::move(bytes));
  } catch (const StorageError&) {
    return 0;
  }
  size_t total = 0;
  fuzz::ForEachStorage(*file, [&](uint32_t storage) {
    for (const std::u16string& line : VbaListing(VbaProject::Read(*file, storage)))
      total += line.size();
  });
  return total;
}

size_t ReadPart(uint8_t kind, std::string_view bytes) {
  try {
    switch (kind) {
    case 0: return DecompressVba(bytes, 1u << 20).size();
    case 1: return VbaDirectory::Parse(bytes).modules.size();
    case 2: return VbaPerformanceCache::Parse(bytes).modules.size();
    }
  } catch (const VbaError&) {
  }
  return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  volatile size_t sink =
      data[0] <= 2 ? ReadPart(data[0], bytes) : ReadEveryProject(std::string(bytes));
  (void)sink;
  return 0;
}
