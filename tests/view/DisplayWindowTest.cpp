// The whole way from a person's hand to the picture, on a real X server (the
// harness's Xvfb): XTest input on the view's GL child window, the X11 message
// window and its pump, the display's bindings, the renderer, the frame read
// back from the window.
// gtest before Xlib: Xlib defines None as a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "DisplayFakes.h"
#include "platform/gl/GLWindowSurface.h"
#include "platform/window/x11/X11Window.h"
#include "render/RendererFixture.h"
#include "support/XvfbServer.h"
#include "view/Display.h"

namespace kelto::test {
namespace {

constexpr int kWidth = 240, kHeight = 160;

class DisplayWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
    server_ = std::make_unique<XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
    surface_ = std::make_unique<kelto::gl::CGLWindowSurface>(host_, parent_);
    ASSERT_TRUE(surface_->Initialised()) << surface_->Error();
    tree_.Add(Cylinder({0, 0, 0}, {10, 0, 0}, 1.5, 0x00FF00));
    tree_.Add(Cylinder({10, 0, 0}, {10, 6, 0}, 1.5, 0xFF8000));
    tree_.Add(Cylinder({10, 6, 0}, {10, 6, 5}, 1.5, 0x0080FF));
    renderer_ = std::make_unique<CGLRenderer>(tree_.Root(), surface_.get());
    renderer_->Resize(kWidth, kHeight);
    renderer_->FitView(tree_.Root()->GetBoundBox());
    window_ = std::make_unique<kelto::window::CX11Window>(*surface_);
    display_.Attach(*window_, *renderer_);
    log_ = std::make_unique<SignalLog>(display_);
    Fake([&] { XTestFakeMotionEvent(host_, 0, 400, 400, 0); });  // first paint
  }
  void TearDown() override {
    display_.Detach();
    window_.reset();
    renderer_.reset();
    surface_.reset();
    if (host_) XCloseDisplay(host_);
  }

  void Fake(const std::function<void()>& input) {
    input();
    XSync(host_, False);
    XSync(window_->Connection(), False);
    window_->DispatchPending();
  }
  void Drag(unsigned button, int x0, int y0, int x1, int y1) {
    Fake([&] {
      XTestFakeMotionEvent(host_, 0, x0, y0, 0);
      XTestFakeButtonEvent(host_, button, True, 0);
    });
    for (int i = 1; i <= 4; ++i)
      Fake([&] { XTestFakeMotionEvent(host_, 0, x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4, 0); });
    Fake([&] { XTestFakeButtonEvent(host_, button, False, 0); });
  }

  // The window's pixels as the server shows them (not the GL back buffer).
  std::vector<unsigned long> Frame(const std::string& name) {
    XImage* image = XGetImage(host_, surface_->Window(), 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    if (!image) return pixels;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    if (const char* dir = std::getenv("KELTO_RENDER_IMAGES"); dir && *dir) {
      std::filesystem::create_directories(dir);
      std::ofstream ppm(std::filesystem::path(dir) / (name + ".ppm"), std::ios::binary);
      ppm << "P6\n" << kWidth << " " << kHeight << "\n255\n";
      for (unsigned long p : pixels) ppm << char(p >> 16) << char(p >> 8) << char(p);
    }
    return pixels;
  }
  static int Lit(const std::vector<unsigned long>& frame) {
    int n = 0;
    for (unsigned long p : frame) n += p != 0;
    return n;
  }

  std::unique_ptr<XvfbServer> server_;
  Display* host_ = nullptr;
  ::Window parent_ = 0;
  std::unique_ptr<kelto::gl::CGLWindowSurface> surface_;
  TestTree tree_;
  std::unique_ptr<CGLRenderer> renderer_;
  std::unique_ptr<kelto::window::CX11Window> window_;
  C3DDisplay display_;
  std::unique_ptr<SignalLog> log_;
};

TEST_F(DisplayWindowTest, DraggingAndTheWheelMoveThePictureInTheWindow) {
  const auto start = Frame("window-start");
  ASSERT_GT(Lit(start), 200) << "the first pump paints the model";

  const CViewState fitted = renderer_->GetView();
  Drag(1, 120, 80, 190, 110);  // left: rotate
  EXPECT_NE(renderer_->GetView().Rotation, fitted.Rotation);
  EXPECT_EQ(renderer_->GetView().Distance, fitted.Distance);
  const auto rotated = Frame("window-rotated");
  EXPECT_NE(rotated, start);
  EXPECT_GT(log_->ViewChanges, 0);

  const int lit_before = Lit(rotated);
  Fake([&] {
    XTestFakeMotionEvent(host_, 0, 120, 80, 0);
    for (int i = 0; i < 3; ++i) {
      XTestFakeButtonEvent(host_, 4, True, 0);
      XTestFakeButtonEvent(host_, 4, False, 0);
    }
  });
  EXPECT_LT(renderer_->GetView().Distance, fitted.Distance);
  EXPECT_GT(Lit(Frame("window-zoomed")), lit_before) << "closer, so larger";
}

}  // namespace
}  // namespace kelto::test
