// One small document through ConvertDocument, the call the command line
// makes per file and the Python module per convert(): what a call costs
// without either around it (bench/python-module.py sets the module's time
// per call against it).
#include "frontend/DocumentConversion.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

namespace {

// 0: the sample Write letter (1 KB), 1: a .docx of some 20 KB of text.
std::string SmallDocument(int64_t which) {
  return which == 0 ? scrivlet::test::SampleWriteLetter()
                    : scrivlet::test::GeneratedWordXDocument(20000);
}

void BM_ConvertDocumentBytes(benchmark::State& state) {
  const std::string bytes = SmallDocument(state.range(0));
  const scrivlet::CommandLineOptions options;
  for (auto _ : state)
    benchmark::DoNotOptimize(scrivlet::ConvertDocument(options, "-", bytes));
}
BENCHMARK(BM_ConvertDocumentBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ConvertDocumentFile(benchmark::State& state) {
  scrivlet::test::TempDir dir;
  const std::string path =
      dir.Write(state.range(0) == 0 ? "letter.wri" : "report.docx", SmallDocument(state.range(0)));
  const scrivlet::CommandLineOptions options;
  for (auto _ : state)
    benchmark::DoNotOptimize(scrivlet::ConvertDocument(options, path, {}));
}
BENCHMARK(BM_ConvertDocumentFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
