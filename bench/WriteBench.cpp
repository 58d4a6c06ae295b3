// The Write reader on generated documents of growing size: the time per byte
// should stay flat.  Write page numbers are 16-bit, so a file stays below
// 8 MB.
#include "ReadDocument.h"
#include "readers/write/WriteReader.h"
#include "support/SampleDocuments.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WriteDocument(benchmark::State& state) {
  const std::string file =
      scrivlet::test::GeneratedWriteDocument(static_cast<size_t>(state.range(0)));
  const auto formating = static_cast<scrivlet::OutputFormat>(state.range(1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        scrivlet::bench::ReadAndDescribe<scrivlet::WriteReader>(file, formating));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_WriteDocument)
    ->Args({1 << 20, static_cast<int64_t>(scrivlet::OutputFormat::PlainText)})
    ->Args({4 << 20, static_cast<int64_t>(scrivlet::OutputFormat::PlainText)})
    ->Args({1 << 20, static_cast<int64_t>(scrivlet::OutputFormat::Html)})
    ->Args({2 << 20, static_cast<int64_t>(scrivlet::OutputFormat::Html)})
    ->Args({4 << 20, static_cast<int64_t>(scrivlet::OutputFormat::Html)})
    ->Unit(benchmark::kMillisecond);

} // namespace
