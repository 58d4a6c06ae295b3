// VBA decompression and project reading on generated module sources (1, 4
// and 16 MB), to see that the time grows linearly with the source.
#include "storage/CompoundFile.h"
#include "support/CompoundFileBuilder.h"
#include "support/VbaBuilder.h"
#include "vba/VbaCompression.h"
#include "vba/VbaProject.h"

#include <benchmark/benchmark.h>

namespace {

std::string ModuleSource(size_t size) {
  std::string text = "Attribute VB_Name = \"Module1\"\r\n";
  for (int line = 0; text.size() < size; ++line)
    text += "    Cells(" + std::to_string(line) + ", 2).Value = Total" + std::to_string(line % 7) +
            " * " + std::to_string(line * 37 % 101) + "\r\n";
  text.resize(size);
  return text;
}

void BM_DecompressVba(benchmark::State& state) {
  const std::string source = ModuleSource(static_cast<size_t>(state.range(0)));
  const std::string container = scrivlet::test::CompressVba(source);
  for (auto _ : state)
    benchmark::DoNotOptimize(scrivlet::DecompressVba(container).size());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_DecompressVba)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMillisecond);

void BM_ReadVbaProject(benchmark::State& state) {
  scrivlet::test::VbaProjectBuilder project;
  const size_t modules = 8;
  for (size_t i = 0; i < modules; ++i)
    project.AddModule("Module" + std::to_string(i),
                      ModuleSource(static_cast<size_t>(state.range(0)) / modules));
  scrivlet::test::CompoundFileBuilder builder;
  project.AddTo(builder, u"Macros");
  const scrivlet::CompoundFile file(builder.Build());
  const uint32_t macros = *file.Find(scrivlet::CompoundFile::kRoot, u"Macros",
                                     scrivlet::CompoundFile::ElementKind::Storage);
  for (auto _ : state)
    benchmark::DoNotOptimize(scrivlet::VbaProject::Read(file, macros).modules.size());
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadVbaProject)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

} // namespace
