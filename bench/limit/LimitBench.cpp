// The driver's limit for the steady frame of bench-e2e: in a fresh process
// per size (the generated plant of 10k, 100k and 300k components, solid,
// 1600×1000, north-top-left, fitted), the renderer's steady frame and the
// same content drawn the cheapest way this OpenGL offers — every bend and
// cone tessellated in world coordinates into vertex buffers, one draw
// (glDrawElements) per colour, lit as the renderer lights them — timed in
// turn three times each. Each primitive gets the detail the renderer gives
// its list at that size on screen: full (both sides), reduced (one side), or
// its centre line when narrower than a pixel. Snouts, lines and circles are
// left out (a few per cent of the primitives).
//
// Time: the renderer's frame (processor time of the process); counters: the
// limit frame's processor time, their ratio, the triangles and lines of the
// limit frame, wall times, and the machine's load average. Figures go to
// docs/performance.md ("End to end").
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "core/ModelNode.h"
#include "kelto/Piping.h"
#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/CurvePath.h"
#include "render/GLRenderer.h"
#include "render/Material.h"
#include "render/PrimitiveDrawing.h"
#include "render/PrimitiveTessellation.h"
#include "render/StandardViewDir.h"
#include "solid/SolidModelBuilder.h"
#include "support/FreshProcess.h"

namespace {

using kelto::bench::PhaseClock;

// The vertices of one colour: lit triangles and unlit lines.
struct Batch {
  std::vector<float> xyz, normals;
  std::vector<unsigned> triangles, lines;
  GLuint buffers[4] = {};

  unsigned Add(const CPoint3& p, const CVector3& n) {
    xyz.insert(xyz.end(), {float(p.x), float(p.y), float(p.z)});
    normals.insert(normals.end(), {float(n.x), float(n.y), float(n.z)});
    return static_cast<unsigned>(xyz.size() / 3 - 1);
  }
  void Line(const CPoint3& a, const CPoint3& b) {
    lines.push_back(Add(a, {}));
    lines.push_back(Add(b, {}));
  }
  // The swept wall (twice, the second facing in, for both sides) and a cap
  // fan on each end.
  void Swept(const CContQuadMesh& m, bool twoSided) {
    const unsigned base = static_cast<unsigned>(xyz.size() / 3);
    for (std::size_t i = 0; i < m.Points.size(); ++i) Add(m.Points[i], m.Normals[i]);
    for (int v = 0; v + 1 < m.VSize; ++v) {
      for (int u = 0; u + 1 < m.USize; ++u) {
        const unsigned a = base + u + m.USize * v, b = a + 1, c = a + m.USize, d = c + 1;
        triangles.insert(triangles.end(), {a, b, d, a, d, c});
        if (twoSided) triangles.insert(triangles.end(), {a, d, b, a, c, d});
      }
    }
    for (const int v : {0, m.VSize - 1}) {
      CPoint3 centre;
      for (int u = 0; u < m.USize; ++u) centre = centre + m.Point(u, v).AsVector() / m.USize;
      const unsigned mid = Add(centre, {});
      for (int u = 0; u + 1 < m.USize; ++u)
        triangles.insert(triangles.end(),
                         {mid, base + u + m.USize * v, base + u + 1 + m.USize * v});
    }
  }
  void Upload() {
    glGenBuffers(4, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, xyz.size() * 4, xyz.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ARRAY_BUFFER, normals.size() * 4, normals.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, triangles.size() * 4, triangles.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, lines.size() * 4, lines.data(), GL_STATIC_DRAW);
  }
  void Draw(std::int32_t colour) const {
    SetMaterialColour(colour, false);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size()), GL_UNSIGNED_INT, nullptr);
    if (lines.empty()) return;
    glDisable(GL_LIGHTING);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glDrawElements(GL_LINES, static_cast<GLsizei>(lines.size()), GL_UNSIGNED_INT, nullptr);
    glEnable(GL_LIGHTING);
  }
};

class LimitFrame {
 public:
  LimitFrame(const CModelNode& root, const CCameraMatrices& camera) : m_camera(camera) {
    Collect(root);
    for (auto& [colour, batch] : m_batches) {
      batch.Upload();
      triangles += batch.triangles.size() / 3;
      lines += batch.lines.size() / 2;
    }
  }
  void Draw() const {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Load(GL_PROJECTION, m_camera.Projection);
    Load(GL_MODELVIEW, m_camera.ModelView);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (const auto& [colour, batch] : m_batches) batch.Draw(colour);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glFinish();
  }
  std::size_t triangles = 0, lines = 0;

