// The cost of decryption: a generated 30-page document read plain and
// encrypted (RC4, AES-128, AES-256), from opening through the page walk with
// every page's decoded contents to the Info dictionary; and the one-time
// password check of each revision on its own.
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"
#include "pdf/security/DocumentSecurity.h"
#include "support/PdfEncryptionBuilder.h"

#include <benchmark/benchmark.h>

namespace {

using scrivlet::test::EncryptionSettings;
using scrivlet::test::PdfEncryptionBuilder;

constexpr int PageCount = 30;

std::vector<std::string> PageTexts() {
  std::vector<std::string> pages;
  for (int page = 0; page < PageCount; ++page) {
    std::string text;
    for (int line = 0; line < 50; ++line)
      text += "Page " + std::to_string(page + 1) + ", line " + std::to_string(line + 1) +
              ": the quick brown fox jumps over the lazy dog while text is extracted.\n";
    pages.push_back(text);
  }
  return pages;
}

// Settings by case: 0 plain, 1 RC4 (V2 R3), 2 AES-128 (V4 R4), 3 AES-256 (V5 R6).
EncryptionSettings SettingsFor(int64_t kind) {
  EncryptionSettings s;
  if (kind == 1) {
    s.Version = 2, s.Revision = 3, s.KeyBits = 128;
  } else if (kind == 2) {
    s.Version = 4, s.Revision = 4, s.KeyBits = 128, s.Method = "/aesv2";
  } else {
    s.Version = 5, s.Revision = 6, s.KeyBits = 256, s.Method = "/aesv3";
  }
  return s;
}

std::string FileFor(int64_t kind) {
  if (kind == 0)
    return PdfEncryptionBuilder::BuildPlainFile(PageTexts(), "Benchmark", true);
  return PdfEncryptionBuilder(SettingsFor(kind)).BuildFile(PageTexts(), "Benchmark", true);
}

void BM_PdfThirtyPages(benchmark::State& state) {
  const std::string file = FileFor(state.range(0));
  size_t decoded = 0;
  for (auto _ : state) {
    scrivlet::pdf::PdfDocument document(file);
    scrivlet::UnlockDocument(document, "");
    decoded = 0;
    scrivlet::pdf::WalkPages(
        document, [&](scrivlet::pdf::PdfPage& page) { decoded += page.Contents.size(); });
    benchmark::DoNotOptimize(scrivlet::pdf::ReadDocumentInfo(document));
  }
  state.counters["decoded_bytes"] = static_cast<double>(decoded);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_PdfThirtyPages)
    ->ArgName("plain0_rc4_1_aes128_2_aes256_3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMicrosecond);

// Opening and authentication alone (0: opening a plain file, the baseline).
void BM_PdfPasswordCheck(benchmark::State& state) {
  const std::string file = FileFor(state.range(0));
  for (auto _ : state) {
    scrivlet::pdf::PdfDocument document(file);
    scrivlet::UnlockDocument(document, "");
    benchmark::DoNotOptimize(document.Decryptor());
  }
}
BENCHMARK(BM_PdfPasswordCheck)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

} // namespace
