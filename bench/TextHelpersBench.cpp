// UTF-8 decoding and entity replacement on texts full of both: the time per
// byte should stay flat from 1 MB to 10 MB.
#include "core/Utf8.h"
#include "xml/Entities.h"

#include <benchmark/benchmark.h>

namespace {

std::string EntityText(size_t bytes) {
  static const std::string piece =
      "caf\xc3\xa9 &amp; &lt;b&gt; \xe2\x82\xac &#x1F600; &amp;amp;lt; \xf0\x9f\x98\x80 "
      "&quot;quoted&quot; &#233;t&#233; &nbsp;plain words &deg;C &copy; 2001\n";
  std::string text;
  text.reserve(bytes + piece.size());
  while (text.size() < bytes)
    text += piece;
  return text;
}

void BM_DecodeUtf8AndEntities(benchmark::State& state) {
  const std::string text = EntityText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::u16string wide = scrivlet::DecodeUtf8Text(text);
    scrivlet::DecodeEntities(wide);
    benchmark::DoNotOptimize(wide.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DecodeUtf8AndEntities)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
