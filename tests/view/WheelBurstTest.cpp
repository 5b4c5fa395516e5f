// Wheel bursts through C3DDisplay on a real renderer: the picture after the
// rest is the still picture of the view, a burst's steps share their depth
// queries without changing where the zoom goes, and a window without timers
// (the windowless control's) gets full frames.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "DisplayFakes.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "view/Display.h"

namespace kelto::test {
namespace {

constexpr int kSize = 120;

// Screen and client coordinates are one; paints at once; keeps one timer.
class BurstWindow : public FakeWindow {
 public:
  unsigned Timer = 0;
  bool Timers = true;
  CWindowPoint ScreenToClient(CWindowPoint p) const override { return p; }
  void RedrawWindow(unsigned flags) override {
    if (flags & kRdwInvalidate) Dispatch(CWindowMessage::Of(MessageKind::Paint));
  }
  bool SetTimer(unsigned id, unsigned) override { return Timer = Timers ? id : 0, Timers; }
  void KillTimer(unsigned) override { Timer = 0; }
};

class WheelBurst : public ::testing::Test {
 protected:
  void SetUp() override {
    // Pipes at different depths with empty space between them.
    for (const auto& [a, b] : {std::pair<CPoint3, CPoint3>{{0, 0, 0}, {10, 0, 0}},
                               {{0, 4, -3}, {10, 6, -3}},
                               {{2, -5, 2}, {2, 5, 6}}}) {
      CModelNode::NodePtr pipe(new CModelNode());
      pipe->GetGeometry().AddCone(a, 0.8, b, 0.8, 0x00C0FF);
      pipe->GeometryChanged(false);
      root_->AddChild(pipe);
    }
    window_.Size = {kSize, kSize};
    renderer_->Resize(kSize, kSize);
    renderer_->GetOptions().Set("ViewLimits", _variant_t(false));  // pans reach the pointer
    display_.Attach(window_, *renderer_);
  }
  // Steps at client pixels (y downwards); the views they end in.
  std::vector<CViewState> Burst(const std::vector<std::pair<int, int>>& steps) {
    renderer_->FitView(root_->GetBoundBox());
    std::vector<CViewState> views;
    for (const auto& [x, y] : steps) {
      window_.Dispatch(CWindowMessage::Wheel(120, x, y, 0));
      views.push_back(renderer_->GetView());
    }
    return views;
  }
  std::vector<std::uint8_t> Picture(kelto::gl::CGLDIBSurface& surface) {
    return {surface.Bits(), surface.Bits() + surface.Stride() * surface.Height()};
  }

  CModelNode::NodePtr root_{new CModelNode()};
  kelto::gl::CGLDIBSurface surface_{kSize, kSize};
  std::unique_ptr<CGLRenderer> renderer_ = std::make_unique<CGLRenderer>(root_.get(), &surface_);
  BurstWindow window_;
  C3DDisplay display_;
};

// Without timers (the windowless control) nothing would end a burst: each
// step is drawn as the still picture.
TEST_F(WheelBurst, TheFrameAfterTheBurstIsTheFrameOfTheSameViewWithoutIt) {
  renderer_->GetInteraction()->SetBudget(1e-6);  // every motion frame coarse
  const struct {
    std::pair<int, int> at;
    bool timers;
  } cases[] = {{{60, 60}, true}, {{8, 8}, true}, {{60, 60}, false}};
  for (const auto& c : cases) {
    window_.Timers = c.timers;
    Burst(std::vector<std::pair<int, int>>(6, c.at));
    EXPECT_EQ(display_.InMotion(), c.timers);
    if (c.timers) window_.Dispatch(CWindowMessage::Timer(window_.Timer));
    ASSERT_FALSE(display_.InMotion());
    kelto::gl::CGLDIBSurface other(kSize, kSize);
    CGLRenderer fresh(root_.get(), &other);
    fresh.Resize(kSize, kSize);
    fresh.CopyViewFrom(*renderer_);
    fresh.Render();
    EXPECT_TRUE(Picture(surface_) == Picture(other)) << c.at.first << " " << c.timers;
  }
}

// A step at the point of the step before reuses its target, a moved pointer
// asks again: the views are those of a depth query at every step.
TEST_F(WheelBurst, SharedDepthQueriesLeaveTheZoomWhereQueriesAtEveryStepPutIt) {
  for (const auto& steps : {std::vector<std::pair<int, int>>{{60, 60}, {60, 60}, {60, 60}},
                            {{10, 12}, {10, 12}, {80, 60}, {80, 60}, {30, 100}}}) {
    const std::vector<CViewState> shared = Burst(steps);
    window_.Dispatch(CWindowMessage::Timer(window_.Timer));
    renderer_->FitView(root_->GetBoundBox());
    CInteractionController& motion = *renderer_->GetInteraction();
    motion.Begin();  // the centre's depth as the burst's first step found it
    renderer_->AdjustCentreDepth();
    motion.End();
    for (std::size_t i = 0; i < steps.size(); ++i) {
      renderer_->ZoomAt(1.2, CPoint2(steps[i].first, kSize - steps[i].second));
      const CViewState& view = renderer_->GetView();
      EXPECT_NEAR(view.Distance, shared[i].Distance, 1e-9 * view.Distance) << i;
      EXPECT_LT((view.Centre - shared[i].Centre).Length(), 1e-9 * view.Distance) << i;
    }
  }
}

}  // namespace
}  // namespace kelto::test
