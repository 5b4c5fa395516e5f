// A real control in a real X window: the ready-made container puts it in a
// window of a private Xvfb, XTest moves the pointer and presses buttons as a
// person would, and the picture is read back from the server.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <memory>

#include "ViewCtrlFixture.h"
#include "kelto3d/AxHost.h"
#include "support/XvfbServer.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers
// above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace kelto::test {
namespace {

using Events = std::vector<std::string>;
constexpr int kWidth = 240;
constexpr int kHeight = 200;

class ViewCtrlWindowTest : public ViewCtrlTest {
 protected:
  static void SetUpTestSuite() {
    // Mesa's GLX unloads its software driver with the last connection, and
    // the leak checker then cannot name the driver's own lost blocks (the
    // suppressions name the driver); holding it mapped keeps them named.
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_LOCAL);
    if (XvfbServer::BinaryPath().empty()) return;
    xvfb = new XvfbServer();
    // The server resets when its last client leaves and refuses connections
    // meanwhile; one connection held for the whole suite keeps it up.
    keeper = XOpenDisplay(xvfb->DisplayName().c_str());
  }
  static void TearDownTestSuite() {
    if (keeper) XCloseDisplay(keeper);
    keeper = nullptr;
    delete xvfb;
    xvfb = nullptr;
  }

  void SetUp() override {
    if (!xvfb) GTEST_SKIP() << XvfbServer::kMissing;
    host = XOpenDisplay(xvfb->DisplayName().c_str());
    ASSERT_NE(host, nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(host, &event, &error, &major, &minor));
    parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(host, parent);
    XSync(host, False);

    IUnknown* made = nullptr;
    ASSERT_EQ(KeltoAxCreateControl("Oxbay3Support.Pipeline3DViewCtrl",
                                   xvfb->DisplayName().c_str(), parent, &made),
              S_OK);
    unknown = ComPtr<IUnknown>::Adopt(made);
    ASSERT_EQ(made->QueryInterface(kelto::com::IidOf<kelto3d::IPipeline3DViewCtrl>(),
                                   control.PutVoid()),
              S_OK);
    ASSERT_EQ(KeltoAxGetConnectionNumber(made, &fd), S_OK);
    ComPtr<IOleInPlaceObject> inPlace;
    made->QueryInterface(kelto::com::IidOf<IOleInPlaceObject>(), inPlace.PutVoid());
    ASSERT_EQ(inPlace->GetWindow(&child), S_OK);
    AddThreePipes();
    control->SetStandardViewDir(kelto3d::svdLookDown);
    control->FitView();
    Pump();
    Connect();
    FindPipes();
  }

  void TearDown() override {
    if (unknown) KeltoAxDestroyControl(unknown.Get());
    control = nullptr;
    unknown = nullptr;
    if (host) {
      XDestroyWindow(host, parent);
      XCloseDisplay(host);
    }
  }

  // Lets the control handle everything the server has for it, until its
  // connection stays quiet.
  void Pump() {
    XSync(host, False);
    for (int quiet = 0; quiet < 3;) {
      pollfd p{fd, POLLIN, 0};
      quiet = poll(&p, 1, 50) > 0 ? 0 : quiet + 1;
      ASSERT_EQ(KeltoAxDispatchPending(unknown.Get()), S_OK);
    }
  }

