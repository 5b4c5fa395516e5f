// Building the symbolic model of generated plants: BuildModel from a loaded
// file (a new tree) and SyncModel over a built tree (every node reused, every
// component redrawn), each without symbol files and with the project's symbol
// library (examples/symbols/kelto-standard.sym) loaded. The second argument
// is 1 with the library. Time per component is reported as "per_component";
// figures go to docs/performance.md ("Symbolic model").
#include <benchmark/benchmark.h>

#include <filesystem>

#include "support/GeneratedPlant.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace {

// A builder, with the symbol library loaded when asked.
void Prepare(CSymbolicModelBuilder& builder, bool symbols) {
  if (symbols) {
    builder.AddSkeldaSymbols(
        (std::filesystem::path(KELTO_SOURCE_DIR) / "examples/symbols/kelto-standard.sym").string());
  }
}

void BM_BuildModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  IKeltoFile* file = kelto::bench::GeneratedPlant(components, "symbolic");
  CSymbolicModelBuilder builder;
  Prepare(builder, state.range(1) != 0);
  kelto::bench::TimeBuildModel(state, builder, file, components);
}
BENCHMARK(BM_BuildModel)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"components", "symbols"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SyncModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  CSymbolicModelBuilder builder;
  Prepare(builder, state.range(1) != 0);
  auto root = builder.BuildModel(kelto::bench::GeneratedPlant(components, "symbolic"));
  for (auto _ : state) builder.SyncModel(*root);
  kelto::bench::ReportPerComponent(state, components);
}
BENCHMARK(BM_SyncModel)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"components", "symbols"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
