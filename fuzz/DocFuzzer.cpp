// libFuzzer target: DocReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/word/DocReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::DocReader>(data, size);
}
