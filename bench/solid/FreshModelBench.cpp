// The model half of what a user waits for, each run in a fresh process (a
// fresh heap, as `kelto3d info` has): load the generated plant, build its
// solid model, then free the tree, the builder and the file the way a tidy
// program ends. Time is the process's processor time in the phase; the
// counters add the resident set at the end of the phase (and per component),
// its peak and the load average. Three fresh processes per size, so that the
// spread under a shared machine's load shows. Figures go to
// docs/performance.md ("Model and exit").
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "core/ModelNode.h"
#include "kelto/Piping.h"
#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "solid/SolidModelBuilder.h"
#include "support/FreshProcess.h"

namespace {

using kelto::bench::PhaseClock;
using kelto::bench::PhaseLog;

constexpr const char* kPhases[] = {"load", "solid", "exit"};
constexpr int kRuns = 3;

void Phases(const std::string& path, PhaseClock& clock) {
  clock.Start();
  kelto::com::ComPtr<IKeltoFile> file;
  kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                             kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.c_str()).GetBSTR()));
  clock.Stop("load");

  clock.Start();
  auto builder = std::make_unique<CSolidModelBuilder>();
  CModelNode::NodePtr root = builder->BuildModel(file.Get());
  clock.Stop("solid");

  clock.Start();
  root.reset();
  builder.reset();
  file = nullptr;
  clock.Stop("exit");
}

const PhaseLog& LogFor(std::size_t components, int run) {
  static std::map<std::pair<std::size_t, int>, PhaseLog> logs;
  const auto key = std::make_pair(components, run);
  if (const auto it = logs.find(key); it != logs.end()) return it->second;
  const auto path = std::filesystem::temp_directory_path() /
                    ("kelto-fresh-model-bench-" + std::to_string(::getpid()) + "-" +
                     std::to_string(components) + ".json");
  if (!std::filesystem::exists(path))
    std::ofstream(path, std::ios::binary) << kelto::data::Generate(components, 1);
  PhaseLog log = kelto::bench::RunFresh([&](PhaseClock& clock) { Phases(path.string(), clock); });
  if (run == kRuns - 1) std::filesystem::remove(path);
  return logs[key] = std::move(log);
}

void BM_FreshModel(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  kelto::bench::ReportPhase(state, LogFor(components, static_cast<int>(state.range(2))),
                            kPhases[state.range(1)], static_cast<double>(components));
}
BENCHMARK(BM_FreshModel)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}, benchmark::CreateDenseRange(0, kRuns - 1, 1)})
    ->ArgNames({"components", "phase", "run"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
