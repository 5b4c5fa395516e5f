// C3DDisplay fed with message sequences, no window system: which operations
// reach the renderer, which signals fire, and what the window is asked to do.
#include "view/Display.h"

#include <gtest/gtest.h>

#include <map>

#include "DisplayFakes.h"
#include "render/RendererFixture.h"
#include "view/ActionTables.h"

namespace kelto::test {
namespace {

using kelto::window::CWindowMessage;
using kelto::window::MessageKind;
using kelto::window::MouseButton;
using namespace kelto::window;  // the kMk… bits

using Ops = std::vector<std::string>;

// A display attached to a 200 × 100 window whose own procedure logs what
// reaches it after the display.
class DisplayTest : public ::testing::Test, public kelto::window::CMessageMap {
 protected:
  DisplayTest() {
    window_.SetWindowProcedure(this);
    display_.Attach(window_, renderer_);
  }
  bool ProcessWindowMessage(const CWindowMessage& m) override {
    reached_procedure_.push_back(m.Kind);
    return true;
  }
  void Send(const CWindowMessage& m) { window_.Dispatch(m); }
  void Down(MouseButton b, int x, int y, unsigned keys) { Send(CWindowMessage::ButtonDown(b, x, y, keys)); }
  void Up(MouseButton b, int x, int y, unsigned keys) { Send(CWindowMessage::ButtonUp(b, x, y, keys)); }
  void Move(int x, int y, unsigned keys) { Send(CWindowMessage::Move(x, y, keys)); }

