// libFuzzer target: the compound-file layer.  Opens the bytes, walks every
// storage reachable from the root (each directory entry once), reads every
// stream and looks a few names up.
#include "StorageWalk.h"
#include "core/Exception.h"
#include "storage/CompoundFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  std::unique_ptr<CompoundFile> file;
  try {
    file = std::make_unique<CompoundFile>(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const StorageError&) {
    return 0;
  }
  size_t total = 0;
  fuzz::ForEachStorage(*file, [&](uint32_t storage) {
    try {
      for (const CompoundFile::Element& element : file->Elements(storage)) {
        if (element.kind != CompoundFile::ElementKind::Stream)
          continue;
        try {
          total += file->StreamData(element.entry).size();
        } catch (const StorageError&) {
        }
      }
      for (const char16_t* name : {u"WordDocument", u"1Table", u"\x05SummaryInformation"})
        if (auto stream = file->OpenStream(storage, name))
          total += stream->Data().size();
    } catch (const StorageError&) {
    }
  });
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
