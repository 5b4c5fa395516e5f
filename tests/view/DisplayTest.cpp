// C3DDisplay fed with message sequences, no window system: the operations
// that reach the renderer, the signals, what the window is asked to do.
#include "view/Display.h"

#include <gtest/gtest.h>

#include "DisplayFakes.h"
#include "core/ModelNode.h"

namespace kelto::test {
namespace {

using Ops = std::vector<std::string>;
using M = CWindowMessage;
constexpr MouseButton L = MouseButton::Left, R = MouseButton::Right, Mid = MouseButton::Middle;

// A display on a 200 × 100 window whose own procedure logs what reaches it.
class DisplayTest : public ::testing::Test, public CMessageMap {
 protected:
  DisplayTest() {
    window_.SetWindowProcedure(this);
    display_.Attach(window_, renderer_);
  }
  bool ProcessWindowMessage(const M& m) override {
    reached_.push_back(m.Kind);
    return true;
  }
  void Send(std::initializer_list<M> messages) {
    for (const M& m : messages) window_.Dispatch(m);
  }
  Ops Take() { return std::exchange(renderer_.Ops, {}); }

  FakeWindow window_;
  RecordingRenderer renderer_;
  C3DDisplay display_;
  SignalLog log_{display_};
  std::vector<MessageKind> reached_;
};

// Farther than 4 pixels in x or y makes a drag; otherwise the release is a
// click (here bound to a pick, whose y is flipped: 100 − y).
TEST_F(DisplayTest, AClickIsAPressAndReleaseWithinFourPixels) {
  display_.ClickActions()[kMkLButton] = &C3DDisplay::PickCentre;
  for (auto [dx, dy, drags] : {std::tuple{4, 0, false}, {5, 0, true}, {0, -4, false},
                               {0, 5, true}, {-4, 4, false}, {-5, 1, true}}) {
    const int x = 100 + dx, y = 50 + dy;
    Send({M::ButtonDown(L, 100, 50, kMkLButton), M::Move(x, y, kMkLButton)});
    EXPECT_TRUE(window_.Captured);
    Send({M::ButtonUp(L, x, y, 0)});
    EXPECT_FALSE(window_.Captured);
    const Ops ops = Take();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.front(), drags ? "SaveView" : "Pick " + Num(x) + " " + Num(100 - y)) << dx << dy;
    EXPECT_EQ(ops.size(), drags ? 3u : 1u);  // a drag never picks; a click never rotates
  }
}

TEST_F(DisplayTest, ADragEndsWithTheLastButtonOrTheCapture) {
  Send({M::ButtonDown(Mid, 100, 50, kMkMButton), M::Move(120, 50, kMkMButton)});
  EXPECT_EQ(Take(), (Ops{"SaveView", "BeginPan 100 50", "RestoreView", "PanTo 120 50"}));
  Send({M::ButtonDown(R, 120, 50, kMkMButton | kMkRButton), M::ButtonUp(R, 120, 50, kMkMButton),
        M::Move(130, 40, kMkMButton)});
  EXPECT_TRUE(window_.Captured);
  Send({M::ButtonUp(Mid, 130, 40, 0)});
  EXPECT_EQ(Take(), (Ops{"RestoreView", "PanTo 130 60", "AdjustCentreDepth"}));
  EXPECT_TRUE(log_.Popups.empty());  // the right click during the drag is no click
  EXPECT_FALSE(window_.Captured);
  // Losing the capture ends a drag without its end step.
  Send({M::ButtonDown(Mid, 100, 50, kMkMButton), M::Move(110, 50, kMkMButton),
        M::Of(MessageKind::CaptureLost)});
  EXPECT_FALSE(display_.Dragging());
  Take();
  Send({M::ButtonUp(Mid, 110, 50, 0)});
  EXPECT_EQ(Take(), Ops{});  // no AdjustCentreDepth
}

// The binding is the one of the exact keys held at the press.
TEST_F(DisplayTest, TheDragBindingIsTheExactKeysAtThePress) {
  for (auto [press, move, step] :
       {std::tuple{kMkLButton | kMkShift, +kMkLButton, "Zoom 1"},  // Shift let go mid-drag
        {+kMkLButton, kMkLButton | kMkShift, "Rotate -0 20 0 16.0997"},
        {kMkLButton | kMkControl, +kMkLButton, "Rotate -0 0 -20 36"},
        {kMkLButton | kMkShift | kMkControl, +kMkLButton, ""},  // no fallback to Shift+left
        {+kMkXButton1, +kMkXButton1, ""}}) {
    Send({M::ButtonDown(L, 100, 50, press), M::Move(120, 50, move), M::ButtonUp(L, 120, 50, 0)});
    EXPECT_EQ(Take(), (*step ? Ops{"SaveView", "RestoreView", step} : Ops{})) << press;
  }
  // A window of no height has nothing to measure zoom or rotation against:
  // the steps only restore the view (no division by zero).
  window_.Size = {0, 0};
  for (unsigned press : {kMkLButton | kMkShift, +kMkLButton, kMkLButton | kMkControl}) {
    Send({M::ButtonDown(L, 0, 0, press), M::Move(20, 0, press), M::ButtonUp(L, 20, 0, 0)});
    EXPECT_EQ(Take(), (Ops{"SaveView", "RestoreView"}));
  }
}

// The wheel comes in screen coordinates; edges belong to the client area.
TEST_F(DisplayTest, TheWheelZoomsOnlyInsideTheClientArea) {
  for (auto [sx, sy, delta, zoom] :
       {std::tuple{1000, 500, 120, "ZoomAt 1.2 0 100"}, {1200, 600, -240, "ZoomAt 0.694444 200 0"},
        {999, 550, 120, ""}, {1201, 550, 120, ""}, {1100, 601, 120, ""}, {1100, 499, 120, ""}}) {
    Send({M::Wheel(delta, sx, sy, 0)});
    EXPECT_EQ(Take(), (*zoom ? Ops{"AdjustCentreDepth", zoom} : Ops{})) << sx << "," << sy;
  }
  Send({M::Wheel(120, 1100, 550, kMkShift)});  // no binding with Shift
  EXPECT_EQ(Take(), Ops{});
}

TEST_F(DisplayTest, ViewChangedAndTheRedrawOnlyWhenTheViewChanged) {
  CModelNode node;
  renderer_.Hits = {{&node, 0.1, 0.2}};
  for (bool changes : {false, true}) {
    renderer_.Changes = changes;
    log_.ViewChanges = 0;
    window_.Redraws.clear();
    Send({M::ButtonDown(L, 100, 50, kMkLButton), M::Move(110, 50, kMkLButton),  // two steps
          M::Move(120, 50, kMkLButton), M::ButtonUp(L, 120, 50, 0), M::Wheel(120, 1100, 550, 0),
          M::DoubleClick(Mid, 10, 10, kMkMButton)});  // centre
    EXPECT_EQ(log_.ViewChanges, changes ? 4 : 0);
    EXPECT_EQ(window_.Redraws,
              std::vector<unsigned>(changes ? 4 : 0, kRdwInvalidate | kRdwErase | kRdwUpdateNow));
  }
}

TEST_F(DisplayTest, OtherMessagesGoOnToTheWindowsOwnProcedure) {
  Send({M::Size(640, 480), M::Of(MessageKind::EraseBackground), M::Of(MessageKind::Paint),
        M::Drop({"b.json", "a.json", "b.json"})});
  EXPECT_EQ(Take(), (Ops{"Resize 640 480", "Render"}));
  EXPECT_EQ(log_.Drops, (std::vector<std::set<std::string>>{{"a.json", "b.json"}}));
  EXPECT_EQ(reached_, (std::vector{MessageKind::Size, MessageKind::Paint, MessageKind::DropFiles}));
  // Detached during a press: the capture goes back, nothing more is handled.
  Send({M::ButtonDown(L, 1, 1, kMkLButton)});
  display_.Detach();
  EXPECT_FALSE(window_.Captured || window_.AcceptsFiles);
  Send({M::Of(MessageKind::Paint)});
  EXPECT_EQ(Take(), Ops{});
}

}  // namespace
}  // namespace kelto::test
