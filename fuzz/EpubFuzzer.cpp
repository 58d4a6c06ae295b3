// libFuzzer target: EpubReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/epub/EpubReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::EpubReader>(data, size);
}
