// The Word XML reader on generated .docx packages (5 and 20 MB of
// document part).
#include "ReadDocument.h"
#include "readers/docx/DocxReader.h"
#include "support/SampleDocuments.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WordXDocument(benchmark::State& state) {
  const std::string file =
      scrivlet::test::GeneratedWordXDocument(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(scrivlet::bench::ReadAndDescribe<scrivlet::DocxReader>(file));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WordXDocument)->Arg(5 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

} // namespace
