// The view's message window on a real X server (the harness's Xvfb), with
// input synthesised through XTest. The host window is 200 × 100 at (10, 20)
// on the screen and the GL child covers it: client (x, y) is screen
// (x + 10, y + 20).
// gtest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include "platform/gl/GLWindowSurface.h"
#include "platform/window/x11/X11Window.h"
#include "support/XvfbServer.h"

namespace kelto::window {
namespace {

using kelto::test::XvfbServer;
using K = MessageKind;

// Keeps the messages; captures on a press and releases when no button is
// left, as the view's display does.
struct Recorder : CMessageMap {
  explicit Recorder(IFWindow& w) : window(w) {}
  bool ProcessWindowMessage(const CWindowMessage& m) override {
    got.push_back(m);
    if (m.Kind == K::ButtonDown) window.SetCapture();
    if (m.Kind == K::ButtonUp && !(m.Keys & kMkButtons)) window.ReleaseCapture();
    if (then) then(m);
    return true;
  }
  std::vector<CWindowMessage> Of(std::initializer_list<K> kinds) const {
    std::vector<CWindowMessage> out;
    for (const CWindowMessage& m : got)
      if (std::find(kinds.begin(), kinds.end(), m.Kind) != kinds.end()) out.push_back(m);
    return out;
  }
  std::vector<CWindowMessage> Mouse() const {
    return Of({K::ButtonDown, K::ButtonUp, K::MouseMove, K::MouseWheel});
  }
  IFWindow& window;
  std::vector<CWindowMessage> got;
  std::function<void(const CWindowMessage&)> then;
};

// (kind, x, y, keys) of each message, to compare as text.
std::string Text(const std::vector<CWindowMessage>& ms) {
  std::string s;
  for (const CWindowMessage& m : ms)
    s += std::to_string(int(m.Kind)) + ":" + std::to_string(m.X) + "," + std::to_string(m.Y) + "/" +
         std::to_string(m.Keys) + " ";
  return s;
}

class X11WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
    server_ = std::make_unique<XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 10, 20, 200, 100, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
    surface_ = std::make_unique<kelto::gl::CGLWindowSurface>(host_, parent_);
    ASSERT_TRUE(surface_->Initialised()) << surface_->Error();
    window_ = std::make_unique<CX11Window>(*surface_);
    rec_ = std::make_unique<Recorder>(*window_);
    window_->SetWindowProcedure(rec_.get());
    Fake([&] { XTestFakeMotionEvent(host_, 0, 500, 500, 0); });
    EXPECT_EQ(rec_->Of({K::Paint}).size(), 1u) << "a new window paints at its first pump";
    rec_->got.clear();
  }
  void TearDown() override {
    window_.reset();
    surface_.reset();
    if (host_) XCloseDisplay(host_);
  }
  // Synthesises input, waits until its events are on the window's
  // connection (they come before the reply to its XSync), dispatches them.
  void Fake(const std::function<void()>& input) {
    input();
    XSync(host_, False);
    XSync(window_->Connection(), False);
    window_->DispatchPending();
  }
  void Move(int x, int y) { XTestFakeMotionEvent(host_, 0, x + 10, y + 20, 0); }
  void Button(unsigned b, bool press, unsigned long delay = 0) {
    XTestFakeButtonEvent(host_, b, press, delay);
  }
  // Pumps as a host does, waiting on the descriptor, for what needs the
  // server to answer the window first.
  bool PumpUntil(K kind) {
    for (int i = 0; i < 50 && rec_->Of({kind}).empty(); ++i) {
      pollfd p{window_->FileDescriptor(), POLLIN, 0};
      poll(&p, 1, 200);
      window_->DispatchPending();
    }
    return !rec_->Of({kind}).empty();
  }

  std::unique_ptr<XvfbServer> server_;
  Display* host_ = nullptr;
  ::Window parent_ = 0;
  std::unique_ptr<kelto::gl::CGLWindowSurface> surface_;
  std::unique_ptr<CX11Window> window_;
  std::unique_ptr<Recorder> rec_;
};

