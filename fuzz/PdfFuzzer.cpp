// libFuzzer target for the PDF engine: opens a document from memory, walks
// its pages with their content streams and reads its Info dictionary.
// Failures must be clean exceptions; crashes, hangs and leaks are findings.
//
// Build by hand (from the repository root):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//     fuzz/PdfFuzzer.cpp src/pdf/*.cpp src/pdf/filters/*.cpp \
//     src/compress/Inflate.cpp src/core/Exception.cpp src/core/Utf8.cpp -lz \
//     -o pdf_fuzzer
//   ./pdf_fuzzer -max_len=200000 -timeout=10 CORPUS_DIR
#include "core/Exception.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  try {
    pdf::PdfDocument::Limits limits;
    limits.StreamCap = size_t{16} << 20;
    limits.DocumentBudget = uint64_t{64} << 20;
    pdf::PdfDocument document(std::string(reinterpret_cast<const char*>(data), size), limits);
    size_t bytes = 0;
    pdf::WalkPages(document, [&bytes](pdf::PdfPage& page) {
      bytes += page.Contents.size() + page.Resources.size() + page.MediaBox.size();
    });
    pdf::DocumentInfo info = pdf::ReadDocumentInfo(document);
    (void)document.EncryptDictionary();
    (void)document.FirstId();
    (void)info;
  } catch (const Exception&) {
  }
  return 0;
}
