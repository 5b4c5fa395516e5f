// The view's message window on a real X server (the harness's Xvfb), driven
// with input synthesised through XTest: what a person's hand turns into.
//
// The host window sits at (10, 20) on the screen and is 200 × 100; the GL
// child covers it, so client (x, y) is screen (x + 10, y + 20).
#include "platform/window/x11/X11Window.h"

// gtest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <functional>
#include <memory>

#include "platform/gl/GLWindowSurface.h"
#include "support/XvfbServer.h"

namespace kelto::window {
namespace {

using kelto::test::XvfbServer;

constexpr int kLeft = 10, kTop = 20;

// The window's own procedure: keeps every message, takes the capture on a
// press and gives it back when no button is left, as the view's display does.
class Recorder : public CMessageMap {
 public:
  explicit Recorder(IFWindow& w) : window_(w) {}
  bool ProcessWindowMessage(const CWindowMessage& m) override {
    messages.push_back(m);
    if (m.Kind == MessageKind::ButtonDown) window_.SetCapture();
    if (m.Kind == MessageKind::ButtonUp && (m.Keys & kMkButtons) == 0) window_.ReleaseCapture();
    if (on_message) on_message(m);
    return true;
  }
  // Only the messages of the given kinds.
  std::vector<CWindowMessage> Of(std::initializer_list<MessageKind> kinds) const {
    std::vector<CWindowMessage> out;
    for (const CWindowMessage& m : messages)
      for (MessageKind k : kinds)
        if (m.Kind == k) out.push_back(m);
    return out;
  }
  std::vector<CWindowMessage> Mouse() const {
    return Of({MessageKind::ButtonDown, MessageKind::ButtonUp, MessageKind::ButtonDoubleClick,
               MessageKind::MouseMove, MessageKind::MouseWheel, MessageKind::CaptureLost});
  }
  std::vector<CWindowMessage> messages;
  std::function<void(const CWindowMessage&)> on_message;

 private:
  IFWindow& window_;
};

class X11WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
    server_ = std::make_unique<XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    int event_base, error_base, major, minor;
    ASSERT_TRUE(XTestQueryExtension(host_, &event_base, &error_base, &major, &minor));
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), kLeft, kTop, 200, 100, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
    surface_ = std::make_unique<kelto::gl::CGLWindowSurface>(host_, parent_);
    ASSERT_TRUE(surface_->Initialised()) << surface_->Error();
    window_ = std::make_unique<CX11Window>(*surface_);
    recorder_ = std::make_unique<Recorder>(*window_);
    window_->SetWindowProcedure(recorder_.get());
    // Away from the window; the first pump paints the new window once.
    Fake([&] { XTestFakeMotionEvent(host_, 0, 500, 500, 0); });
    EXPECT_EQ(recorder_->Of({MessageKind::Paint}).size(), 1u);
    recorder_->messages.clear();
  }
  void TearDown() override {
    window_.reset();
    surface_.reset();
    if (host_) XCloseDisplay(host_);
  }

  // Synthesises input and waits until the server has sent every event it
  // caused to the window's connection, then dispatches them.
  void Fake(const std::function<void()>& input) {
    input();
    XSync(host_, False);
    XSync(window_->Connection(), False);  // the events come before this reply
    window_->DispatchPending();
  }
  void Motion(int client_x, int client_y) {
    XTestFakeMotionEvent(host_, 0, client_x + kLeft, client_y + kTop, 0);
  }
  void Button(unsigned b, bool press, unsigned long delay = 0) {
    XTestFakeButtonEvent(host_, b, press, delay);
  }
  void Key(KeySym sym, bool press) {
    XTestFakeKeyEvent(host_, XKeysymToKeycode(host_, sym), press, 0);
  }
  // Pumps as a host would (waiting on the descriptor) until `done`, for
  // what needs the server to answer the window first.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 50 && !done(); ++i) {
      pollfd p{window_->FileDescriptor(), POLLIN, 0};
      poll(&p, 1, 200);
      window_->DispatchPending();
    }
    return done();
  }

  std::unique_ptr<XvfbServer> server_;
  Display* host_ = nullptr;
  ::Window parent_ = 0;
  std::unique_ptr<kelto::gl::CGLWindowSurface> surface_;
  std::unique_ptr<CX11Window> window_;
  std::unique_ptr<Recorder> recorder_;
};

struct Expected {
  MessageKind kind;
  int x, y;
  unsigned keys;
};

