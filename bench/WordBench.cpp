// The Word binary reader on a generated 20 MB document (and 5 MB, to see
// that the time grows linearly).
#include "ReadDocument.h"
#include "readers/word/DocReader.h"
#include "support/SampleDocuments.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WordDocument(benchmark::State& state) {
  const std::string file =
      scrivlet::test::GeneratedWordDocument(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(scrivlet::bench::ReadAndDescribe<scrivlet::DocReader>(file));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_WordDocument)
    ->Arg(5 << 20)
    ->Arg(10 << 20)
    ->Arg(20 << 20)
    ->Arg(40 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
