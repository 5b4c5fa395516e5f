// What a frame draws of a plant: each node list at the level of detail its
// size on screen calls for, and nothing of the subtrees out of view.
#include <GL/gl.h>

#include <cstdlib>

#include "RendererFixture.h"
#include "render/StandardViewDir.h"

namespace kelto::test {
namespace {

class RendererDetail : public RendererTest {
 protected:
  static constexpr int kSide = 4;  // kSide × kSide pipelines

  // Pipelines on a 3-unit grid, each a pipe, a quarter bend and a pipe.
  void Build(double diameter) {
    for (int i = 0; i < kSide; ++i) {
      for (int j = 0; j < kSide; ++j) {
        CModelNode* pipeline = tree_.Add({});
        const CVector3 at(3.0 * i, 3.0 * j, 0);
        const auto p = [&](double x, double y) { return CPoint3(x, y, 0) + at; };
        tree_.Add(Cylinder(p(0, 0), p(2, 0), diameter), pipeline);
        tree_.Add(Bend(p(2, 0), p(2.5, 0), p(2.5, 0.5), diameter, 0x00A0A0), pipeline);
        tree_.Add(Cylinder(p(2.5, 0.5), p(2.5, 2), diameter), pipeline);
      }
    }
    CGLRenderer& r = Start();
    SetOption("AxesSize", 0L);
    const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
    r.SetViewDir(d.View, d.Up);
    Fit();
  }
  const CGLRenderer::CFrameStats& Stats() const { return renderer_->GetFrameStats(); }
};

TEST_F(RendererDetail, TheLevelFollowsTheSizeOnScreen) {
  Build(0.1);  // about a pixel across when the whole plant is in view
  struct Case {
    const char* name;
    double pixels;
    double zoom;
    bool reduced;
  };
  const Case cases[] = {
      {"whole plant", CGLRenderer::kDefaultReducedDetailPixels, 1, true},
      {"reduced detail off", 0, 1, false},
      {"zoomed in", CGLRenderer::kDefaultReducedDetailPixels, 40, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer_->SetReducedDetailPixels(c.pixels);
    Fit();
    renderer_->Zoom(c.zoom);
    RenderFrame();
    ASSERT_GT(Stats().Lists, 1);
    // The root's list has no pipes of its own: never reduced.
    EXPECT_EQ(Stats().Reduced, c.reduced ? Stats().Lists - 1 : 0);
  }
}

// Pipes far under a pixel: every pipeline is drawn as its centre lines, in
// its colours, and a selection still shows.
TEST_F(RendererDetail, PipelinesUnderAPixelAreCentreLinesThatShowSelection) {
  Build(0.005);
  RenderFrame();
  EXPECT_EQ(Stats().CentreLines, kSide * kSide);
  const auto count = [&](bool red) {
    int n = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const Rgb c = Pixel(x, y);
        n += red ? c.r > 200 && c.g < 50 : c.g > 200 && c.r < 50;
      }
    return n;
  };
  const int green = count(false);
  EXPECT_GT(green, kSide * kSide * 20) << "lines, not specks";
  EXPECT_EQ(count(true), 0);

  CModelNode* pipeline = tree_.Root()->GetChildren().begin()->second.get();
  renderer_->Select(pipeline);
  RenderFrame();
  EXPECT_GT(count(true), 20);
  EXPECT_LT(count(false), green);
}

TEST_F(RendererDetail, SubtreesOutOfViewAreSkipped) {
  Build(0.2);
  RenderFrame();
  EXPECT_EQ(Stats().Culled, 0);
  EXPECT_EQ(Stats().Lists, 1 + kSide * kSide);

  // Close up on the first pipeline's first pipe.
  const CPoint3 middle(1, 0, 0);
  renderer_->SetCentre(middle);
  renderer_->Zoom(8);
  RenderFrame();
  EXPECT_GT(Stats().Culled, 0);
  EXPECT_EQ(Stats().Lists + Stats().Culled, 1 + kSide * kSide);
  EXPECT_GT(PixelAt(middle).g, 100) << "the pipeline in view is drawn";
}

}  // namespace
}  // namespace kelto::test
