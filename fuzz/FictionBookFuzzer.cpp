// libFuzzer target: FictionBookReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/fictionbook/FictionBookReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::FictionBookReader>(data, size);
}
