// The X event rules without a server: events are made by hand, so times and
// positions can sit exactly on the limits.
#include "platform/window/x11/X11InputTranslator.h"

// gtest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace kelto::window {
namespace {

XEvent ButtonEvent(int type, unsigned button, int x, int y, unsigned state, unsigned long time = 0) {
  XEvent e{};
  e.xbutton.type = type;
  e.xbutton.button = button;
  e.xbutton.x = x;
  e.xbutton.y = y;
  e.xbutton.x_root = x + 1000;
  e.xbutton.y_root = y + 2000;
  e.xbutton.state = state;
  e.xbutton.time = time;
  return e;
}

std::vector<CWindowMessage> Feed(CX11InputTranslator& t, const XEvent& e) {
  std::vector<CWindowMessage> out;
  t.Translate(e, out);
  return out;
}

// X's state is the state before the event.
TEST(X11InputTranslatorTest, ButtonsAndKeyWords) {
  struct Row {
    unsigned x_button, x_state_before;
    MouseButton button;
    unsigned down_keys, up_keys;
  };
  const Row rows[] = {
      {Button1, 0, MouseButton::Left, kMkLButton, 0},
      {Button2, ShiftMask, MouseButton::Middle, kMkMButton | kMkShift, kMkShift},
      {Button3, ControlMask | Button1Mask, MouseButton::Right, kMkRButton | kMkControl | kMkLButton,
       kMkControl | kMkLButton},
      {8, 0, MouseButton::X1, kMkXButton1, 0},
      {9, Button3Mask, MouseButton::X2, kMkXButton2 | kMkRButton, kMkRButton},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.x_button);
    CX11InputTranslator t;
    auto down = Feed(t, ButtonEvent(ButtonPress, r.x_button, 3, 4, r.x_state_before));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].Kind, MessageKind::ButtonDown);
    EXPECT_EQ(down[0].Button, r.button);
    EXPECT_EQ(down[0].Keys, r.down_keys);
    // The release's state still has the button (X's mask bits are set for
    // buttons 1–3 only).
    unsigned before_release = r.x_state_before;
    if (r.x_button == Button1) before_release |= Button1Mask;
    if (r.x_button == Button2) before_release |= Button2Mask;
    if (r.x_button == Button3) before_release |= Button3Mask;
    auto up = Feed(t, ButtonEvent(ButtonRelease, r.x_button, 3, 4, before_release));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].Kind, MessageKind::ButtonUp);
    EXPECT_EQ(up[0].Keys, r.up_keys);
  }
}

TEST(X11InputTranslatorTest, ExtraButtonsAreTrackedAcrossOtherEvents) {
  CX11InputTranslator t;
  Feed(t, ButtonEvent(ButtonPress, 8, 0, 0, 0));
  Feed(t, ButtonEvent(ButtonPress, 9, 0, 0, 0, 1000));
  XEvent motion{};
  motion.xmotion.type = MotionNotify;
  motion.xmotion.state = ShiftMask;
  EXPECT_EQ(Feed(t, motion).at(0).Keys, kMkXButton1 | kMkXButton2 | kMkShift);
  Feed(t, ButtonEvent(ButtonRelease, 8, 0, 0, 0));
  EXPECT_EQ(Feed(t, motion).at(0).Keys, kMkXButton2 | kMkShift);
  t.Reset();  // a lost grab: their releases may never come
  EXPECT_EQ(Feed(t, motion).at(0).Keys, unsigned{kMkShift});
}

TEST(X11InputTranslatorTest, WheelNotchesAndIgnoredButtons) {
  CX11InputTranslator t;
  auto up = Feed(t, ButtonEvent(ButtonPress, 4, 5, 6, Button1Mask));
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].Kind, MessageKind::MouseWheel);
  EXPECT_EQ(up[0].WheelDelta, 120);
  EXPECT_EQ(up[0].X, 1005);  // screen position
  EXPECT_EQ(up[0].Y, 2006);
  EXPECT_EQ(up[0].Keys, unsigned{kMkLButton});
  EXPECT_EQ(Feed(t, ButtonEvent(ButtonPress, 5, 5, 6, 0)).at(0).WheelDelta, -120);
  for (unsigned b : {4u, 5u, 6u, 7u}) EXPECT_TRUE(Feed(t, ButtonEvent(ButtonRelease, b, 0, 0, 0)).empty());
  for (unsigned b : {6u, 7u}) EXPECT_TRUE(Feed(t, ButtonEvent(ButtonPress, b, 0, 0, 0)).empty());
}

TEST(X11InputTranslatorTest, DoubleClicksWithinTimeAndDistance) {
  struct Row {
    const char* what;
    unsigned long first_time, second_time;
    int dx, dy;
    unsigned second_button;
    bool is_double;
  };
  const Row rows[] = {
      {"same place at once", 100, 100, 0, 0, Button1, true},
      {"500 ms later", 100, 600, 0, 0, Button1, true},
      {"501 ms later", 100, 601, 0, 0, Button1, false},
      {"4 px away", 100, 200, 4, -4, Button1, true},
      {"5 px right", 100, 200, 5, 0, Button1, false},
      {"5 px up", 100, 200, 0, -5, Button1, false},
      {"another button", 100, 200, 0, 0, Button3, false},
      {"across the wrap of server time", 0xFFFFFF00ul, 0x40, 0, 0, Button1, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    CX11InputTranslator t;
    Feed(t, ButtonEvent(ButtonPress, Button1, 50, 50, 0, r.first_time));
    Feed(t, ButtonEvent(ButtonRelease, Button1, 50, 50, Button1Mask, r.first_time));
    auto second = Feed(t, ButtonEvent(ButtonPress, r.second_button, 50 + r.dx, 50 + r.dy, 0,
                                      r.second_time));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].Kind, r.is_double ? MessageKind::ButtonDoubleClick : MessageKind::ButtonDown);
  }
  // A third quick press starts again: down, double click, down.
  CX11InputTranslator t;
  std::vector<MessageKind> kinds;
  for (unsigned long time : {10ul, 20ul, 30ul}) {
    kinds.push_back(Feed(t, ButtonEvent(ButtonPress, Button1, 1, 1, 0, time)).at(0).Kind);
    Feed(t, ButtonEvent(ButtonRelease, Button1, 1, 1, Button1Mask, time));
  }
  EXPECT_EQ(kinds, (std::vector<MessageKind>{MessageKind::ButtonDown, MessageKind::ButtonDoubleClick,
                                             MessageKind::ButtonDown}));
}

}  // namespace
}  // namespace kelto::window