  FakeWindow window_;
  RecordingRenderer renderer_;
  C3DDisplay display_;
  SignalLog log_{display_};
  std::vector<MessageKind> reached_procedure_;
};

// A move must go farther than 4 pixels in x or y for a drag; a shorter
// press and release is a click (y of the click flipped: 100 − y).
TEST_F(DisplayTest, AClickIsAPressAndReleaseWithinFourPixels) {
  struct Row {
    int dx, dy;
    bool drags;
  };
  for (const Row& r : {Row{4, 0, false}, Row{5, 0, true}, Row{0, -4, false}, Row{0, 5, true},
                       Row{-4, 4, false}, Row{-5, 1, true}}) {
    SCOPED_TRACE(testing::Message() << "dx " << r.dx << " dy " << r.dy);
    FakeWindow window;
    RecordingRenderer renderer;
    C3DDisplay display;
    display.Attach(window, renderer);
    display.ClickActions()[kMkLButton] = &C3DDisplay::PickCentre;
    const int x = 100 + r.dx, y = 50 + r.dy;
    window.Dispatch(CWindowMessage::ButtonDown(MouseButton::Left, 100, 50, kMkLButton));
    EXPECT_TRUE(window.Captured);
    window.Dispatch(CWindowMessage::Move(x, y, kMkLButton));
    window.Dispatch(CWindowMessage::ButtonUp(MouseButton::Left, x, y, 0));
    EXPECT_FALSE(window.Captured);
    EXPECT_FALSE(display.Dragging());
    if (r.drags) {
      ASSERT_FALSE(renderer.Ops.empty());
      EXPECT_EQ(renderer.Ops.front(), "SaveView");
      for (const std::string& op : renderer.Ops) EXPECT_NE(op.rfind("Pick", 0), 0u) << op;
    } else {
      EXPECT_EQ(renderer.Ops, (Ops{"Pick " + std::to_string(x) + " " + std::to_string(100 - y)}));
    }
  }
}

TEST_F(DisplayTest, ReleasingOneOfTwoButtonsKeepsTheDragGoing) {
  Down(MouseButton::Middle, 100, 50, kMkMButton);
  Move(120, 50, kMkMButton);
  EXPECT_EQ(renderer_.Ops, (Ops{"SaveView", "BeginPan 100 50", "RestoreView", "PanTo 120 50"}));
  renderer_.Ops.clear();
  // The right button comes and goes: no new drag, no click, no end.
  Down(MouseButton::Right, 120, 50, kMkMButton | kMkRButton);
  Up(MouseButton::Right, 120, 50, kMkMButton);
  EXPECT_TRUE(display_.Dragging());
  EXPECT_TRUE(window_.Captured);
  Move(130, 40, kMkMButton);
  Up(MouseButton::Middle, 130, 40, 0);
  EXPECT_EQ(renderer_.Ops, (Ops{"RestoreView", "PanTo 130 60", "AdjustCentreDepth"}));
  EXPECT_TRUE(log_.Popups.empty());
  EXPECT_FALSE(display_.Dragging());
  EXPECT_FALSE(window_.Captured);
}

// The binding is chosen by the keys held at the press, matched exactly.
TEST_F(DisplayTest, TheDragBindingIsTheExactKeysAtThePress) {
  struct Row {
    unsigned press_keys, move_keys;
    const char* first_step;  // the operation after RestoreView, "" for none
  };
  for (const Row& r : {Row{kMkLButton | kMkShift, kMkLButton, "Zoom"},  // Shift let go mid-drag
                       Row{kMkLButton, kMkLButton | kMkShift, "Rotate"},
                       Row{kMkLButton | kMkControl, kMkLButton, "Rotate -0 0 -20"},
                       Row{kMkLButton | kMkShift | kMkControl, kMkLButton, ""},
                       Row{kMkRButton, kMkRButton, ""}}) {
    SCOPED_TRACE(r.press_keys);
    renderer_.Ops.clear();
    Down(MouseButton::Left, 100, 50, r.press_keys);
    Move(120, 50, r.move_keys);
    Up(MouseButton::Left, 120, 50, 0);
    if (*r.first_step == 0) {
      EXPECT_EQ(renderer_.Ops, Ops{});
      continue;
    }
    ASSERT_EQ(renderer_.Ops.size(), 3u);
    EXPECT_EQ(renderer_.Ops[1], "RestoreView");
    EXPECT_EQ(renderer_.Ops[2].rfind(r.first_step, 0), 0u) << renderer_.Ops[2];
  }
}

TEST_F(DisplayTest, LosingTheCaptureEndsTheDragWithoutItsEnd) {
  Down(MouseButton::Middle, 100, 50, kMkMButton);
  Move(110, 50, kMkMButton);
  Send(CWindowMessage::Of(MessageKind::CaptureLost));
  EXPECT_FALSE(display_.Dragging());
  renderer_.Ops.clear();
  Up(MouseButton::Middle, 110, 50, 0);
  EXPECT_EQ(renderer_.Ops, Ops{});  // no AdjustCentreDepth of the pan's end
  EXPECT_FALSE(window_.Captured);
}

// The wheel arrives in screen coordinates; the window's client area is at
// (1000, 500) and 200 × 100, edges included.
TEST_F(DisplayTest, TheWheelZoomsOnlyInsideTheClientArea) {
  struct Row {
    int sx, sy, delta;
    Ops expected;
  };
  const Row rows[] = {
      {1000, 500, 120, {"AdjustCentreDepth", "ZoomAt 1.2 0 100"}},
      {1200, 600, -240, {"AdjustCentreDepth", "ZoomAt 0.694444 200 0"}},
      {1100, 550, 360, {"AdjustCentreDepth", "ZoomAt 1.728 100 50"}},
      {999, 550, 120, {}},
      {1201, 550, 120, {}},
      {1100, 601, 120, {}},
      {1100, 499, 120, {}},
  };
  for (const Row& r : rows) {
    renderer_.Ops.clear();
    Send(CWindowMessage::Wheel(r.delta, r.sx, r.sy, 0));
    EXPECT_EQ(renderer_.Ops, r.expected) << r.sx << ", " << r.sy;
  }
  renderer_.Ops.clear();
  Send(CWindowMessage::Wheel(120, 1100, 550, kMkShift));  // no binding with Shift
  EXPECT_EQ(renderer_.Ops, Ops{});
}

// ViewChanged and the immediate redraw follow only operations that changed
// the view.
TEST_F(DisplayTest, ViewChangedOnlyWhenTheViewChanged) {
  CModelNode node;
  for (bool changes : {false, true}) {
    SCOPED_TRACE(changes);
    renderer_.Changes = changes;
    renderer_.Hits = {CHitRecord{&node, 0.1, 0.2}};
    log_.ViewChanges = 0;
    window_.Redraws.clear();
    Down(MouseButton::Left, 100, 50, kMkLButton);  // rotate: two steps
    Move(110, 50, kMkLButton);
    Move(120, 50, kMkLButton);
    Up(MouseButton::Left, 120, 50, 0);
    Send(CWindowMessage::Wheel(120, 1100, 550, 0));
    Send(CWindowMessage::DoubleClick(MouseButton::Middle, 10, 10, kMkMButton));  // centre
    const int expected = changes ? 4 : 0;
    EXPECT_EQ(log_.ViewChanges, expected);
    EXPECT_EQ(window_.Redraws,
              std::vector<unsigned>(expected, kRdwInvalidate | kRdwErase | kRdwUpdateNow));
  }
}

TEST_F(DisplayTest, DefaultBindings) {
  std::map<unsigned, kelto3d::DragAction> drag;
  for (const auto& [k, h] : display_.DragActions()) drag[k] = DragActionOf(h);
  EXPECT_EQ(drag, (std::map<unsigned, kelto3d::DragAction>{{1, kelto3d::daRotateUDLR},
                                                           {5, kelto3d::daZoom},
                                                           {9, kelto3d::daRotateUDCA},
                                                           {6, kelto3d::daPan},
                                                           {14, kelto3d::daZoom},
                                                           {16, kelto3d::daPan},
                                                           {24, kelto3d::daZoom}}));
  std::map<unsigned, kelto3d::PickAction> click, dbl;
  for (const auto& [k, h] : display_.ClickActions()) click[k] = PickActionOf(h);
  for (const auto& [k, h] : display_.DoubleClickActions()) dbl[k] = PickActionOf(h);
  EXPECT_EQ(click, (std::map<unsigned, kelto3d::PickAction>{{2, kelto3d::paPopupMenu}}));
  EXPECT_EQ(dbl, (std::map<unsigned, kelto3d::PickAction>{{1, kelto3d::paSelect},
                                                          {5, kelto3d::paToggleSelect},
                                                          {6, kelto3d::paCentre},
                                                          {16, kelto3d::paCentre}}));
  ASSERT_EQ(display_.WheelActions().size(), 1u);
  EXPECT_EQ(WheelActionOf(display_.WheelActions().at(0)), kelto3d::waZoomInv);
}

TEST_F(DisplayTest, PicksSelectToggleAndRaiseThePopupMenu) {
  TestTree tree;
  CModelNode* a = tree.Add(Cylinder({0, 0, 0}, {1, 0, 0}, 0.1));
  CModelNode* b = tree.Add(Cylinder({0, 1, 0}, {1, 1, 0}, 0.1));
  using Events = std::vector<std::pair<CModelNode*, CModelNode*>>;
  struct Row {
    const char* what;
    std::vector<CModelNode*> selected_before, hits;
    void (C3DDisplay::*handler)(int, int);
    Events events;
    std::vector<CModelNode*> selected_after;
  };
  const Row rows[] = {
      {"select on empty space", {a, b}, {}, &C3DDisplay::PickSelect, {{a, nullptr}, {b, nullptr}}, {}},
      {"select the selected", {a}, {a, b}, &C3DDisplay::PickSelect, {{a, nullptr}, {nullptr, a}}, {a}},
      {"toggle off", {a}, {a}, &C3DDisplay::PickToggleSelect, {{a, nullptr}}, {}},
      {"toggle on", {b}, {a}, &C3DDisplay::PickToggleSelect, {{nullptr, a}}, {b, a}},
      {"toggle on empty space", {b}, {}, &C3DDisplay::PickToggleSelect, {}, {b}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    renderer_.Selected = r.selected_before;
    renderer_.Hits.clear();
    for (CModelNode* n : r.hits) renderer_.Hits.push_back({n, 0.1, 0.2});
    log_.Selections.clear();
    (display_.*r.handler)(10, 20);
    EXPECT_EQ(log_.Selections, r.events);
    EXPECT_EQ(renderer_.Selected, r.selected_after);
  }
  // By the default double-click bindings, y flipped.
  renderer_.Ops.clear();
  renderer_.Selected.clear();
  renderer_.Hits = {{b, 0.1, 0.2}};
  Send(CWindowMessage::DoubleClick(MouseButton::Left, 30, 40, kMkLButton));
  Send(CWindowMessage::DoubleClick(MouseButton::Left, 30, 40, kMkLButton | kMkShift));
  EXPECT_EQ(renderer_.Ops, (Ops{"Pick 30 60", "UnselectAll", "Select", "Pick 30 60", "Unselect"}));
  // A right click raises the popup menu, with no hit as well.
  renderer_.Hits = {{a, 0.1, 0.2}, {b, 0.3, 0.4}};
  Down(MouseButton::Right, 30, 40, kMkRButton);
  Up(MouseButton::Right, 30, 40, 0);
  renderer_.Hits.clear();
  Down(MouseButton::Right, 31, 41, kMkRButton);
  Up(MouseButton::Right, 31, 41, 0);
  EXPECT_EQ(log_.Popups, (std::vector<std::string>{"30 60 2", "31 59 0"}));
}

TEST_F(DisplayTest, OtherMessagesAndTheWindowsOwnProcedure) {
  Send(CWindowMessage::Size(640, 480));
  Send(CWindowMessage::Of(MessageKind::EraseBackground));
  Send(CWindowMessage::Of(MessageKind::Paint));
  Send(CWindowMessage::Drop({"b.json", "a.json", "b.json"}));
  EXPECT_EQ(renderer_.Ops, (Ops{"Resize 640 480", "Render"}));
  ASSERT_EQ(log_.Drops.size(), 1u);
  EXPECT_EQ(log_.Drops[0], (std::set<std::string>{"a.json", "b.json"}));
  // Everything but the erase goes on to the procedure.
  EXPECT_EQ(reached_procedure_,
            (std::vector<MessageKind>{MessageKind::Size, MessageKind::Paint, MessageKind::DropFiles}));
  EXPECT_TRUE(window_.AcceptsFiles);

  // Detached in the middle of a press: the capture goes back, nothing more
  // reaches the renderer.
  Down(MouseButton::Left, 1, 1, kMkLButton);
  display_.Detach();
  EXPECT_FALSE(window_.Captured);
  EXPECT_FALSE(window_.AcceptsFiles);
  renderer_.Ops.clear();
  Move(50, 50, kMkLButton);
  Send(CWindowMessage::Of(MessageKind::Paint));
  EXPECT_EQ(renderer_.Ops, Ops{});
}

}  // namespace
}  // namespace kelto::test
