// What a user waits for, on the generated plant (kelto::data::Generate(N, 1))
// of 10k, 100k and 300k components, each size in a fresh process that runs
// the phases in the order `kelto3d render` does:
//
//   load           KeltoFile.Load of the generated file
//   solid          the solid model (CSolidModelBuilder::BuildModel)
//   symbolic       the symbolic model of the same file, in a fresh process
//                  of its own that loads the file first (a render builds
//                  one model or the other, and the other's freed memory
//                  would stay in the figures of the phases after it)
//   context        the 1600×1000 off-screen surface and its GL context
//   lists          CGLRenderer::Init: every display list
//   first_frame    standard view, fitted, and the first Render
//   steady_frame   the mean of three more Renders
//   exit           the renderer, the surface, the model tree and the file
//                  freed, as a program that tidies up before it ends
//
// The benchmark's time is the process's processor time in the phase (main
// thread and the driver's threads); counters give the main thread's share,
// wall time, the peak resident set during the phase and the resident set at
// its end (also per component), and the machine's load average. Figures go
// to docs/performance.md ("End to end").
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
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "render/StandardViewDir.h"
#include "solid/SolidModelBuilder.h"
#include "support/FreshProcess.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace {

using kelto::bench::PhaseClock;
using kelto::bench::PhaseLog;

constexpr const char* kPhases[] = {"load",  "solid",       "symbolic",     "context",
                                   "lists", "first_frame", "steady_frame", "exit"};

kelto::com::ComPtr<IKeltoFile> Load(const std::string& path) {
  kelto::com::ComPtr<IKeltoFile> file;
  kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                             kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.c_str()).GetBSTR()));
  return file;
}

void Symbolic(const std::string& path, PhaseClock& clock) {
  kelto::com::ComPtr<IKeltoFile> file = Load(path);
  CSymbolicModelBuilder symbolic;
  clock.Start();
  CModelNode::NodePtr lines = symbolic.BuildModel(file.Get());
  clock.Stop("symbolic");
}

void Phases(const std::string& path, PhaseClock& clock) {
  clock.Start();
  kelto::com::ComPtr<IKeltoFile> file = Load(path);
  clock.Stop("load");

  clock.Start();
  auto solid = std::make_unique<CSolidModelBuilder>();
  CModelNode::NodePtr root = solid->BuildModel(file.Get());
  clock.Stop("solid");

  clock.Start();
  auto surface = std::make_unique<kelto::gl::CGLDIBSurface>(1600, 1000);
  clock.Stop("context");

  clock.Start();
  auto renderer = std::make_unique<CGLRenderer>();
  renderer->Init(root.get(), surface.get());
  renderer->Resize(1600, 1000);
  clock.Stop("lists");

  clock.Start();
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  renderer->SetViewDir(d.View, d.Up);
  renderer->FitView(root->GetBoundBox());
  renderer->Render();
  clock.Stop("first_frame");

  clock.Start();
  for (int i = 0; i < 3; ++i) renderer->Render();
  kelto::bench::PhaseFigures& steady = clock.Stop("steady_frame");
  steady.cpu /= 3;
  steady.threadCpu /= 3;
  steady.wall /= 3;

  clock.Start();
  renderer.reset();
  surface.reset();
  root.reset();
  solid.reset();
  file = nullptr;
  clock.Stop("exit");
}

const PhaseLog& LogFor(std::size_t components) {
  static std::map<std::size_t, PhaseLog> logs;
  auto it = logs.find(components);
  if (it != logs.end()) return it->second;
  const auto path =
      std::filesystem::temp_directory_path() / ("kelto-e2e-bench-" + std::to_string(::getpid()) +
                                                "-" + std::to_string(components) + ".json");
  std::ofstream(path, std::ios::binary) << kelto::data::Generate(components, 1);
  PhaseLog log = kelto::bench::RunFresh([&](PhaseClock& clock) { Phases(path.string(), clock); });
  for (auto& entry :
       kelto::bench::RunFresh([&](PhaseClock& clock) { Symbolic(path.string(), clock); }))
    log.insert(entry);
  std::filesystem::remove(path);
  return logs[components] = std::move(log);
}

void BM_Phase(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  kelto::bench::ReportPhase(state, LogFor(components), kPhases[state.range(1)],
                            static_cast<double>(components));
}
BENCHMARK(BM_Phase)
    ->ArgsProduct({{10000, 100000, 300000}, benchmark::CreateDenseRange(0, 7, 1)})
    ->ArgNames({"components", "phase"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
