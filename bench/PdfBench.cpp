// The PDF engine on generated documents of 1,000 to 40,000 pages: opening
// (cross-reference data, offset index) and walking every page with its
// content stream.  The time per byte should stay flat as the page count
// grows; the three cross-reference forms should cost about the same.
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"
#include "support/PdfBuilder.h"

#include <benchmark/benchmark.h>

namespace {

using scrivlet::test::PdfBuilder;

std::string GeneratedPdf(size_t pages, PdfBuilder::Xref style, bool packed) {
  std::vector<std::string> contents;
  contents.reserve(pages);
  for (size_t i = 0; i < pages; ++i)
    contents.push_back("BT /F1 12 Tf 72 720 Td (Page " + std::to_string(i + 1) +
                       " of the generated document) Tj ET");
  PdfBuilder pdf = PdfBuilder::WithPages(contents, "/Title (Generated)");
  if (packed) {
    // Every page object (even numbers from 4) in one object stream.
    std::vector<uint32_t> pageObjects;
    for (size_t i = 0; i < pages; ++i)
      pageObjects.push_back(static_cast<uint32_t>(4 + 2 * i));
    pdf.PackIntoObjectStream(pageObjects);
  }
  return pdf.Build(style);
}

void Walk(benchmark::State& state, PdfBuilder::Xref style, bool packed) {
  const std::string file = GeneratedPdf(static_cast<size_t>(state.range(0)), style, packed);
  for (auto _ : state) {
    scrivlet::pdf::PdfDocument document(file);
    size_t bytes = 0;
    scrivlet::pdf::WalkPages(
        document, [&bytes](scrivlet::pdf::PdfPage& page) { bytes += page.Contents.size(); });
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(scrivlet::pdf::ReadDocumentInfo(document).Title);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
  state.counters["pages/s"] = benchmark::Counter(
      static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_PdfClassicTable(benchmark::State& state) {
  Walk(state, PdfBuilder::Xref::Table, false);
}
void BM_PdfXrefStream(benchmark::State& state) {
  Walk(state, PdfBuilder::Xref::Stream, false);
}
void BM_PdfObjectStream(benchmark::State& state) {
  Walk(state, PdfBuilder::Xref::Stream, true);
}

BENCHMARK(BM_PdfClassicTable)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfXrefStream)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfObjectStream)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace
