// A burst of wheel steps through C3DDisplay: its depth queries are shared by
// the steps (the centre adjusted once, the zoom target kept while the
// pointer stays), and the picture after the rest is the still picture of
// the view the burst ended in. Without timers (the windowless control) the
// wheel draws full frames.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "DisplayFakes.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "render/InteractionController.h"
#include "view/Display.h"
#include "view/ViewWindow.h"

namespace kelto::test {
namespace {

// Screen and client coordinates are one; a timer is kept until the test
// fires it.
class BurstWindow : public FakeWindow {
 public:
  unsigned Timer = 0;
  bool Timers = true;
  CWindowPoint ScreenToClient(CWindowPoint p) const override { return p; }
  void RedrawWindow(unsigned flags) override {
    if (flags & kRdwInvalidate) Dispatch(CWindowMessage::Of(MessageKind::Paint));
  }
  bool SetTimer(unsigned id, unsigned) override {
    if (Timers) Timer = id;
    return Timers;
  }
  void KillTimer(unsigned id) override { Timer = Timer == id ? 0 : Timer; }
};

// Pipes at different depths with empty space between them, so that a point
// may lie on the model or on nothing.
void AddPipes(CModelNode& root) {
  const CPoint3 ends[][2] = {{{0, 0, 0}, {10, 0, 0}},
                             {{0, 4, -3}, {10, 6, -3}},
                             {{2, -5, 2}, {2, 5, 6}},
                             {{7, -4, -6}, {9, 5, 1}}};
  for (const auto& end : ends) {
    CModelNode::NodePtr pipe(new CModelNode());
    pipe->GetGeometry().AddCone(end[0], 0.8, end[1], 0.8, 0x00C0FF);
    pipe->GeometryChanged(false);
    root.AddChild(pipe);
  }
}

std::vector<std::uint8_t> Picture(kelto::gl::CGLDIBSurface& surface) {
  const std::uint8_t* bits = surface.Bits();
  return {bits, bits + surface.Stride() * surface.Height()};
}

class WheelBurst : public ::testing::Test {
 protected:
  static constexpr int kSize = 120;
  void SetUp() override {
    AddPipes(*root_);
    window_.Size = {kSize, kSize};
    renderer_ = std::make_unique<CGLRenderer>(root_.get(), &surface_);
    renderer_->Resize(kSize, kSize);
    renderer_->FitView(root_->GetBoundBox());
    display_.Attach(window_, *renderer_);
  }
  // A step towards the user at client (x, y), y counted downwards.
  void Step(int x, int y, int delta = 120) { window_.Dispatch(CWindowMessage::Wheel(delta, x, y, 0)); }
  void Rest() { window_.Dispatch(CWindowMessage::Timer(window_.Timer)); }
  // The world point a zoom at (x, y from the bottom) just put under it (the
  // pan keeps its window depth; the near and far planes move later).
  CPoint3 ZoomedTo(double x, double y) const {
    return renderer_->GetCameraMatrices().Unproject({x, y, renderer_->GetPanAnchor().z});
  }
  // How far from (x, y) the point shows, in pixels.
  double Off(const CPoint3& point, double x, double y) const {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    return std::hypot(w.x - x, w.y - y);
  }

  CModelNode::NodePtr root_{new CModelNode()};
  kelto::gl::CGLDIBSurface surface_{kSize, kSize};
  std::unique_ptr<CGLRenderer> renderer_;
  BurstWindow window_;
  C3DDisplay display_;
};

TEST_F(WheelBurst, TheStillFrameAfterTheRestIsTheFrameOfTheSameViewWithoutTheBurst) {
  struct Case {
    const char* name;
    int x, y, delta, steps;
  };
  const Case cases[] = {
      {"in, on a pipe", kSize / 2, kSize / 2, 120, 6},
      {"in, between the pipes", 8, 8, 120, 6},
      {"out, notches summed", 30, 90, -360, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer_->FitView(root_->GetBoundBox());
    renderer_->Render();
    // Motion frames must be coarser than the still one: a budget no frame
    // meets.
    renderer_->GetInteraction()->SetBudget(1e-6);
    for (int i = 0; i < c.steps; ++i) Step(c.x, c.y, c.delta);
    ASSERT_TRUE(display_.InMotion());
    EXPECT_GT(renderer_->GetInteraction()->Level(), 0) << "the burst drew motion frames";
    Rest();
    ASSERT_FALSE(display_.InMotion());
    const std::vector<std::uint8_t> after = Picture(surface_);

    kelto::gl::CGLDIBSurface other(kSize, kSize);
    CGLRenderer fresh(root_.get(), &other);
    fresh.Resize(kSize, kSize);
    fresh.CopyViewFrom(*renderer_);
    fresh.Render();
    EXPECT_TRUE(after == Picture(other));
    surface_.MakeCurrent();
  }
}

// A burst asks for depth once per pointer position; each later step zooms
// to the point first found. The view it ends in is the one a depth query at
// every step gives: a zoom at a point keeps every point of the pointer's ray
// under the pointer, so which one was found only matters for the cost.
TEST_F(WheelBurst, TheZoomTargetIsTheWorldPointFirstFoundUnderThePointer) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> steps;  // client pixels, y downwards
  };
  const Case cases[] = {
      {"on a pipe", {{60, 60}, {60, 60}, {60, 60}, {60, 60}, {60, 60}}},
      {"between the pipes", {{10, 12}, {10, 12}, {10, 12}, {10, 12}, {10, 12}}},
      {"the pointer moves", {{60, 60}, {60, 60}, {80, 60}, {80, 60}, {30, 100}, {30, 100}}},
  };
  // Without the view limits a pan always reaches the pointer.
  renderer_->GetOptions().Set("ViewLimits", _variant_t(false));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer_->FitView(root_->GetBoundBox());
    std::vector<CViewState> burst;
    CPoint3 first;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const auto [x, y] = c.steps[i];
      Step(x, y);
      burst.push_back(renderer_->GetView());
      const bool moved = i == 0 || c.steps[i] != c.steps[i - 1];
      if (moved) first = ZoomedTo(x, kSize - y);
      EXPECT_LT(Off(first, x, kSize - y), 1e-6) << "step " << i;
    }
    Rest();
    // The same steps with a depth query each (no motion), the centre
    // adjusted on the first one in motion as the burst did.
    renderer_->FitView(root_->GetBoundBox());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const CPoint2 at(c.steps[i].first, kSize - c.steps[i].second);
      if (i == 0) {
        renderer_->GetInteraction()->Begin();
        renderer_->AdjustCentreDepth();
        renderer_->GetInteraction()->End();
      }
      renderer_->ZoomAt(1.2, at);
      const CViewState& view = renderer_->GetView();
      EXPECT_NEAR(view.Distance, burst[i].Distance, 1e-9 * view.Distance) << "step " << i;
      EXPECT_LT((view.Centre - burst[i].Centre).Length(), 1e-9 * view.Distance) << "step " << i;
    }
  }
}