void ExpectMessages(const std::vector<CWindowMessage>& got, const std::vector<Expected>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].Kind, want[i].kind);
    EXPECT_EQ(got[i].X, want[i].x);
    EXPECT_EQ(got[i].Y, want[i].y);
    EXPECT_EQ(got[i].Keys, want[i].keys);
  }
}

TEST_F(X11WindowTest, PressMoveReleaseGivesMessagesWithKeyWords) {
  Fake([&] { Motion(50, 50); });
  recorder_->messages.clear();
  Fake([&] {
    Key(XK_Shift_L, true);
    Button(1, true);
  });
  EXPECT_TRUE(window_->HasCapture());
  Fake([&] { Motion(70, 40); });
  // The implicit grab keeps the motion coming outside the window.
  Fake([&] { Motion(250, 150); });
  Fake([&] {
    Key(XK_Shift_L, false);
    Button(3, true);
  });
  Fake([&] {
    Button(1, false);
    Button(3, false);
  });
  EXPECT_FALSE(window_->HasCapture());
  ExpectMessages(recorder_->Mouse(), {
                                         {MessageKind::ButtonDown, 50, 50, kMkLButton | kMkShift},
                                         {MessageKind::MouseMove, 70, 40, kMkLButton | kMkShift},
                                         {MessageKind::MouseMove, 250, 150, kMkLButton | kMkShift},
                                         {MessageKind::ButtonDown, 250, 150, kMkLButton | kMkRButton},
                                         {MessageKind::ButtonUp, 250, 150, kMkRButton},
                                         {MessageKind::ButtonUp, 250, 150, 0},
                                     });
  EXPECT_EQ(recorder_->Mouse()[3].Button, MouseButton::Right);
}

TEST_F(X11WindowTest, ExtraButtonsCarryTheirOwnBits) {
  Fake([&] { Motion(5, 6); });
  recorder_->messages.clear();
  Fake([&] { Button(8, true); });
  Fake([&] { Button(2, true); });
  Fake([&] { Button(8, false); });
  Fake([&] { Button(9, true); });
  Fake([&] {
    Button(9, false);
    Button(2, false);
  });
  ExpectMessages(recorder_->Mouse(), {
                                         {MessageKind::ButtonDown, 5, 6, kMkXButton1},
                                         {MessageKind::ButtonDown, 5, 6, kMkXButton1 | kMkMButton},
                                         {MessageKind::ButtonUp, 5, 6, kMkMButton},
                                         {MessageKind::ButtonDown, 5, 6, kMkMButton | kMkXButton2},
                                         {MessageKind::ButtonUp, 5, 6, kMkMButton},
                                         {MessageKind::ButtonUp, 5, 6, 0},
                                     });
}

TEST_F(X11WindowTest, DoubleClicksWithinTheTimeAndDistanceLimits) {
  struct Row {
    const char* what;
    int dx;
    unsigned long delay;  // before the second press, in server milliseconds
    bool is_double;
  };
  const Row rows[] = {
      {"same place", 0, 0, true},
      {"4 px away", 4, 0, true},
      {"5 px away", 5, 0, false},
      {"600 ms later", 0, 600, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    // A right click elsewhere first, so no earlier press pairs with this one.
    Fake([&] {
      Motion(150, 80);
      Button(3, true);
      Button(3, false);
      Motion(40, 40);
      Button(1, true);
      Button(1, false);
      Motion(40 + r.dx, 40);
      Button(1, true, r.delay);
      Button(1, false);
    });
    auto clicks = recorder_->Of({MessageKind::ButtonDown, MessageKind::ButtonDoubleClick});
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[1].Kind, MessageKind::ButtonDown);
    EXPECT_EQ(clicks[2].Kind, r.is_double ? MessageKind::ButtonDoubleClick : MessageKind::ButtonDown);
    EXPECT_EQ(clicks[2].Keys, unsigned{kMkLButton});
    EXPECT_EQ(recorder_->Of({MessageKind::ButtonUp}).size(), 3u);  // the double click's too
    recorder_->messages.clear();
  }
}

TEST_F(X11WindowTest, TheWheelGivesNotchesAtTheScreenPosition) {
  Fake([&] { Motion(30, 60); });
  recorder_->messages.clear();
  Fake([&] {
    Button(4, true);
    Button(4, false);
    Button(5, true);
    Button(5, false);
    Button(6, true);
    Button(6, false);
  });
  auto wheel = recorder_->Mouse();
  ASSERT_EQ(wheel.size(), 2u);
  EXPECT_EQ(wheel[0].WheelDelta, 120);
  EXPECT_EQ(wheel[1].WheelDelta, -120);
  EXPECT_EQ(wheel[0].X, 30 + kLeft);
  EXPECT_EQ(wheel[0].Y, 60 + kTop);
  EXPECT_EQ(window_->ScreenToClient({wheel[0].X, wheel[0].Y}), (CWindowPoint{30, 60}));
}

