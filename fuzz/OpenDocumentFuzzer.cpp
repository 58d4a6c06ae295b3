// libFuzzer target: the OpenDocument readers over arbitrary bytes (see
// ReaderTarget.h); bit 7 of the option byte picks the presentation reader.
#include "ReaderTarget.h"
#include "readers/opendocument/OpenDocumentReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  if (size > 0 && (data[0] & 0x80))
    return fuzz::RunReader<OpenDocumentPresentationReader>(data, size);
  return fuzz::RunReader<OpenDocumentTextReader>(data, size);
}
