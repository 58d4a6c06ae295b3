// Reading order of one page: text items of single glyphs laid out as lines
// and columns, from 100 to 100,000 glyphs on the page, in three shapes:
// two columns shown row by row, a grid of glyphs far apart (every glyph a
// line piece of its own, every gap a gutter) and a staircase of pieces
// that no band and no gutter separates.  The time per glyph stays flat.
#include "pdf/content/PageText.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace scrivlet::pdf;

TextItem Glyph(double x, double y) {
  TextItem item;
  item.text = u"a";
  item.start = {x, y};
  item.end = {x + 5, y};
  item.em = 10;
  return item;
}

// Two columns of 60-glyph lines, each row's left line then its right one.
std::vector<TextItem> TwoColumns(size_t glyphs) {
  std::vector<TextItem> items;
  items.reserve(glyphs);
  for (size_t row = 0; items.size() < glyphs; ++row)
    for (double left : {72.0, 400.0})
      for (int i = 0; i < 60 && items.size() < glyphs; ++i)
        items.push_back(Glyph(left + 5 * i, 10000 - 12 * static_cast<double>(row)));
  return items;
}

// Glyphs 30 units apart in both directions: a table of one-glyph cells.
std::vector<TextItem> Grid(size_t glyphs) {
  std::vector<TextItem> items;
  items.reserve(glyphs);
  size_t side = static_cast<size_t>(std::sqrt(static_cast<double>(glyphs))) + 1;
  for (size_t i = 0; i < glyphs; ++i)
    items.push_back(
        Glyph(30.0 * static_cast<double>(i % side), 30.0 * static_cast<double>(side - i / side)));
  return items;
}

// Each glyph a little right of and below the last, overlapping both ways.
std::vector<TextItem> Staircase(size_t glyphs) {
  std::vector<TextItem> items;
  items.reserve(glyphs);
  for (size_t i = 0; i < glyphs; ++i)
    items.push_back(Glyph(3.0 * static_cast<double>(i), -6.0 * static_cast<double>(i)));
  return items;
}

void RunLayout(benchmark::State& state, std::vector<TextItem> (*shape)(size_t)) {
  std::vector<TextItem> items = shape(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::u16string text = LayOutPageText(items);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_PdfLayoutTwoColumns(benchmark::State& state) {
  RunLayout(state, TwoColumns);
}
BENCHMARK(BM_PdfLayoutTwoColumns)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

void BM_PdfLayoutGrid(benchmark::State& state) {
  RunLayout(state, Grid);
}
BENCHMARK(BM_PdfLayoutGrid)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

void BM_PdfLayoutStaircase(benchmark::State& state) {
  RunLayout(state, Staircase);
}
BENCHMARK(BM_PdfLayoutStaircase)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

} // namespace
