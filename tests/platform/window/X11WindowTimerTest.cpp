// What the message window adds for fluid navigation, on the harness's Xvfb:
// wheel notches queued in one direction arrive as one message, and timers
// wake the host's descriptor and arrive as Timer messages until killed.
// gtest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <memory>
#include <vector>

#include "platform/gl/GLWindowSurface.h"
#include "platform/window/x11/X11Window.h"
#include "support/XvfbServer.h"

namespace kelto::window {
namespace {

struct Log : CMessageMap {
  bool ProcessWindowMessage(const CWindowMessage& m) override {
    if (m.Kind == MessageKind::MouseWheel) deltas.push_back(m.WheelDelta);
    if (m.Kind == MessageKind::Timer) timers.push_back(m.TimerId);
    return true;
  }
  std::vector<int> deltas;
  std::vector<unsigned> timers;
};

class X11WindowTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kelto::test::XvfbServer::BinaryPath().empty()) GTEST_SKIP();
    server_ = std::make_unique<kelto::test::XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
    surface_ = std::make_unique<kelto::gl::CGLWindowSurface>(host_, parent_);
    ASSERT_TRUE(surface_->Initialised()) << surface_->Error();
    window_ = std::make_unique<CX11Window>(*surface_);
    window_->SetWindowProcedure(&log_);
    XTestFakeMotionEvent(host_, 0, 50, 50, 0);
    Sync();
  }
  void TearDown() override {
    window_.reset();
    surface_.reset();
    if (host_) XCloseDisplay(host_);
  }
  void Sync() {
    XSync(host_, False);
    XSync(window_->Connection(), False);
    window_->DispatchPending();
  }
  bool Readable(int ms) {
    pollfd p{window_->FileDescriptor(), POLLIN, 0};
    return poll(&p, 1, ms) == 1;
  }

  std::unique_ptr<kelto::test::XvfbServer> server_;
  Display* host_ = nullptr;
  ::Window parent_ = 0;
  std::unique_ptr<kelto::gl::CGLWindowSurface> surface_;
  std::unique_ptr<CX11Window> window_;
  Log log_;
};

TEST_F(X11WindowTimer, QueuedNotchesInOneDirectionAddUp) {
  for (unsigned button : {4u, 4u, 4u, 5u, 4u})
    XTestFakeButtonEvent(host_, button, True, 0), XTestFakeButtonEvent(host_, button, False, 0);
  Sync();
  EXPECT_EQ(log_.deltas, (std::vector<int>{360, -120, 120}));
}

TEST_F(X11WindowTimer, ATimerWakesTheHostUntilKilled) {
  ASSERT_TRUE(window_->SetTimer(7, 20));
  ASSERT_TRUE(Readable(5000));
  window_->DispatchPending();
  ASSERT_FALSE(log_.timers.empty());
  EXPECT_EQ(log_.timers.front(), 7u);
  window_->KillTimer(7);
  log_.timers.clear();
  window_->DispatchPending();
  EXPECT_FALSE(Readable(100));
  EXPECT_TRUE(log_.timers.empty());
}

}  // namespace
}  // namespace kelto::window
