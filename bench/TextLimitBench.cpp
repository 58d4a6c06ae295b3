// The output list under a length limit far above the text: each paragraph
// extends the one joined entry, so the time stays linear in the paragraphs.
#include "writers/LineList.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LineListUnderLengthLimit(benchmark::State& state) {
  const auto paragraphs = static_cast<int>(state.range(0));
  const std::u16string text(80, u'x');
  for (auto _ : state) {
    scrivlet::LineList lines(100000000);
    for (int i = 0; i < paragraphs; ++i)
      lines.Add(text);
    benchmark::DoNotOptimize(lines.Lines().Get(0).size());
  }
  state.SetItemsProcessed(state.iterations() * paragraphs);
}
BENCHMARK(BM_LineListUnderLengthLimit)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Unit(benchmark::kMillisecond);

} // namespace
