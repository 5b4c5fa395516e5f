// The renderer at plant scale, off-screen (EGL, llvmpipe) at 800×600.
//
// The plant is generated here: pipelines of 100 components each, laid out on
// a grid; each pipeline wanders through space in legs of pipe joined by 90°
// bends (a new direction square to the last at every corner), so bends turn
// every way. Four pipe sizes, one per pipeline in turn. Every component node
// carries one primitive (a cone for pipe, a curved cone for a bend), colour
// by size.
//
//   BM_BuildLists      Init on the tree: every node list, every distinct bend
//                      and cone (counters: shared bend and cone lists)
//   BM_FirstFrame      Init and the first Render together
//   BM_Frame           a steady frame (Render: clear, node lists, axes), with
//                      and without reduced detail for small components, of
//                      the whole plant and zoomed in 8× on its middle
//                      (counters: lists called, at reduced detail, skipped)
//   BM_NaiveFrame      the same model drawn in immediate mode, every
//                      primitive tessellated afresh, no lists, no sharing
//   BM_CachedVsNaive   both frames (clear, model, glFinish) timed in one run;
//                      counter "speedup" = naive time / cached time. The
//                      second argument is the viewport width (height 3/4 of
//                      it): at 80×60 the rasteriser has a hundredth of the
//                      pixels, so what stays of the time is vertex and call
//                      work. The third turns reduced detail on or off
//   BM_Pick            Pick at a point on the model, and on the background
//   BM_DepthOverBackground  GetDepth where the pick box finds nothing (the
//                      whole-viewport selection pass over the root list)
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "core/ModelNode.h"
#include "platform/com/Object.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "render/Material.h"
#include "render/PrimitiveDrawing.h"
#include "render/StandardViewDir.h"

namespace {

class Item : public kelto::com::Object<Item, IUnknown> {};

constexpr int kPerPipeline = 100;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Plant {
  std::vector<kelto::com::ComPtr<Item>> items;
  CModelNode::NodePtr root{new CModelNode()};
  int components = 0;
  CPoint3 firstPipeMiddle;

  explicit Plant(int count) {
    const int pipelines = count / kPerPipeline;
    const int side = static_cast<int>(std::ceil(std::sqrt(pipelines)));
    std::mt19937 random(42);
    const double diameters[4] = {0.114, 0.168, 0.219, 0.273};
    const std::int32_t colours[4] = {0x30A030, 0xA03030, 0x3030A0, 0x30A0A0};
    for (int p = 0; p < pipelines; ++p) {
      CModelNode* pipeline = Add(root.get(), {});
      const double d = diameters[p % 4];
      const double radius = 1.5 * d, leg = 2.0;
      CPoint3 at((p % side) * 12.0, (p / side) * 12.0, 0.0);
      int axis = 0, sign = 1;
      for (int c = 0; c + 1 < kPerPipeline; c += 2) {
        const CVector3 dir = Axis(axis, sign);
        const CPoint3 corner = at + dir * leg;
        CGeometrySet pipe;
        pipe.AddCone(at, d, corner - dir * radius, d, colours[p % 4]);
        if (p == 0 && c == 0) firstPipeMiddle = at + (corner - dir * radius - at) * 0.5;
        Add(pipeline, pipe);
        // Turn square to the current direction; stay near the grid cell.
        int next = (axis + 1 + static_cast<int>(random() % 2)) % 3;
        int nextSign = (random() % 2) ? 1 : -1;
        const double along = (corner.AsVector() - CVector3((p % side) * 12.0, (p / side) * 12.0, 0))
                                 .Dot(Axis(next, 1));
        if (std::fabs(along + nextSign * leg) > 4.0) nextSign = -nextSign;
        const CVector3 out = Axis(next, nextSign);
        CGeometrySet bend;
        bend.AddCurvedCone(corner - dir * radius, d, corner + out * radius, d, corner, 0xA0A0A0);
        Add(pipeline, bend);
        at = corner + out * radius;
        axis = next;
        sign = nextSign;
      }
    }
  }

  static CVector3 Axis(int axis, int sign) {
    CVector3 v;
    (axis == 0 ? v.x : axis == 1 ? v.y : v.z) = sign;
    return v;
  }

  CModelNode* Add(CModelNode* parent, const CGeometrySet& geometry) {
    items.push_back(kelto::com::MakeObject<Item>());
    CModelNode::NodePtr node(new CModelNode(items.back()->GetUnknown()));
    node->GetGeometry() = geometry;
    node->GeometryChanged(false);
    parent->AddChild(node);
    if (!geometry.empty()) ++components;
    return node.get();
  }
};

Plant& PlantOf(int count) {
  static std::map<int, std::unique_ptr<Plant>> plants;
  auto& plant = plants[count];
  if (!plant) plant = std::make_unique<Plant>(count);
  return *plant;
}

kelto::gl::CGLDIBSurface& Surface() {
  static kelto::gl::CGLDIBSurface surface(kWidth, kHeight);
  return surface;
}

void SetUpView(CGLRenderer& r, Plant& plant, int width = kWidth) {
  r.Resize(width, width * kHeight / kWidth);
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  r.SetViewDir(d.View, d.Up);
  r.FitView(plant.root->GetBoundBox());
}

void BM_BuildLists(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  double hitRate = 0;
  for (auto _ : state) {
    auto renderer = std::make_unique<CGLRenderer>(plant.root.get(), &Surface());
    glFinish();
    state.PauseTiming();
    const CBendCache& cache = renderer->GetBendCache();
    hitRate = 1.0 - static_cast<double>(cache.Misses()) / static_cast<double>(cache.Lookups());
    state.counters["bend_lists"] = static_cast<double>(cache.Size());
    state.counters["cone_lists"] = static_cast<double>(renderer->GetConeCache().Size());
    renderer.reset();
    state.ResumeTiming();
  }
  state.counters["components"] = plant.components;
  state.counters["bend_hit_rate"] = hitRate;
}

void BM_FirstFrame(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto renderer = std::make_unique<CGLRenderer>(plant.root.get(), &Surface());
    SetUpView(*renderer, plant);
    renderer->Render();
    state.PauseTiming();
    renderer.reset();
    state.ResumeTiming();
  }
}

