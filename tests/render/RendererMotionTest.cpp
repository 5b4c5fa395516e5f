// Frames drawn during motion: coarser while it lasts, and nothing of it left
// in the still picture or in what a pick finds.
#include <gtest/gtest.h>

#include "RendererFixture.h"
#include "render/StandardViewDir.h"

namespace kelto::test {
namespace {

class RendererMotion : public RendererTest {
 protected:
  // A 4 × 4 grid of pipelines, each a pipe, a bend and a pipe, a few pixels
  // across when the whole grid is in view.
  void Build() {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        CModelNode* pipeline = tree_.Add({});
        const CVector3 at(3.0 * i, 3.0 * j, 0);
        const auto p = [&](double x, double y) { return CPoint3(x, y, 0) + at; };
        pipes_.push_back(tree_.Add(Cylinder(p(0, 0), p(2, 0), 0.5), pipeline));
        tree_.Add(Bend(p(2, 0), p(2.5, 0), p(2.5, 0.5), 0.5, 0x00A0A0), pipeline);
        tree_.Add(Cylinder(p(2.5, 0.5), p(2.5, 2), 0.5, 0xA000A0), pipeline);
      }
    }
    CGLRenderer& r = Start();
    SetOption("AxesSize", 0L);
    const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
    r.SetViewDir(d.View, d.Up);
    Fit();
    // Every frame takes a second: motion frames go to the coarsest level.
    r.GetInteraction()->SetClock([t = 0.0]() mutable { return t += 500.0; });
  }
  CModelNode* PickedAt(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    CHitList hits;
    renderer_->Pick({w.x, w.y}, hits);
    return hits.empty() ? nullptr : hits.front().Node;
  }
  std::vector<CModelNode*> pipes_;
};

TEST_F(RendererMotion, NothingOfTheMotionStaysInTheStillPictureOrInPicks) {
  Build();
  const CPoint3 onPipe = pipes_[5]->GetBoundBox().GetCentre();
  ASSERT_EQ(PickedAt(onPipe), pipes_[5]);
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
  EXPECT_EQ(PickedAt(onPipe), pipes_[5]) << "picks are drawn in full during motion";
  motion.End();
  RenderFrame();
  EXPECT_EQ(renderer_->GetFrameStats().Reduced, stillStats.Reduced);
  EXPECT_EQ(renderer_->GetFrameStats().CentreLines, stillStats.CentreLines);
  EXPECT_TRUE(frame_ == still) << "the still picture changed after motion";
  EXPECT_EQ(PickedAt(onPipe), pipes_[5]);
}

}  // namespace
}  // namespace kelto::test