// One window for the input: double clicks, the wheel and queued motion, then
// presses with their key words, and last the broken grab (it unmaps the host).
TEST_F(X11WindowTest, InputBecomesMessages) {
  for (auto [dx, delay, is_double] :
       {std::tuple{4, 0ul, true}, {5, 0ul, false}, {0, 600ul, false}}) {
    Fake([&] {
      Move(150, 80), Button(3, true), Button(3, false);  // so no earlier press pairs
      Move(40, 40), Button(1, true), Button(1, false);
      Move(40 + dx, 40), Button(1, true, delay), Button(1, false);
    });
    const auto presses = rec_->Of({K::ButtonDown, K::ButtonDoubleClick});
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[2].Kind, is_double ? K::ButtonDoubleClick : K::ButtonDown)
        << dx << " " << delay;
    EXPECT_EQ(rec_->Of({K::ButtonUp}).size(), 3u);  // the double click's release too
    rec_->got.clear();
  }
  Fake([&] {
    Move(30, 60);
    for (unsigned b : {4u, 5u, 6u, 7u}) Button(b, true), Button(b, false);  // 6/7: ignored
  });
  Fake([&] {
    Button(1, true);
    for (int i = 1; i <= 5; ++i) Move(10 * i, 5 * i);  // five queued: one message
  });
  Fake([&] { Button(1, false); });
  EXPECT_EQ(Text(rec_->Mouse()), "3:30,60/0 4:40,80/0 4:40,80/0 0:30,60/1 3:50,25/1 1:50,25/0 ");
  const auto wheel = rec_->Of({K::MouseWheel});
  EXPECT_EQ(wheel[0].WheelDelta, 120);
  EXPECT_EQ(wheel[1].WheelDelta, -120);
  EXPECT_EQ(window_->ScreenToClient({wheel[0].X, wheel[0].Y}), (CWindowPoint{30, 60}));
  // Notches queued in one direction arrive as one message of their sum.
  rec_->got.clear();
  Fake([&] {
    for (unsigned b : {4u, 4u, 4u, 5u, 4u}) Button(b, true), Button(b, false);
  });
  std::vector<int> deltas;
  for (const CWindowMessage& m : rec_->Of({K::MouseWheel})) deltas.push_back(m.WheelDelta);
  EXPECT_EQ(deltas, (std::vector<int>{360, -120, 120}));
  rec_->got.clear();
  // X reports the state before the event and has no mask for buttons 8/9.
  const unsigned shift = XKeysymToKeycode(host_, XK_Shift_L);
  Fake([&] {
    Move(50, 50);
    XTestFakeKeyEvent(host_, shift, True, 0);
    Button(1, true);
    Move(70, 40);
    Move(250, 150);  // outside: the implicit grab keeps it coming
  });
  EXPECT_TRUE(window_->HasCapture());
  Fake([&] { XTestFakeKeyEvent(host_, shift, False, 0), Button(3, true); });
  Fake([&] { Button(1, false), Button(3, false); });
  EXPECT_FALSE(window_->HasCapture());
  Fake([&] { Move(5, 6), Button(8, true), Button(2, true), Button(8, false), Button(9, true); });
  Fake([&] { Button(9, false), Button(2, false); });
  EXPECT_EQ(Text(rec_->Mouse()),
            "3:50,50/0 0:50,50/5 3:70,40/5 3:250,150/5 0:250,150/3 1:250,150/2 1:250,150/0 "
            "3:5,6/0 0:5,6/32 0:5,6/48 1:5,6/16 0:5,6/80 1:5,6/16 1:5,6/0 ");

  // The window stops being viewable during a press: X ends the grab and
  // reports only a normal leave.
  Fake([&] { Button(1, true); });
  XUnmapWindow(host_, parent_);
  XSync(host_, False);
  EXPECT_TRUE(PumpUntil(K::CaptureLost));
  EXPECT_FALSE(window_->HasCapture());
}

TEST_F(X11WindowTest, TimersPaintsAndSizes) {
  ASSERT_TRUE(window_->SetTimer(7, 20));
  ASSERT_TRUE(PumpUntil(K::Timer));
  EXPECT_EQ(rec_->Of({K::Timer}).front().TimerId, 7u);
  window_->KillTimer(7);
  rec_->got.clear();
  window_->DispatchPending();
  pollfd p{window_->FileDescriptor(), POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 100), 0);
  EXPECT_TRUE(rec_->Of({K::Timer}).empty());

  // Invalidations while messages are dispatched: one erase and paint after them.
  rec_->then = [&](const CWindowMessage& m) {
    if (m.Kind == K::MouseMove) window_->RedrawWindow(kRdwInvalidate | kRdwErase);
  };
  Fake([&] { Move(1, 1), Button(1, true), Move(2, 2), Button(1, false), Move(3, 3); });
  EXPECT_EQ(Text(rec_->got), "3:1,1/0 0:1,1/1 3:2,2/1 1:2,2/0 3:3,3/0 8:0,0/0 6:0,0/0 ");
  rec_->then = nullptr;
  rec_->got.clear();
  window_->RedrawWindow(kRdwInvalidate | kRdwUpdateNow);  // paints before returning
  EXPECT_EQ(rec_->Of({K::Paint}).size(), 1u);
  // With nobody pumping, an invalidation makes the descriptor readable.
  window_->RedrawWindow(kRdwInvalidate);
  window_->RedrawWindow(kRdwInternalPaint);
  EXPECT_EQ(poll(&p, 1, 5000), 1);
  // Two exposures by the server: one paint with the invalidations.
  XClearArea(host_, surface_->Window(), 0, 0, 10, 10, True);
  XClearArea(host_, surface_->Window(), 50, 50, 10, 10, True);
  Fake([] {});
  EXPECT_EQ(rec_->Of({K::Paint}).size(), 2u);

  XResizeWindow(host_, parent_, 320, 150);
  XSync(host_, False);
  ASSERT_TRUE(PumpUntil(K::Size));
  EXPECT_EQ(rec_->Of({K::Size}).back().Width, 320);
  EXPECT_EQ(window_->ClientSize(), (CClientSize{320, 150}));
}

}  // namespace
}  // namespace kelto::window