  unsigned long Pixel(int x, int y) {
    XImage* image = XGetImage(host, child, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
  }
  bool Red(int x, int y) {
    const unsigned long p = Pixel(x, y);
    return ((p >> 16) & 0xff) > 150 && ((p >> 8) & 0xff) < 90 && (p & 0xff) < 90;
  }
  bool Drawn(int x, int y) { return (Pixel(x, y) & 0xffffff) != 0; }
  // The rows of the pipes down column x, north first.
  std::vector<int> Rows(int x) {
    std::vector<int> found;
    for (int y = 0; y < kHeight; ++y) {
      if (!Drawn(x, y)) continue;
      int end = y;
      while (end + 1 < kHeight && Drawn(x, end + 1)) ++end;
      found.push_back((y + end) / 2);
      y = end;
    }
    return found;
  }
  void FindPipes() {
    rows = Rows(kWidth / 2);
    ASSERT_EQ(rows.size(), 3u) << "the three pipes should cross the middle column";
  }

  void MoveTo(int x, int y) { XTestFakeMotionEvent(host, DefaultScreen(host), x, y, 0); }
  void Button(unsigned button, bool down) { XTestFakeButtonEvent(host, button, down, 0); }
  void Click(unsigned button) {
    Button(button, true);
    Button(button, false);
  }

  static XvfbServer* xvfb;
  static Display* keeper;
  Display* host = nullptr;
  Window parent = 0;
  HWND child = 0;
  int fd = -1;
  ComPtr<IUnknown> unknown;
  std::vector<int> rows;
};

XvfbServer* ViewCtrlWindowTest::xvfb = nullptr;
Display* ViewCtrlWindowTest::keeper = nullptr;

TEST_F(ViewCtrlWindowTest, ADoubleClickOnAPipeSelectsItAndTheHostHearsOfIt) {
  EXPECT_FALSE(Red(kWidth / 2, rows[1]));
  MoveTo(kWidth / 2, rows[1]);
  Click(1);
  Click(1);
  Pump();
  EXPECT_EQ(TakeEvents(), Events{"SelectionChanged(-,middle)"});
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{"middle"});
  EXPECT_TRUE(Red(kWidth / 2, rows[1]));
  EXPECT_FALSE(Red(kWidth / 2, rows[0]));
}

TEST_F(ViewCtrlWindowTest, ALeftDragRotatesTheView) {
  MoveTo(60, 40);
  Button(1, true);
  for (int step = 1; step <= 4; ++step) MoveTo(60 + 20 * step, 40 + 10 * step);
  Button(1, false);
  Pump();
  const Events seen = TakeEvents();
  ASSERT_FALSE(seen.empty());
  for (const std::string& e : seen) EXPECT_EQ(e, "ViewChanged");
  EXPECT_NE(Rows(kWidth / 2), rows);
}

TEST_F(ViewCtrlWindowTest, TheWheelZoomsAboutThePointer) {
  // Over the north pipe, well left of the middle: it stays under the
  // pointer while the others move away from it.
  const int x = kWidth / 2 - 40;
  const int y = rows[0];
  MoveTo(x, y);
  Click(4);
  Pump();
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  EXPECT_TRUE(Drawn(x, y));
  const std::vector<int> after = Rows(x);
  ASSERT_GE(after.size(), 2u);
  EXPECT_GT(after[1] - after[0], rows[1] - rows[0]);
}

TEST_F(ViewCtrlWindowTest, DestroyingTheParentTakesTheViewDownAndReleasingIsSafe) {
  XDestroyWindow(host, parent);
  XSync(host, False);
  ASSERT_EQ(KeltoAxDispatchPending(unknown.Get()), S_OK);
  HWND window = 0;
  ComPtr<IOleInPlaceObject> inPlace;
  unknown->QueryInterface(kelto::com::IidOf<IOleInPlaceObject>(), inPlace.PutVoid());
  EXPECT_EQ(inPlace->GetWindow(&window), E_FAIL);
  // The camera still answers, on the stored view.
  EXPECT_EQ(control->SetStandardViewDir(kelto3d::svdLookUp), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 10, 10, 0, 0, 0);
}

TEST(ViewCtrlContainerTest, ADisplayThatCannotBeOpenedFailsWithItsName) {
  IUnknown* made = nullptr;
  EXPECT_TRUE(FAILED(KeltoAxCreateControl("Oxbay3Support.Pipeline3DViewCtrl",
                                          ":7789", 1234, &made)));
  EXPECT_EQ(made, nullptr);
  EXPECT_NE(ErrorText().find(":7789"), std::string::npos) << ErrorText();
  EXPECT_TRUE(FAILED(KeltoAxCreateControl("No.Such.Class", nullptr, 1234, &made)));
}

}  // namespace
}  // namespace kelto::test