// A renderer that records its operations and has a motion controller.
class MotionRecorder : public RecordingRenderer {
 public:
  CInteractionController* GetInteraction() override { return &interaction_; }

 private:
  CInteractionController interaction_;
};

TEST(WheelBurstQueries, TheCentreIsAdjustedOnceABurst) {
  BurstWindow window;
  window.Size = {200, 100};
  MotionRecorder renderer;
  C3DDisplay display;
  display.Attach(window, renderer);
  const auto wheel = CWindowMessage::Wheel(120, 50, 50, 0);
  struct Case {
    const char* name;
    bool timers;
    std::vector<CWindowMessage> messages;
    int adjusts;
  };
  const Case cases[] = {
      {"one burst", true, {wheel, wheel, wheel}, 1},
      {"two bursts", true, {wheel, wheel, CWindowMessage::Timer(C3DDisplay::kMotionTimer), wheel}, 2},
      {"a drag ends the burst",
       true,
       {wheel, CWindowMessage::ButtonDown(MouseButton::Left, 10, 10, kMkLButton),
        CWindowMessage::Move(30, 10, kMkLButton), CWindowMessage::ButtonUp(MouseButton::Left, 30, 10, 0),
        wheel},
       2},
      {"no timers: every step", false, {wheel, wheel, wheel}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.Timers = c.timers;
    renderer.Ops.clear();
    for (const CWindowMessage& m : c.messages) window.Dispatch(m);
    EXPECT_EQ(std::count(renderer.Ops.begin(), renderer.Ops.end(), "AdjustCentreDepth"), c.adjusts);
    const auto steps = std::count_if(c.messages.begin(), c.messages.end(), [](const auto& m) {
      return m.Kind == MessageKind::MouseWheel;
    });
    EXPECT_EQ(std::count(renderer.Ops.begin(), renderer.Ops.end(), "ZoomAt 1.2 50 50"), steps);
    window.Dispatch(CWindowMessage::Timer(C3DDisplay::kMotionTimer));
  }
}

// The windowless control keeps no timers: every wheel step is drawn as the
// full picture, which is what the host shows until its next message.
TEST(WheelBurstWindowless, EachStepDrawsTheFullPicture) {
  CModelNode::NodePtr root(new CModelNode());
  AddPipes(*root);
  CGLRenderer renderer;
  renderer.SetViewedRoot(root.get());
  renderer.FitView(root->GetBoundBox());
  CViewWindow view(*root, renderer);
  constexpr int kSize = 80;
  view.ActivateWindowless(kSize, kSize);
  renderer.GetInteraction()->SetBudget(1e-6);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSize, kSize);
  cairo_t* cr = cairo_create(image);
  ASSERT_TRUE(view.Draw(cr, 0, 0, kSize, kSize));
  for (int step = 0; step < 3; ++step) {
    view.Dispatch(CWindowMessage::Wheel(120, kSize / 3, kSize / 3, 0));
    EXPECT_FALSE(renderer.GetInteraction()->Active());
    EXPECT_TRUE(view.NeedsPaint());
    ASSERT_TRUE(view.Draw(cr, 0, 0, kSize, kSize));
    EXPECT_EQ(renderer.GetInteraction()->Level(), 0);
    EXPECT_EQ(renderer.GetFrameStats().Omitted + renderer.GetFrameStats().CentreLines, 0);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(image);
  view.Deactivate();
}

}  // namespace
}  // namespace kelto::test
