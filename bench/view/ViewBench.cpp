// Navigation as a user does it, on the generated plant
// (kelto::data::Generate(N, 1)) of 10k and 100k components, solid model,
// 800×600 off-screen: C3DDisplay fed the messages a window would send.
//
//   BM_Drag…   a left-button rotate drag: press, 60 motion steps of 4 pixels (the first 8,
//              past the drag threshold) across, release
//   BM_Wheel…  a burst of 10 wheel steps towards the user at the middle of the
//              view, then the display's rest timer
//
// each from the whole plant in view (fitted, north-top-left) and from a
// close-up (the same view zoomed ten times onto the plant's middle, about one
// unit across the window). Times are processor time of the whole process
// (the driver's threads count): the machine is shared, and its wall time
// means little. The interaction controller is given the same clock, so its
// budget is one of processor time here; in a real session it reads the
// steady clock.
//
// Counters (milliseconds): motion_median and motion_p95 over the frames of
// the motion; first_frame, the first motion frame of the first sequence of
// the process (nothing prepared by an earlier one); full_after, from the
// motion's end (release, or the rest timer) to the full picture drawn;
// still, a still frame of the view the motion ended in; ratio = still /
// motion_median; level, the mean interaction level; load, the load average.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/ModelNode.h"
#include "platform/gl/GLDIBSurface.h"
#include "platform/window/WindowBase.h"
#include "render/GLRenderer.h"
#include "render/StandardViewDir.h"
#include "solid/SolidModelBuilder.h"
#include "support/GeneratedPlant.h"
#include "view/Display.h"

namespace {

namespace win = kelto::window;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double LoadAverage() {
  double load = 0;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = 0;
    std::fclose(f);
  }
  return load;
}

// A window that paints at once when asked to update now, and otherwise when
// the bench pumps; its screen is its client area; timers are recorded, and
// the bench says when one is due.
class BenchWindow : public win::CWindowBase {
 public:
  win::CClientSize ClientSize() const override { return {kWidth, kHeight}; }
  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  bool HasCapture() const override { return captured_; }
  win::CWindowPoint ScreenToClient(win::CWindowPoint p) const override { return p; }
  void RedrawWindow(unsigned flags) override {
    if (flags & (win::kRdwInvalidate | win::kRdwInternalPaint)) invalid_ = true;
    if (invalid_ && (flags & win::kRdwUpdateNow)) Pump();
  }
  void DragAcceptFiles(bool) override {}
  bool SetTimer(unsigned id, unsigned) override {
    timer_ = id;
    return true;
  }
  void KillTimer(unsigned id) override {
    if (timer_ == id) timer_ = 0;
  }
  // One message, then the paint it left pending.
  void Send(const win::CWindowMessage& m) {
    Dispatch(m);
    Pump();
  }
  void FireTimer() {
    if (timer_ != 0) Send(win::CWindowMessage::Timer(timer_));
  }

 private:
  void Pump() {
    if (!invalid_) return;
    invalid_ = false;
    Dispatch(win::CWindowMessage::Of(win::MessageKind::Paint));
  }
  bool captured_ = false;
  bool invalid_ = false;
  unsigned timer_ = 0;
};

// One plant on one surface with its display, for the whole run.
struct Scene {
  CModelNode::NodePtr root;
  std::unique_ptr<CSolidModelBuilder> builder;
  std::unique_ptr<kelto::gl::CGLDIBSurface> surface;
  std::unique_ptr<CGLRenderer> renderer;
  BenchWindow window;
  C3DDisplay display;
  bool used = false;  // a sequence has run: the next first frame is not the first
};

Scene& SceneFor(std::size_t components) {
  static std::map<std::size_t, std::unique_ptr<Scene>> scenes;
  auto& scene = scenes[components];
  if (scene) return *scene;
  scene = std::make_unique<Scene>();
  scene->builder = std::make_unique<CSolidModelBuilder>();
  scene->root = scene->builder->BuildModel(kelto::bench::GeneratedPlant(components, "view"));
  scene->surface = std::make_unique<kelto::gl::CGLDIBSurface>(kWidth, kHeight);
  scene->renderer = std::make_unique<CGLRenderer>();
  scene->renderer->Init(scene->root.get(), scene->surface.get());
  scene->renderer->Resize(kWidth, kHeight);
  scene->renderer->GetInteraction()->SetClock(CpuMs);
  scene->display.Attach(scene->window, *scene->renderer);
  return *scene;
}