void FrameCounters(benchmark::State& state, const CGLRenderer& renderer) {
  const CGLRenderer::CFrameStats& stats = renderer.GetFrameStats();
  state.counters["lists"] = stats.Lists;
  state.counters["reduced"] = stats.Reduced;
  state.counters["culled"] = stats.Culled;
}

// Arguments: components, reduced detail on (1) or off (0), zoom factor.
void BM_Frame(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  CGLRenderer renderer(plant.root.get(), &Surface());
  if (state.range(1) == 0) renderer.SetReducedDetailPixels(0);
  SetUpView(renderer, plant);
  if (state.range(2) != 1) renderer.Zoom(static_cast<double>(state.range(2)));
  renderer.Render();
  for (auto _ : state) renderer.Render();
  FrameCounters(state, renderer);
}

// What a renderer without lists does: every primitive, every frame.
void DrawNaive(const CModelNode& node, const CTessellationOptions& options) {
  for (const CPrimitive& p : node.GetGeometry()) {
    std::int32_t colour = 0;
    bool emissive = false;
    if (auto* c = p.GetCone()) colour = c->Colour;
    if (auto* b = p.GetCurvedCone()) colour = b->Colour;
    if (auto* l = p.GetLine()) colour = l->Colour, emissive = true;
    SetMaterialColour(colour, emissive);
    glLineWidth(1.0f);
    DrawPrimitive(p, options);
  }
  for (const auto& [key, child] : node.GetChildren()) DrawNaive(*child, options);
}

void ClearFrame() {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void BM_NaiveFrame(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  CGLRenderer renderer(plant.root.get(), &Surface());  // for the GL state and camera
  SetUpView(renderer, plant);
  const CTessellationOptions options;
  for (auto _ : state) {
    ClearFrame();
    DrawNaive(*plant.root, options);
    glFinish();
  }
}

void BM_CachedVsNaive(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  CGLRenderer renderer(plant.root.get(), &Surface());
  if (state.range(2) == 0) renderer.SetReducedDetailPixels(0);
  SetUpView(renderer, plant, static_cast<int>(state.range(1)));
  const CTessellationOptions options;
  double cachedTotal = 0, naiveTotal = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    ClearFrame();
    renderer.DrawModel();
    glFinish();
    const auto t1 = Clock::now();
    ClearFrame();
    DrawNaive(*plant.root, options);
    glFinish();
    const auto t2 = Clock::now();
    const double cached = std::chrono::duration<double>(t1 - t0).count();
    cachedTotal += cached;
    naiveTotal += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(cached);
  }
  state.counters["cached_ms"] = 1000 * cachedTotal / static_cast<double>(state.iterations());
  state.counters["naive_ms"] = 1000 * naiveTotal / static_cast<double>(state.iterations());
  state.counters["speedup"] = naiveTotal / cachedTotal;
  FrameCounters(state, renderer);
}

void BM_Pick(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  CGLRenderer renderer(plant.root.get(), &Surface());
  SetUpView(renderer, plant);
  // A point on the model (the middle of the first pipe made) or in an empty
  // corner.
  const CPoint3 onPipe = plant.firstPipeMiddle;
  const CPoint3 w = renderer.GetCameraMatrices().Project(onPipe);
  const CPoint2 at = state.range(1) ? CPoint2(w.x, w.y) : CPoint2(2, 2);
  CHitList hits;
  for (auto _ : state) renderer.Pick(at, hits);
  state.counters["hits"] = static_cast<double>(hits.size());
}

// GetDepth over empty background: the pick box finds nothing, so the depth
// comes from a selection pass over the whole viewport (every node list).
void BM_DepthOverBackground(benchmark::State& state) {
  Plant& plant = PlantOf(static_cast<int>(state.range(0)));
  CGLRenderer renderer(plant.root.get(), &Surface());
  SetUpView(renderer, plant);
  double depth = 0;
  for (auto _ : state) depth = renderer.GetDepth({2, 2}, true);
  benchmark::DoNotOptimize(depth);
}

BENCHMARK(BM_BuildLists)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FirstFrame)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Frame)
    ->Args({10000, 1, 1})
    ->Args({10000, 0, 1})
    ->Args({100000, 1, 1})
    ->Args({100000, 0, 1})
    ->Args({100000, 1, 8})
    ->Args({100000, 0, 8})
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveFrame)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CachedVsNaive)
    ->Args({10000, kWidth, 1})
    ->Args({10000, kWidth, 0})
    ->Args({100000, kWidth, 1})
    ->Args({100000, kWidth, 0})
    ->Args({100000, 80, 1})
    ->Args({100000, 80, 0})
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_Pick)
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DepthOverBackground)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
