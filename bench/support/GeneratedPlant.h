// What the model-building benchmarks share: generated plants loaded through
// the real piping library, and the per-component figure.
//
//   IKeltoFile* file = kelto::bench::GeneratedPlant(10000, "solid");
//   ... for (auto _ : state) ...;
//   kelto::bench::ReportPerComponent(state, 10000);
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "kelto/Piping.h"
#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

namespace kelto::bench {

// One loaded plant of that many components, kept for the whole run. tag names
// the benchmark in the temporary file the plant passes through.
inline IKeltoFile* GeneratedPlant(std::size_t components, const std::string& tag) {
  static std::map<std::size_t, kelto::com::ComPtr<IKeltoFile>> plants;
  auto& file = plants[components];
  if (!file) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kelto-" + tag + "-bench-" + std::to_string(::getpid()) + "-" +
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

// Reports the time per component as the counter "per_component".
inline void ReportPerComponent(benchmark::State& state, std::size_t components) {
  state.counters["per_component"] =
      benchmark::Counter(static_cast<double>(components) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Times BuildModel of the file by the builder; tearing each tree down is left
// out of the time (it is not building it).
template <class Builder>
void TimeBuildModel(benchmark::State& state, Builder& builder, IKeltoFile* file,
                    std::size_t components) {
  for (auto _ : state) {
    auto root = builder.BuildModel(file);
    benchmark::DoNotOptimize(root.get());
    state.PauseTiming();
    root.reset();
    state.ResumeTiming();
  }
  ReportPerComponent(state, components);
}

}  // namespace kelto::bench
