// The renderer in a real X window: a private Xvfb server, a host window, a
// CGLWindowSurface (GLX) on it and a CGLRenderer drawing a small model. The
// frame is read back from the X server (what a user would see after the
// buffer swap), and a pick runs in the window's context.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

#include "RendererFixture.h"
#include "platform/gl/GLWindowSurface.h"
#include "render/StandardViewDir.h"
#include "support/XvfbServer.h"

namespace kelto::test {
namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 90;

class RendererWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
    // Mesa's driver keeps a few allocations to the end (LeakSuppressions.cpp
    // names them by the driver's module). Closing the last GLX context
    // unloads the driver, and the leak checker could no longer tell whose
    // they are; an off-screen context kept for the whole process (reachable,
    // so no leak itself) keeps the driver loaded.
    static const auto* keepDriverLoaded = new kelto::gl::CGLDIBSurface(1, 1);
    (void)keepDriverLoaded;
    server_ = std::make_unique<XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
    surface_ = std::make_unique<kelto::gl::CGLWindowSurface>(host_, parent_);
    ASSERT_TRUE(surface_->Initialised()) << surface_->Error();
  }
  void TearDown() override {
    renderer_.reset();  // before its surface
    surface_.reset();
    if (host_) XCloseDisplay(host_);
  }

  CGLRenderer& Start() {
    renderer_ = std::make_unique<CGLRenderer>(tree_.Root(), surface_.get());
    renderer_->Resize(kWidth, kHeight);
    const CViewDirection d = *GetStandardViewDir(svdLookDown);
    renderer_->SetViewDir(d.View, d.Up);
    renderer_->FitView(tree_.Root()->GetBoundBox());
    return *renderer_;
  }

  // The window's pixel under GL window coordinates (origin bottom-left), as
  // the X server holds it.
  Rgb WindowPixel(int x, int y) {
    XSync(surface_->Connection(), False);
    XImage* image =
        XGetImage(host_, surface_->Window(), x, kHeight - 1 - y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
  }
  Rgb WindowPixelAt(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    return WindowPixel(static_cast<int>(w.x), static_cast<int>(w.y));
  }
  CPoint2 ScreenPoint(const CPoint3& point) {
    const CPoint3 w = renderer_->GetCameraMatrices().Project(point);
    return {w.x, w.y};
  }

  std::unique_ptr<XvfbServer> server_;
  Display* host_ = nullptr;
  Window parent_ = 0;
  std::unique_ptr<kelto::gl::CGLWindowSurface> surface_;
  TestTree tree_;
  std::unique_ptr<CGLRenderer> renderer_;
};

TEST_F(RendererWindow, DrawsTheModelOverTheBackgroundAndPicksIt) {
  // A green pipe along x and, in a group of its own, a blue one along y
  // beside it (the group has a list of its own; the pipes sit in lists).
  CModelNode* green = tree_.Add(Cylinder({-4, 0, 0}, {4, 0, 0}, 2, 0x00FF00));
  CModelNode* group = tree_.Add({});
  CModelNode* blue = tree_.Add(Cylinder({6, -3, 0}, {6, 3, 0}, 2, 0xFF0000), group);
  CGLRenderer& r = Start();
  r.GetOptions().Set("BackgroundColour", _variant_t(0x203040));  // renders a frame
  r.GetOptions().Set("AxesSize", _variant_t(0));
  r.Render();

  const Rgb background{0x40, 0x30, 0x20};
  EXPECT_EQ(WindowPixel(1, 1), background);
  EXPECT_EQ(WindowPixel(kWidth - 2, kHeight - 2), background);
  EXPECT_EQ(WindowPixelAt({0, 3, 0}), background) << "beside the pipes";
  for (const CPoint3 on : {CPoint3(0, 0, 0), CPoint3(-3, 0.5, 0), CPoint3(3, -0.5, 0)}) {
    const Rgb c = WindowPixelAt(on);
    EXPECT_GT(c.g, 100) << on.x;
    EXPECT_EQ(c.r, 0) << on.x;
    EXPECT_EQ(c.b, 0) << on.x;
  }
  const Rgb b = WindowPixelAt({6, 1, 0});
  EXPECT_GT(b.b, 100);
  EXPECT_EQ(b.g, 0);

  // Picks in the window's own context find the leaf under the point.
  CHitList hits;
  r.Pick(ScreenPoint({0, 0, 0}), hits);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].Node, green);
  r.Pick(ScreenPoint({6, -1, 0}), hits);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].Node, blue);
  r.Pick({1, 1}, hits);
  EXPECT_TRUE(hits.empty());

  // Selecting the picked pipe shows it red in the window; the other stays.
  r.Select(green);
  r.Render();
  const Rgb red = WindowPixelAt({0, 0, 0});
  EXPECT_GT(red.r, 100);
  EXPECT_EQ(red.g, 0);
  EXPECT_GT(WindowPixelAt({6, 1, 0}).b, 100);
}

}  // namespace
}  // namespace kelto::test