void StartView(Scene& scene, bool closeUp) {
  CGLRenderer& r = *scene.renderer;
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  r.SetViewDir(d.View, d.Up);
  r.FitView(scene.root->GetBoundBox());
  if (closeUp) r.Zoom(10.0);
  r.Render();  // the still frame a person looks at before moving
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t i = std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5));
  return v[i];
}

struct Figures {
  std::vector<double> motion;
  std::vector<double> fullAfter;
  std::vector<double> still;
  double first = -1;
  double levels = 0;
};

// Runs one message and its paint; the processor time it took.
double Timed(BenchWindow& window, const win::CWindowMessage& m) {
  const double start = CpuMs();
  window.Send(m);
  return CpuMs() - start;
}

void Drag(Scene& scene, Figures& f) {
  const int x0 = kWidth / 2 - 120, y = kHeight / 2;
  BenchWindow& w = scene.window;
  w.Send(win::CWindowMessage::ButtonDown(win::MouseButton::Left, x0, y, win::kMkLButton));
  for (int step = 1; step <= 60; ++step) {
    const double ms = Timed(w, win::CWindowMessage::Move(x0 + 4 * (step + 1), y, win::kMkLButton));
    if (f.first < 0 && !scene.used) f.first = ms;
    f.motion.push_back(ms);
    f.levels += scene.renderer->GetInteraction()->Level();
  }
  f.fullAfter.push_back(
      Timed(w, win::CWindowMessage::ButtonUp(win::MouseButton::Left, x0 + 244, y, 0)));
}

void Wheel(Scene& scene, Figures& f) {
  BenchWindow& w = scene.window;
  for (int step = 0; step < 10; ++step) {
    const double ms = Timed(w, win::CWindowMessage::Wheel(120, kWidth / 2, kHeight / 2, 0));
    if (f.first < 0 && !scene.used) f.first = ms;
    f.motion.push_back(ms);
    f.levels += scene.renderer->GetInteraction()->Level();
  }
  const double start = CpuMs();
  w.FireTimer();
  f.fullAfter.push_back(CpuMs() - start);
}

void Run(benchmark::State& state, void (*sequence)(Scene&, Figures&)) {
  const auto components = static_cast<std::size_t>(state.range(0));
  const bool closeUp = state.range(1) != 0;
  const bool adaptive = state.range(2) != 0;
  state.SetLabel(std::string(closeUp ? "close-up" : "whole") + (adaptive ? "" : ", every frame full"));
  Scene& scene = SceneFor(components);
  // Without the controller's budget every frame is drawn in full, as before
  // motion frames existed: the figures to compare with.
  scene.renderer->GetInteraction()->SetBudget(adaptive ? CInteractionController::kDefaultBudgetMs
                                                       : 1e12);
  Figures f;
  for (auto _ : state) {
    StartView(scene, closeUp);
    const double start = CpuMs();
    sequence(scene, f);
    state.SetIterationTime((CpuMs() - start) / 1e3);
    scene.used = true;
    const double still = CpuMs();
    scene.renderer->Render();
    f.still.push_back(CpuMs() - still);
  }
  const double median = Percentile(f.motion, 0.5);
  state.counters["motion_median"] = median;
  state.counters["motion_p95"] = Percentile(f.motion, 0.95);
  state.counters["first_frame"] = f.first;
  state.counters["full_after"] = Percentile(f.fullAfter, 0.5);
  state.counters["still"] = Percentile(f.still, 0.5);
  state.counters["ratio"] = median > 0 ? Percentile(f.still, 0.5) / median : 0;
  state.counters["level"] = f.motion.empty() ? 0 : f.levels / f.motion.size();
  state.counters["load"] = LoadAverage();
}

void BM_DragRotate(benchmark::State& state) { Run(state, Drag); }
void BM_WheelZoom(benchmark::State& state) { Run(state, Wheel); }

BENCHMARK(BM_DragRotate)
    ->ArgsProduct({{10000, 100000}, {0, 1}, {1, 0}})
    ->ArgNames({"components", "closeup", "adaptive"})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WheelZoom)
    ->ArgsProduct({{10000, 100000}, {0, 1}, {1, 0}})
    ->ArgNames({"components", "closeup", "adaptive"})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
