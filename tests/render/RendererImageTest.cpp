// Pixels of rendered frames: where the camera puts a model, a ring on a
// surface, materials and line widths, the axes indicator and the
// debug overlay. Set KELTO_RENDER_IMAGES to a folder to get the frames as
// PNG files.
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

// Lit pixels in each corner box of the axes indicator's size.
struct Corners {
  int bottomLeft, bottomRight, topLeft, topRight;
};

TEST_F(RendererImage, AxesIndicatorSitsInTheConfiguredCorner) {
  Start();
  struct Case {
    bool top, right;
  };
  for (const Case c :
       {Case{true, false}, Case{true, true}, Case{false, false}, Case{false, true}}) {
    SCOPED_TRACE(::testing::Message() << "top " << c.top << " right " << c.right);
    SetOption("AxesTop", c.top);
    SetOption("AxesRight", c.right);
    const int s = 50, far = kSize - s;
    const Corners got{CountLit(0, 0, s, s), CountLit(far, 0, kSize, s), CountLit(0, far, s, kSize),
                      CountLit(far, far, kSize, kSize)};
    const int inBox = c.top ? (c.right ? got.topRight : got.topLeft)
                            : (c.right ? got.bottomRight : got.bottomLeft);
    EXPECT_GT(inBox, 30);
    EXPECT_EQ(got.bottomLeft + got.bottomRight + got.topLeft + got.topRight, inBox)
        << "nothing outside the configured corner";
    EXPECT_EQ(CountLit(0, 0, kSize, kSize), inBox);
  }
}

TEST_F(RendererImage, AxesLabelsOnlyAboveTenPixels) {
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
}

TEST_F(RendererImage, DebugOverlayShowsInFrontOfTheModel) {
  // A model that covers the whole view, so the text has to beat it.
  tree_.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 8, 0x00FF00));
  CGLRenderer& r = Start();
  LookDownAndFit();
  r.Zoom(4);
  SetOption("ShowDebugInfo", true);
  Save("debug-overlay");
  const auto greyIn = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += Pixel(x, y) == Rgb{170, 170, 170} ? 1 : 0;
    return n;
  };
  EXPECT_GT(greyIn(0, 0, 60, 25), 5) << "time and distance, bottom left";
  EXPECT_GT(greyIn(160, 0, kSize, 25), 5) << "cache counters, bottom right";
  EXPECT_EQ(greyIn(0, 30, kSize, kSize), 0);
  SetOption("ShowDebugInfo", false);
  EXPECT_EQ(greyIn(0, 0, kSize, kSize), 0);
}

}  // namespace
}  // namespace kelto::test
