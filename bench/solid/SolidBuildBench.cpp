// Building the solid model of generated plants: BuildModel from a loaded
// file (a new tree), and SyncModel over a built tree (every node reused,
// every primitive redrawn). Time per component is reported as
// "per_component"; figures go to docs/performance.md ("Solid model").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "kelto/Piping.h"
#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "solid/SolidModelBuilder.h"

namespace {

using kelto::com::ComPtr;

// One loaded plant per size, kept for the whole run.
IKeltoFile* Plant(std::size_t components) {
  static std::map<std::size_t, ComPtr<IKeltoFile>> plants;
  auto& file = plants[components];
  if (!file) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kelto-solid-bench-" + std::to_string(::getpid()) + "-" +
                       std::to_string(components) + ".json");
    std::ofstream(path, std::ios::binary) << kelto::data::Generate(components, 1);
    kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr,
                                               CLSCTX_INPROC_SERVER,
                                               kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
    const _bstr_t text(path.string());
    kelto::com::ThrowIfFailed(file->Load(text.GetBSTR()));
    std::filesystem::remove(path);
  }
  return file.Get();
}

void PerComponent(benchmark::State& state, std::size_t components) {
  state.counters["per_component"] =
      benchmark::Counter(static_cast<double>(components) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BuildModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  IKeltoFile* file = Plant(components);
  CSolidModelBuilder builder;
  for (auto _ : state) {
    auto root = builder.BuildModel(file);
    benchmark::DoNotOptimize(root.get());
    state.PauseTiming();
    root.reset();  // tearing the tree down is not building it
    state.ResumeTiming();
  }
  PerComponent(state, components);
}
BENCHMARK(BM_BuildModel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SyncModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  CSolidModelBuilder builder;
  auto root = builder.BuildModel(Plant(components));
  for (auto _ : state) builder.SyncModel(*root);
  PerComponent(state, components);
}
BENCHMARK(BM_SyncModel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
