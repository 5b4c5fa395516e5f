// Building the solid model of generated plants: BuildModel from a loaded
// file (a new tree), and SyncModel over a built tree (every node reused,
// every primitive redrawn). Time per component is reported as
// "per_component"; figures go to docs/performance.md ("Solid model").
#include <benchmark/benchmark.h>

#include "solid/SolidModelBuilder.h"
#include "support/GeneratedPlant.h"

namespace {

void BM_BuildModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  IKeltoFile* file = kelto::bench::GeneratedPlant(components, "solid");
  CSolidModelBuilder builder;
  kelto::bench::TimeBuildModel(state, builder, file, components);
}
BENCHMARK(BM_BuildModel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SyncModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  CSolidModelBuilder builder;
  auto root = builder.BuildModel(kelto::bench::GeneratedPlant(components, "solid"));
  for (auto _ : state) builder.SyncModel(*root);
  kelto::bench::ReportPerComponent(state, components);
}
BENCHMARK(BM_SyncModel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
