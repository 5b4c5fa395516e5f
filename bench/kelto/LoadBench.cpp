// Loading generated plants: time (wall and processor), the model's own bytes
// per component, and the peak resident memory the load adds, per component.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "kelto/data/File.h"
#include "kelto/data/Generator.h"

namespace {

// One plant file per size, written once per run.
const std::filesystem::path& PlantFile(std::size_t components) {
  static std::map<std::size_t, std::filesystem::path> files;
  auto& path = files[components];
  if (path.empty()) {
    path = std::filesystem::temp_directory_path() / ("kelto-bench-" + std::to_string(::getpid()) +
                                                     "-" + std::to_string(components) + ".json");
    std::ofstream(path, std::ios::binary) << kelto::data::Generate(components, 1);
    std::atexit([] {
      for (const auto& [n, p] : files) std::filesystem::remove(p);
    });
  }
  return path;
}

// Resident and peak-resident bytes from /proc; clearing the peak makes each
// measurement start from the memory in use at that moment.
long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::string(field).size(), nullptr, 10);
  return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_LoadPlant(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto& path = PlantFile(n);
  std::size_t modelBytes = 0;
  long peakKiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetPeak();
    const long before = StatusKiB("VmRSS:");
    state.ResumeTiming();
    {
      kelto::data::File file;
      file.Load(path);
      benchmark::DoNotOptimize(file.Components().data());
      state.PauseTiming();
      modelBytes = file.MemoryUsed();
      // Only the first round counts: later rounds reuse heap memory that the
      // allocator kept from the round before, which would hide the growth.
      if (peakKiB == 0) peakKiB = StatusKiB("VmHWM:") - before;
    }
    state.ResumeTiming();
  }
  state.counters["components"] = static_cast<double>(n);
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  state.counters["model_B/comp"] = static_cast<double>(modelBytes) / static_cast<double>(n);
  state.counters["peak_B/comp"] = static_cast<double>(peakKiB) * 1024.0 / static_cast<double>(n);
}
BENCHMARK(BM_LoadPlant)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Routes are computed on first use and cached, so each round loads a fresh
// file (untimed) and times computing the routes of every pipeline.
void BM_Routes(benchmark::State& state) {
  const auto& path = PlantFile(static_cast<std::size_t>(state.range(0)));
  std::optional<kelto::data::File> file;
  for (auto _ : state) {
    state.PauseTiming();
    file.reset();
    file.emplace();
    file->Load(path);
    state.ResumeTiming();
    std::size_t entries = 0;
    for (const auto* p : file->Pipelines())
      for (const auto& r : p->Routes()) entries += r.size();
    benchmark::DoNotOptimize(entries);
  }
}
BENCHMARK(BM_Routes)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Generate(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(kelto::data::Generate(static_cast<std::size_t>(state.range(0)), 1));
}
BENCHMARK(BM_Generate)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
