// libFuzzer target: WriteReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/write/WriteReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::WriteReader>(data, size);
}