TEST_F(X11WindowTest, QueuedMotionArrivesAsOneMove) {
  Fake([&] {
    Button(1, true);  // at (500, 500) on the screen: outside, no press for us
    for (int i = 1; i <= 5; ++i) Motion(10 * i, 5 * i);
  });
  ExpectMessages(recorder_->Mouse(), {{MessageKind::MouseMove, 50, 25, kMkLButton}});
  Fake([&] { Button(1, false); });
}

TEST_F(X11WindowTest, LosingTheGrabIsCaptureLost) {
  Fake([&] {
    Motion(20, 20);
    Button(1, true);
  });
  ASSERT_TRUE(window_->HasCapture());
  XUnmapWindow(host_, parent_);  // the window becomes unviewable: X ends the grab
  Fake([] {});
  PumpUntil([&] { return !recorder_->Of({MessageKind::CaptureLost}).empty(); });
  EXPECT_EQ(recorder_->Of({MessageKind::CaptureLost}).size(), 1u);
  EXPECT_FALSE(window_->HasCapture());
  Fake([&] { Button(1, false); });
}

TEST_F(X11WindowTest, PaintsAreCoalescedAndUpdateNowPaintsAtOnce) {
  // Invalidations while messages are dispatched: one paint, after them.
  recorder_->on_message = [&](const CWindowMessage& m) {
    if (m.Kind == MessageKind::MouseMove) window_->RedrawWindow(kRdwInvalidate | kRdwErase);
  };
  Fake([&] {
    Motion(1, 1);
    Button(1, true);
    Motion(2, 2);
    Button(1, false);
    Motion(3, 3);
  });
  std::vector<MessageKind> kinds;
  for (const CWindowMessage& m : recorder_->messages) kinds.push_back(m.Kind);
  EXPECT_EQ(kinds, (std::vector<MessageKind>{MessageKind::MouseMove, MessageKind::ButtonDown,
                                             MessageKind::MouseMove, MessageKind::ButtonUp,
                                             MessageKind::MouseMove, MessageKind::EraseBackground,
                                             MessageKind::Paint}));

  // kRdwUpdateNow paints before RedrawWindow returns.
  recorder_->messages.clear();
  recorder_->on_message = nullptr;
  window_->RedrawWindow(kRdwInvalidate | kRdwUpdateNow);
  ASSERT_EQ(recorder_->messages.size(), 1u);
  EXPECT_EQ(recorder_->messages[0].Kind, MessageKind::Paint);

  // An invalidation with nobody pumping wakes the descriptor; the paint
  // comes with the next pump.
  recorder_->messages.clear();
  window_->RedrawWindow(kRdwInvalidate);
  window_->RedrawWindow(kRdwInternalPaint);
  pollfd p{window_->FileDescriptor(), POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 5000), 1);
  window_->DispatchPending();
  ASSERT_EQ(recorder_->messages.size(), 1u);
  EXPECT_EQ(recorder_->messages[0].Kind, MessageKind::Paint);

  // Exposure by the server: one paint for the series.
  recorder_->messages.clear();
  XClearArea(host_, surface_->Window(), 0, 0, 10, 10, True);
  XClearArea(host_, surface_->Window(), 50, 50, 10, 10, True);
  Fake([] {});
  EXPECT_EQ(recorder_->Of({MessageKind::Paint}).size(), 1u);
}

TEST_F(X11WindowTest, TheChildFollowsTheHostWindowsSize) {
  EXPECT_EQ(window_->ClientSize(), (CClientSize{200, 100}));
  XResizeWindow(host_, parent_, 320, 150);
  XSync(host_, False);
  ASSERT_TRUE(PumpUntil([&] { return !recorder_->Of({MessageKind::Size}).empty(); }));
  auto sizes = recorder_->Of({MessageKind::Size});
  EXPECT_EQ(sizes.back().Width, 320);
  EXPECT_EQ(sizes.back().Height, 150);
  EXPECT_EQ(window_->ClientSize(), (CClientSize{320, 150}));
}

}  // namespace
}  // namespace kelto::window
