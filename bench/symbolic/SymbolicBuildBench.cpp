// Building the symbolic model of generated plants: BuildModel from a loaded
// file (a new tree) and SyncModel over a built tree (every node reused, every
// component redrawn), each without symbol files and with the project's symbol
// library (examples/symbols/kelto-standard.sym) loaded. The second argument
// is 1 with the library. Time per component is reported as "per_component";
// figures go to docs/performance.md ("Symbolic model").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "kelto/Piping.h"
#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace {

using kelto::com::ComPtr;

// One loaded plant per size, kept for the whole run.
IKeltoFile* Plant(std::size_t components) {
  static std::map<std::size_t, ComPtr<IKeltoFile>> plants;
  auto& file = plants[components];
  if (!file) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kelto-symbolic-bench-" + std::to_string(::getpid()) + "-" +
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

// A builder, with the symbol library loaded when asked.
void Prepare(CSymbolicModelBuilder& builder, bool symbols) {
  if (symbols) {
    builder.AddSkeldaSymbols(
        (std::filesystem::path(KELTO_SOURCE_DIR) / "examples/symbols/kelto-standard.sym").string());
  }
}

void PerComponent(benchmark::State& state, std::size_t components) {
  state.counters["per_component"] =
      benchmark::Counter(static_cast<double>(components) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BuildModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  IKeltoFile* file = Plant(components);
  CSymbolicModelBuilder builder;
  Prepare(builder, state.range(1) != 0);
  for (auto _ : state) {
    auto root = builder.BuildModel(file);
    benchmark::DoNotOptimize(root.get());
    state.PauseTiming();
    root.reset();  // tearing the tree down is not building it
    state.ResumeTiming();
  }
  PerComponent(state, components);
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
  auto root = builder.BuildModel(Plant(components));
  for (auto _ : state) builder.SyncModel(*root);
  PerComponent(state, components);
}
BENCHMARK(BM_SyncModel)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"components", "symbols"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
