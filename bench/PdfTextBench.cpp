// Page text of generated content streams: the content tokenizer, the text
// items with their pen positions and the line layout, on a page of TJ
// arrays (the shape TeX writes) and on one of words placed one by one.
#include "pdf/content/PageText.h"
#include "pdf/content/TextCollector.h"
#include "pdf/fonts/Font.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace scrivlet::pdf;

class OneFont : public ContentResources {
public:
  OneFont() {
    FontDescription d;
    d.subtype = "Type1";
    d.baseFont = "Times-Roman";
    d.encodingName = "/WinAnsiEncoding";
    FFont = Font::Create(d, {});
  }
  const Font* FindFont(std::string_view) override { return FFont.get(); }
  bool FindForm(std::string_view, FormContent&) override { return false; }

private:
  std::unique_ptr<Font> FFont;
};

std::string TexLikeContent(size_t bytes) {
  std::string content = "BT /F1 10 Tf 12 TL 72 720 Td\n";
  while (content.size() < bytes)
    content += "[(The)-333(quic)-10(k)-333(bro)-20(wn)-333(fo)-15(x)-333(jumps)-333(o)-15(v)-15"
               "(er)-333(the)-333(lazy)-333(dog.)]TJ T*\n";
  return content + "ET\n";
}

std::string WordByWordContent(size_t bytes) {
  std::string content;
  int line = 0;
  while (content.size() < bytes) {
    content += "BT /F1 10 Tf 1 0 0 1 72 " + std::to_string(720 - line++ % 60 * 12) + " Tm";
    for (const char* word : {"Lorem", "ipsum", "dolor", "sit", "amet,", "consectetur"})
      content += " (" + std::string(word) + ") Tj 4 0 Td";
    content += " ET\n";
  }
  return content;
}

void RunPageText(benchmark::State& state, const std::string& content) {
  OneFont resources;
  for (auto _ : state) {
    std::vector<TextItem> items;
    TextCollector::Collect(content, resources, items);
    std::u16string text = LayOutPageText(items);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}

void BM_PdfPageTextTexArrays(benchmark::State& state) {
  RunPageText(state, TexLikeContent(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_PdfPageTextTexArrays)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_PdfPageTextWordByWord(benchmark::State& state) {
  RunPageText(state, WordByWordContent(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_PdfPageTextWordByWord)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

} // namespace
