// libFuzzer target: the ZIP layer.  Reads the archive and every member by
// index and a few by name, under the fuzzing limits.
#include "ReaderTarget.h"
#include "zip/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  ZipArchive zip(fuzz::FuzzLimits());
  try {
    zip.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return 0; // bytes with no member at all: "The archive is damaged: ..."
  }
  size_t total = 0;
  for (size_t i = 0; i < zip.Files().size(); ++i) {
    try {
      total += zip.GetFileData(static_cast<int>(i)).size();
    } catch (const Exception&) {
    }
  }
  for (const char* name : {"content.xml", "word/document.xml", "META-INF\\container.xml"}) {
    try {
      total += zip.GetFileByName(name).size() + static_cast<size_t>(zip.IndexOfFile(name) + 1);
    } catch (const Exception&) {
    }
  }
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
