// libFuzzer target: DocxReader over arbitrary bytes (see ReaderTarget.h).
#include "ReaderTarget.h"
#include "readers/docx/DocxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return scrivlet::fuzz::RunReader<scrivlet::DocxReader>(data, size);
}
