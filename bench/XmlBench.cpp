// The XML engine on generated FictionBook-like documents of 10 and 50 MB.
#include "ReadDocument.h"
#include "core/Stream.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "xml/XmlParser.h"

#include <benchmark/benchmark.h>

namespace {

std::string GeneratedXml(size_t bytes) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><body>";
  const std::string section =
      "<section><title><p>Глава</p></title>\n<p>The quick <emphasis>brown</emphasis> fox &amp; "
      "the lazy dog \xe2\x80\x94 caf\xc3\xa9 <a l:href=\"#n1\" type=\"note\">[1]</a>.</p>\n"
      "<p>Съешь же ещё этих мягких французских булок, да выпей чаю.</p><empty-line/>\n</section>\n";
  while (xml.size() < bytes)
    xml += section;
  return xml + "</body></FictionBook>";
}

void BM_XmlEngine(benchmark::State& state) {
  const std::string xml = GeneratedXml(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    scrivlet::XmlParser engine;
    scrivlet::MemoryStream stream(xml);
    engine.LoadFromStream(&stream);
    benchmark::DoNotOptimize(engine.RootItem().Items.Count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(xml.size()));
}
BENCHMARK(BM_XmlEngine)->Arg(10 << 20)->Arg(25 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

void BM_FictionBook(benchmark::State& state) {
  const std::string xml = GeneratedXml(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(scrivlet::bench::ReadAndDescribe<scrivlet::FictionBookReader>(xml));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(xml.size()));
}
BENCHMARK(BM_FictionBook)->Arg(10 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

} // namespace
