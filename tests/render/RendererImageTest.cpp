// Pixels of rendered frames: where the camera puts a model, a ring on a
// surface, materials and line widths and the axes indicator. Set KELTO_RENDER_IMAGES to a folder to
// get the frames as PNG files.
#include "RendererFixture.h"

namespace kelto::test {
namespace {

using RendererImage = RendererTest;

// A weld ring lies exactly on its pipe's surface; it must show all across
// the pipe's visible side, not in the scattered pixels where its depth
// happens to win against the surface's.
TEST_F(RendererImage, DrawsACylinderWhereTheCameraPutsItAndARingOnItWhole) {
  CGeometrySet pipe = Cylinder({-5, 0, 0}, {5, 0, 0}, 2, 0x00FF00);
  pipe.AddCircle({2, 0, 0}, 2, {1, 0, 0}, 0x00FFFF);  // yellow
  tree_.Add(pipe);
  CGLRenderer& r = Start();
  LookDownAndFit();
  RenderFrame();
  Save("cylinder-and-ring");
  // Lit green on the cylinder (the default light shines from the viewer),
  // background around it.
  for (const CPoint3 on : {CPoint3(0, 0, 0), CPoint3(0, 0.8, 0), CPoint3(0, -0.8, 0),
                           CPoint3(4.6, 0, 0), CPoint3(-4.6, 0, 0)}) {
    const Rgb c = PixelAt(on);
    EXPECT_GT(c.g, 100) << on.x << "," << on.y;
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.b, 0);
  }
  for (const CPoint3 off :
       {CPoint3(0, 1.25, 0), CPoint3(0, -1.25, 0), CPoint3(5.4, 0, 0), CPoint3(-5.4, 0, 0)}) {
    EXPECT_EQ(PixelAt(off), Rgb{}) << off.x << "," << off.y;
  }
  // The centre of the viewport is the model's centre.
  const CPoint3 w = r.GetCameraMatrices().Project({0, 0, 0});
  EXPECT_NEAR(w.x, kSize / 2.0, 1e-9);
  EXPECT_NEAR(w.y, kSize / 2.0, 1e-9);

  const auto yellowNear = [&](const CPoint3& p) {
    const CPoint3 at = r.GetCameraMatrices().Project(p);
    for (int dx = -1; dx <= 1; ++dx) {
      const Rgb c = Pixel(static_cast<int>(at.x) + dx, static_cast<int>(at.y));
      if (c.r > 200 && c.g > 200 && c.b == 0) return true;
    }
    return false;
  };
  int shown = 0;
  for (int i = -9; i <= 9; ++i) shown += yellowNear({2, i / 10.0, 0}) ? 1 : 0;
  EXPECT_EQ(shown, 19);
}

TEST_F(RendererImage, LinesAreUnlitInTheirColourAndTakeTheLineWidths) {
  CGeometrySet g;
  g.AddLine({-5, 0, 0}, {5, 0, 0}, 0x00FFFF);  // yellow
  CModelNode* line = tree_.Add(g);
  CGLRenderer& r = Start();
  SetOption("AxesSize", 0);
  SetOption("NormalLineWidth", 1.0f);
  SetOption("SelectedLineWidth", 5.0f);
  LookDownAndFit();
  RenderFrame();
  // The line runs along a pixel edge; it lands on one of the two rows.
  EXPECT_TRUE(PixelAt({2, 0.05, 0}) == (Rgb{255, 255, 0}) ||
              PixelAt({2, -0.05, 0}) == (Rgb{255, 255, 0}));
  const int thin = CountLit(0, 0, kSize, kSize);
  r.Select(line);
  RenderFrame();
  EXPECT_EQ(PixelAt({2, 0, 0}), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelAt({2, 0.05, 0}), (Rgb{255, 0, 0}));
  const int thick = CountLit(0, 0, kSize, kSize);
  EXPECT_GT(thick, 4 * thin);
}

TEST_F(RendererImage, AxesSitInTheConfiguredCornerLabelledAboveTenPixels) {
  // The same frame on a surface without a font has no labels; the frames
  // differ exactly when labels were drawn.
  kelto::gl::CGLDIBSurface plain(kSize, kSize, nullptr, false);
  Start();
  CGLRenderer unlabelled(tree_.Root(), &plain);
  unlabelled.Resize(kSize, kSize);
  const auto differs = [&](int size) {
    SetOption("AxesSize", size);
    unlabelled.GetOptions().Set("AxesSize", _variant_t(size));
    RenderFrame();
    unlabelled.Render();
    const std::uint8_t* a = surface_.Bits();
    const std::uint8_t* b = plain.Bits();
    for (int i = 0; i < kSize * kSize * 4; ++i)
      if (i % 4 != 3 && a[i] != b[i]) return true;
    return false;
  };
  EXPECT_FALSE(differs(10));
  EXPECT_TRUE(differs(11));
  EXPECT_TRUE(differs(50));
  Save("axes-50");
  // Top left by default, and the other corner: nothing lit outside the box.
  for (const auto& [top, right] : {std::pair{true, false}, std::pair{false, true}}) {
    SetOption("AxesTop", top);
    SetOption("AxesRight", right);
    const int s = 50, x0 = right ? kSize - s : 0, y0 = top ? kSize - s : 0;
    const int inBox = CountLit(x0, y0, x0 + s, y0 + s);
    EXPECT_GT(inBox, 30) << top << right;
    EXPECT_EQ(CountLit(0, 0, kSize, kSize), inBox) << top << right;
  }
}

}  // namespace
}  // namespace kelto::test
