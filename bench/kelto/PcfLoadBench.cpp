// Loading a plant of many PCF files: 1,000 files of 100 generated components
// each (one folder, written once per run), read by File::LoadPlant on one
// thread and on every core. The same plant as one PCF file and as one JSON
// file compares the two readers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "kelto/data/File.h"
#include "kelto/data/Generator.h"
#include "kelto/data/PcfWriter.h"

namespace {

constexpr int kFiles = 1000;
constexpr std::size_t kComponents = 100;

const std::filesystem::path& PlantFolder() {
  static std::filesystem::path folder;
  if (folder.empty()) {
    folder = std::filesystem::temp_directory_path() /
             ("kelto-bench-pcf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kFiles; ++i) {
      kelto::data::File plant;
      plant.LoadText(kelto::data::Generate(kComponents, static_cast<std::uint64_t>(i + 1)),
                     "g.json");
      std::ofstream(folder / ("area-" + std::to_string(1000 + i) + ".pcf"), std::ios::binary)
          << kelto::data::WritePcf(plant);
    }
    std::atexit([] { std::filesystem::remove_all(folder); });
  }
  return folder;
}

void BM_LoadPcfFolder(benchmark::State& state) {
  const auto& folder = PlantFolder();
  const auto threads = static_cast<unsigned>(state.range(0));
  std::size_t components = 0;
  for (auto _ : state) {
    kelto::data::File file;
    file.SetLoadOptions({false, threads});
    file.Load(folder);
    components = file.Components().size();
  }
  state.counters["files"] = kFiles;
  state.counters["components"] = static_cast<double>(components);
  state.counters["threads"] = threads ? threads : std::thread::hardware_concurrency();
}
// 0: one thread per core.
BENCHMARK(BM_LoadPcfFolder)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The same 100,000 components as one file, in each format.
void BM_LoadOneFile(benchmark::State& state) {
  static std::string texts[2];
  const bool pcf = state.range(0) == 1;
  std::string& text = texts[pcf];
  if (text.empty()) {
    text = kelto::data::Generate(kFiles * kComponents, 1);
    if (pcf) {
      kelto::data::File plant;
      plant.LoadText(text, "g.json");
      text = kelto::data::WritePcf(plant);
    }
  }
  for (auto _ : state) {
    kelto::data::File file;
    file.LoadText(text, pcf ? "plant.pcf" : "plant.json");
    benchmark::DoNotOptimize(file.Components().data());
  }
  state.SetLabel(pcf ? "PCF" : "JSON");
  state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LoadOneFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
