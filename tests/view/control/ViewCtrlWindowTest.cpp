// A real control in a real X window, made by the ready-made container in a
// window of a private Xvfb: what a host that owns the window may do to it.
// (The mouse in such a window is the Tk example's test and the viewer's.)
#include <dlfcn.h>

#include "ViewCtrlFixture.h"
#include "kelto3d/AxHost.h"
#include "support/XvfbServer.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers
// above.
#include <X11/Xlib.h>

namespace kelto::test {
namespace {

TEST(ViewCtrlWindowTest, DestroyingTheParentTakesTheViewDownAndReleasingIsSafe) {
  // Mesa's GLX unloads its software driver with the last connection, and the
  // leak checker then cannot name the driver's own lost blocks (the
  // suppressions name the driver); holding it mapped keeps them named.
  dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_LOCAL);
  if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
  XvfbServer xvfb;
  Display* host = XOpenDisplay(xvfb.DisplayName().c_str());
  ASSERT_NE(host, nullptr);
  const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 240, 200, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  IUnknown* made = nullptr;
  ASSERT_EQ(KeltoAxCreateControl("Oxbay3Support.Pipeline3DViewCtrl", xvfb.DisplayName().c_str(),
                                 parent, &made),
            S_OK);
  const auto unknown = ComPtr<IUnknown>::Adopt(made);
  ComPtr<kelto3d::IPipeline3DViewCtrl> control;
  ASSERT_EQ(
      made->QueryInterface(kelto::com::IidOf<kelto3d::IPipeline3DViewCtrl>(), control.PutVoid()),
      S_OK);
  ComPtr<IOleInPlaceObject> inPlace;
  made->QueryInterface(kelto::com::IidOf<IOleInPlaceObject>(), inPlace.PutVoid());
  HWND window = 0;
  ASSERT_EQ(inPlace->GetWindow(&window), S_OK);

  XDestroyWindow(host, parent);
  XSync(host, False);
  // Before the control has read that its window is gone, a request naming
  // the window must fail quietly rather than end the process.
  ComPtr<IOleObject> object;
  made->QueryInterface(kelto::com::IidOf<IOleObject>(), object.PutVoid());
  EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, 0, nullptr), S_OK);
  ASSERT_EQ(KeltoAxDispatchPending(made), S_OK);
  EXPECT_EQ(inPlace->GetWindow(&window), E_FAIL);
  // The camera still answers, on the stored view.
  EXPECT_EQ(control->SetStandardViewDir(kelto3d::svdLookUp), S_OK);
  EXPECT_EQ(KeltoAxDestroyControl(made), S_OK);
  XCloseDisplay(host);
}

TEST(ViewCtrlWindowTest, ADisplayThatCannotBeOpenedFailsWithItsName) {
  IUnknown* made = nullptr;
  EXPECT_TRUE(
      FAILED(KeltoAxCreateControl("Oxbay3Support.Pipeline3DViewCtrl", ":7789", 1234, &made)));
  EXPECT_EQ(made, nullptr);
  EXPECT_NE(ErrorText().find(":7789"), std::string::npos) << ErrorText();
}

}  // namespace
}  // namespace kelto::test
