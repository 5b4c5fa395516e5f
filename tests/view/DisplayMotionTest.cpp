// C3DDisplay and motion frames: a drag or a wheel burst puts the renderer's
// frames under their budget, and its end — the release, a lost capture, the
// wheel's rest — brings the full picture back with one more frame.
#include <gtest/gtest.h>

#include "platform/gl/GLDIBSurface.h"
#include "DisplayFakes.h"
#include "render/GLRenderer.h"
#include "view/Display.h"

namespace kelto::test {
namespace {

// Paints when asked (now or on Pump); keeps one timer.
class TimerWindow : public FakeWindow {
 public:
  unsigned Timer = 0;
  int Paints = 0;
  void RedrawWindow(unsigned flags) override {
    invalid_ |= (flags & kRdwInvalidate) != 0;
    if (flags & kRdwUpdateNow) Pump();
  }
  bool SetTimer(unsigned id, unsigned) override { return Timer = id, true; }
  void KillTimer(unsigned id) override { Timer = Timer == id ? 0 : Timer; }
  void Pump() {
    if (!std::exchange(invalid_, false)) return;
    ++Paints;
    Dispatch(CWindowMessage::Of(MessageKind::Paint));
  }

 private:
  bool invalid_ = false;
};

class DisplayMotion : public ::testing::Test {
 protected:
  void SetUp() override {
    CModelNode::NodePtr pipe(new CModelNode());
    pipe->GetGeometry().AddCone({0, 0, 0}, 1, {10, 0, 0}, 1, 0x00FF00);
    pipe->GeometryChanged(false);
    root_->AddChild(pipe);
    renderer_ = std::make_unique<CGLRenderer>(root_.get(), &surface_);
    renderer_->FitView(root_->GetBoundBox());
    display_.Attach(window_, *renderer_);
  }
  void Send(const CWindowMessage& m) {
    window_.Dispatch(m);
    window_.Pump();
  }
  bool InMotion() const { return renderer_->GetInteraction()->Active(); }

  CModelNode::NodePtr root_{new CModelNode()};
  kelto::gl::CGLDIBSurface surface_{100, 100};
  std::unique_ptr<CGLRenderer> renderer_;
  TimerWindow window_;
  C3DDisplay display_;
};

// Each end of a motion (a drag's release or lost capture, the wheel's rest)
// gives one more, full, frame; another window's timer is not the display's.
TEST_F(DisplayMotion, AMotionsEndBringsTheFullPictureBack) {
  using M = CWindowMessage;
  for (const M& end :
       {M::ButtonUp(MouseButton::Left, 60, 50, 0), M::Of(MessageKind::CaptureLost)}) {
    Send(M::ButtonDown(MouseButton::Left, 50, 50, kMkLButton));
    Send(M::Move(60, 50, kMkLButton));
    EXPECT_TRUE(InMotion());
    const int paints = window_.Paints;
    Send(end);
    EXPECT_FALSE(InMotion());
    EXPECT_EQ(window_.Paints, paints + 1) << int(end.Kind);
  }
  Send(M::Wheel(120, 1050, 550, 0));
  Send(M::Wheel(120, 1050, 550, 0));
  EXPECT_TRUE(InMotion());
  ASSERT_EQ(window_.Timer, C3DDisplay::kMotionTimer);
  const int paints = window_.Paints;
  Send(M::Timer(window_.Timer));
  EXPECT_FALSE(InMotion());
  EXPECT_EQ(window_.Timer, 0u) << "the rest timer is done";
  EXPECT_EQ(window_.Paints, paints + 1);
  Send(M::Timer(7));
  EXPECT_EQ(window_.Paints, paints + 1);
}

}  // namespace
}  // namespace kelto::test
