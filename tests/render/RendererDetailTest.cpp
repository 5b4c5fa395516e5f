// What a frame draws of a plant: each node list at the level of detail its
// size on screen calls for (coarser during motion), and nothing of the
// subtrees out of view.
#include "RendererFixture.h"

namespace kelto::test {
namespace {

class RendererDetail : public RendererTest {
 protected:
  static constexpr int kSide = 4;  // kSide × kSide pipelines

  const CGLRenderer::CFrameStats& Stats() const { return renderer_->GetFrameStats(); }
};

TEST_F(RendererDetail, TheLevelFollowsTheSizeOnScreen) {
  BuildGrid(kSide, 0.1);  // about a pixel across when the whole plant is in view
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
  BuildGrid(kSide, 0.005);
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
  BuildGrid(kSide, 0.2);
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

// Frames drawn during motion are coarser while it lasts, and nothing of them
// stays in the still picture or in what a pick finds.
TEST_F(RendererDetail, NothingOfTheMotionStaysInTheStillPictureOrInPicks) {
  // A grid a few pixels across, every frame taking a second: motion frames
  // go to the coarsest level.
  const std::vector<CModelNode*> pipes = BuildGrid(kSide, 0.5);
  renderer_->GetInteraction()->SetClock([t = 0.0]() mutable { return t += 500.0; });
  const CPoint3 onPipe = pipes[5]->GetBoundBox().GetCentre();
  ASSERT_EQ(FirstHitAt(onPipe), pipes[5]);
  RenderFrame();
  const std::vector<std::uint8_t> still = frame_;
  const CGLRenderer::CFrameStats stillStats = renderer_->GetFrameStats();
  CInteractionController& motion = *renderer_->GetInteraction();
  renderer_->SaveView();
  motion.Begin();
  for (double angle : {10.0, 20.0, 30.0}) {
    renderer_->RestoreView();
    renderer_->Rotate({0, 1, 0}, angle);
    renderer_->Render();
  }
  renderer_->RestoreView();
  RenderFrame();
  EXPECT_EQ(motion.Level(), kInteractionLevels - 1);
  EXPECT_EQ(renderer_->GetFrameStats().Reduced, renderer_->GetFrameStats().Lists - 1);
  EXPECT_NE(frame_, still) << "the motion frame should be coarser";
  EXPECT_EQ(FirstHitAt(onPipe), pipes[5]) << "picks are drawn in full during motion";
  motion.End();
  RenderFrame();
  EXPECT_EQ(renderer_->GetFrameStats().Reduced, stillStats.Reduced);
  EXPECT_EQ(renderer_->GetFrameStats().CentreLines, stillStats.CentreLines);
  EXPECT_TRUE(frame_ == still) << "the still picture changed after motion";
  EXPECT_EQ(FirstHitAt(onPipe), pipes[5]);
}

}  // namespace
}  // namespace kelto::test
