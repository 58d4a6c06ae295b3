// libFuzzer target: WordPerfectReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/wordperfect/WordPerfectReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::WordPerfectReader>(data, size);
}
