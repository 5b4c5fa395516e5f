// A generated plant seen whole reads as a line drawing: pipes and bends far
// narrower than a pixel are drawn as their centre lines, so each pipeline's
// pixels join up into runs instead of scattering as specks where a thin
// surface happens to cover a pixel's centre.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "SolidTestSupport.h"
#include "kelto/data/Generator.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "render/StandardViewDir.h"
#include "solid/SolidModelBuilder.h"
#include "support/TempDir.h"

namespace solid_test {
namespace {

constexpr int kWidth = 480, kHeight = 300;
// Colours of distinct hue (0x00BBGGRR), one per pipeline in turn.
constexpr std::array<std::int32_t, 8> kPalette = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                                  0xFF00FF, 0xFFFF00, 0x0080FF, 0xFF0080};

// Gives every cone and bend of each pipeline its pipeline's colour and drops
// the other primitives (valve bodies and the like, a few pixels of the
// picture), so that each pixel tells which pipeline it belongs to.
void Recolour(CModelNode& node, int& pipelines) {
  bool leaves = !node.GetChildren().empty();
  for (const auto& [key, child] : node.GetChildren()) leaves &= child->GetChildren().empty();
  if (!leaves) {
    for (const auto& [key, child] : node.GetChildren()) Recolour(*child, pipelines);
    return;
  }
  const std::int32_t colour = kPalette[pipelines++ % kPalette.size()];
  for (const auto& [key, child] : node.GetChildren()) {
    CGeometrySet g;
    for (const CPrimitive& p : child->GetGeometry()) {
      if (const auto* c = p.GetCone())
        g.AddCone(c->Start, c->StartDiameter, c->End, c->EndDiameter, colour);
      if (const auto* b = p.GetCurvedCone())
        g.AddCurvedCone(b->Start, b->StartDiameter, b->End, b->EndDiameter, b->Centre, colour);
    }
    child->GetGeometry() = g;
    child->GeometryChanged(false);
  }
}

// The palette entry a pixel shows (lighting scales a colour, it keeps its
// hue), or −1 for background and pixels too dark to tell.
int ClassOf(const std::uint8_t* bgra) {
  const double r = bgra[2], g = bgra[1], b = bgra[0];
  const double length = std::sqrt(r * r + g * g + b * b);
  if (std::max({r, g, b}) < 40) return -1;
  for (std::size_t i = 0; i < kPalette.size(); ++i) {
    const double pr = kPalette[i] & 0xFF, pg = (kPalette[i] >> 8) & 0xFF, pb = kPalette[i] >> 16;
    const double cosine =
        (r * pr + g * pg + b * pb) / (length * std::sqrt(pr * pr + pg * pg + pb * pb));
    if (cosine > 0.985) return static_cast<int>(i);
  }
  return -1;
}

// Pieces of each colour's pixels, counting pixels up to two apart as joined
// (a line crossing another one, or a short fitting, leaves such a gap).
std::vector<int> PiecesPerColour(kelto::gl::CGLDIBSurface& surface) {
  std::vector<int> cls(kWidth * kHeight);
  const std::uint8_t* bits = surface.Bits();  // reads the picture back
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      cls[y * kWidth + x] = ClassOf(bits + y * surface.Stride() + x * 4);
  std::vector<int> pieces(kPalette.size());
  std::vector<bool> seen(cls.size());
  for (int start = 0; start < kWidth * kHeight; ++start) {
    if (cls[start] < 0 || seen[start]) continue;
    ++pieces[cls[start]];
    std::vector<int> stack{start};
    seen[start] = true;
    while (!stack.empty()) {
      const int at = stack.back();
      stack.pop_back();
      const int ax = at % kWidth, ay = at / kWidth;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          const int x = ax + dx, y = ay + dy;
          if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
          const int next = y * kWidth + x;
          if (seen[next] || cls[next] != cls[at]) continue;
          seen[next] = true;
          stack.push_back(next);
        }
    }
  }
  return pieces;
}

TEST(PlantPicture, EachPipelineSeenWholeIsConnectedRuns) {
  kelto::test::TempDir dir;
  const auto path = dir.path() / "plant.json";
  std::ofstream(path, std::ios::binary) << kelto::data::Generate(1200, 5);
  CSolidModelBuilder builder;
  const auto root = builder.BuildModel(LoadFile(path).Get());
  int pipelines = 0;
  Recolour(*root, pipelines);
  ASSERT_GT(pipelines, 10);

  kelto::gl::CGLDIBSurface surface(kWidth, kHeight);
  ASSERT_TRUE(surface.MakeCurrent()) << surface.Error();
  CGLRenderer renderer(root.get(), &surface);
  renderer.Resize(kWidth, kHeight);
  renderer.GetOptions().Set("AxesSize", _variant_t(0L));
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  renderer.SetViewDir(d.View, d.Up);
  renderer.FitView(root->GetBoundBox());

  // With centre lines (the default) and with every list at full detail,
  // which leaves thin pipes as specks: the test must tell the two apart.
  struct Case {
    const char* name;
    double reducedPixels;
    bool connected;
  };
  const Case cases[] = {{"centre lines", CGLRenderer::kDefaultReducedDetailPixels, true},
                        {"surfaces only", 0.0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer.SetReducedDetailPixels(c.reducedPixels);
    renderer.Render();
    int total = 0;
    for (const int n : PiecesPerColour(surface)) total += n;
    // A pipeline may show as a few runs where others hide parts of it.
    if (c.connected) {
      EXPECT_LE(total, pipelines * 2) << pipelines << " pipelines";
    } else {
      EXPECT_GT(total, pipelines * 4) << pipelines << " pipelines";
    }
  }
}

}  // namespace
}  // namespace solid_test