 private:
  static void Load(GLenum mode, const CMatrix44& m) {
    double gl[16];
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) gl[c * 4 + r] = m.m[r][c];
    glMatrixMode(mode);
    glLoadMatrixd(gl);
  }
  // Diameter in pixels at the nearer end, as the renderer measures a list.
  double Pixels(double diameter, const CPoint3& a, const CPoint3& b) const {
    const CMatrix44& m = m_camera.ModelView;
    const auto depth = [&](const CPoint3& p) {
      return -(m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z + m.m[2][3]);
    };
    const double nearest = std::min(depth(a), depth(b));
    return diameter * m_camera.Projection.m[1][1] * m_camera.Viewport.Height * 0.5 / nearest;
  }
  void Collect(const CModelNode& node) {
    const CTessellationOptions full;
    const CTessellationOptions reduced = ReducedTessellation(full);
    for (const CPrimitive& p : node.GetGeometry()) {
      if (const auto* c = p.GetCone()) {
        Batch& b = m_batches[c->Colour];
        const double px = Pixels(std::max(c->StartDiameter, c->EndDiameter), c->Start, c->End);
        if (px < CGLRenderer::kCentreLinePixels) {
          b.Line(c->Start, c->End);
          continue;
        }
        const bool small = px < CGLRenderer::kDefaultReducedDetailPixels;
        const CTessellationOptions& o = small ? reduced : full;
        b.Swept(TessellateSnout(c->Start, c->StartDiameter, c->End, c->EndDiameter,
                                c->End - c->Start, o.CylStacks, o.Edges)
                    .Mesh,
                !small);
      } else if (const auto* k = p.GetCurvedCone()) {
        Batch& b = m_batches[k->Colour];
        const double px = Pixels(std::max(k->StartDiameter, k->EndDiameter), k->Start, k->End);
        if (px < CGLRenderer::kCentreLinePixels) {
          const CCurvePath path(k->Start, k->Centre, k->End);
          for (int i = 0; i < reduced.BendSteps; ++i)
            b.Line(path.GetPoint(double(i) / reduced.BendSteps),
                   path.GetPoint(double(i + 1) / reduced.BendSteps));
          continue;
        }
        const bool small = px < CGLRenderer::kDefaultReducedDetailPixels;
        const CTessellationOptions& o = small ? reduced : full;
        b.Swept(TessellateCurvedCone(k->Start, k->StartDiameter, k->Centre, k->End, k->EndDiameter,
                                     o.BendSteps, o.Edges)
                    .Mesh,
                !small);
      }
    }
    for (const auto& [key, child] : node.GetChildren()) Collect(*child);
  }

  CCameraMatrices m_camera;
  std::map<std::int32_t, Batch> m_batches;
};

void Frames(const std::string& path, PhaseClock& clock) {
  kelto::com::ComPtr<IKeltoFile> file;
  kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                             kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.c_str()).GetBSTR()));
  CSolidModelBuilder solid;
  CModelNode::NodePtr root = solid.BuildModel(file.Get());
  kelto::gl::CGLDIBSurface surface(1600, 1000);
  CGLRenderer renderer;
  renderer.Init(root.get(), &surface);
  renderer.Resize(1600, 1000);
  renderer.GetOptions().Set("AxesSize", _variant_t(0L));
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  renderer.SetViewDir(d.View, d.Up);
  renderer.FitView(root->GetBoundBox());
  renderer.Render();
  const LimitFrame limit(*root, renderer.GetCameraMatrices());
  limit.Draw();
  kelto::bench::PhaseFigures frame, cheapest;
  for (int i = 0; i < 3; ++i) {
    clock.Start();
    renderer.Render();
    const kelto::bench::PhaseFigures f = clock.Stop("frame");
    clock.Start();
    limit.Draw();
    const kelto::bench::PhaseFigures l = clock.Stop("limit");
    frame.cpu += f.cpu / 3, frame.wall += f.wall / 3;
    cheapest.cpu += l.cpu / 3, cheapest.wall += l.wall / 3;
  }
  clock.Stop("frame") = frame;
  cheapest.extra = static_cast<double>(limit.triangles);
  clock.Stop("limit") = cheapest;
  clock.Stop("lines").extra = static_cast<double>(limit.lines);
}

void BM_SteadyFrameAgainstLimit(benchmark::State& state) {
  const auto components = static_cast<std::size_t>(state.range(0));
  const auto path =
      std::filesystem::temp_directory_path() / ("kelto-limit-bench-" + std::to_string(::getpid()) +
                                                "-" + std::to_string(components) + ".json");
  std::ofstream(path, std::ios::binary) << kelto::data::Generate(components, 1);
  const auto log = kelto::bench::RunFresh([&](PhaseClock& clock) { Frames(path.string(), clock); });
  std::filesystem::remove(path);
  if (!log.count("frame") || !log.count("limit") || !log.count("lines")) {
    state.SkipWithError("the fresh process failed");
    for (auto _ : state) {
    }
    return;
  }
  const auto& frame = log.at("frame");
  const auto& limit = log.at("limit");
  for (auto _ : state) state.SetIterationTime(frame.cpu);
  state.counters["limit_cpu_s"] = limit.cpu;
  state.counters["ratio"] = frame.cpu / limit.cpu;
  state.counters["wall_s"] = frame.wall;
  state.counters["limit_wall_s"] = limit.wall;
  state.counters["triangles"] = limit.extra;
  state.counters["lines"] = log.at("lines").extra;
  state.counters["load"] = kelto::bench::LoadAverage();
}
BENCHMARK(BM_SteadyFrameAgainstLimit)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(300000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
