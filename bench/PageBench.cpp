// The page writer: a converted document of many lines rendered as the page.
#include "frontend/CgiPage.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RenderPage(benchmark::State& state) {
  scrivlet::PageContent content;
  content.heading = "A title & more";
  for (int64_t i = 0; i < state.range(0); ++i)
    content.lines.push_back("A line of converted text with <mark-up> & \"quotes\" in it.");
  scrivlet::CgiRequest request{false, "c:\\docs\\report.doc"};
  for (auto _ : state)
    benchmark::DoNotOptimize(scrivlet::RenderPage(request, {}, content));
  state.SetBytesProcessed(state.iterations() * state.range(0) * 60);
}
BENCHMARK(BM_RenderPage)->Arg(1000)->Arg(100000);

} // namespace
