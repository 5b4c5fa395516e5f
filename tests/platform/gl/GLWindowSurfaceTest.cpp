#include "platform/gl/GLWindowSurface.h"

#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/gl/BitmapFont.h"
#include "platform/gl/GLDIBSurface.h"
#include "support/XvfbServer.h"

namespace kelto::gl {
namespace {

using kelto::test::XvfbServer;

// Every test gets a private X server and a mapped 64x48 host window on it.
class GLWindowSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
    server_ = std::make_unique<XvfbServer>();
    host_ = XOpenDisplay(server_->DisplayName().c_str());
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, 64, 48, 0, 0, 0);
    XMapWindow(host_, parent_);
    XSync(host_, False);
  }
  void TearDown() override {
    if (host_) XCloseDisplay(host_);
  }

  // The child's pixel at (x, y) from the top, read by the host's connection.
  unsigned long HostPixel(unsigned long window, int x, int y) {
    XImage* image = XGetImage(host_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  std::unique_ptr<XvfbServer> server_;
  Display* host_ = nullptr;
  Window parent_ = 0;
};

TEST_F(GLWindowSurfaceTest, DrawsIntoAChildWindowThroughItsOwnConnectionAndFollowsItsSize) {
  CGLWindowSurface s(host_, parent_);
  ASSERT_TRUE(s.Initialised()) << s.Error();
  EXPECT_NE(s.Connection(), host_);
  EXPECT_TRUE(s.HasFont());

  // The format: double-buffered, with a 24-bit depth buffer, matching the
  // 24-bit screen.
  ASSERT_TRUE(s.MakeCurrent());
  GLboolean doubled = GL_FALSE;
  GLint depth = 0;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_TRUE(doubled);
  EXPECT_EQ(depth, 24);
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  s.SwapBuffers();
  EXPECT_EQ(HostPixel(s.Window(), 63, 47), 0x336699ul);

  // The child follows the parent's size.
  XResizeWindow(host_, parent_, 100, 30);
  XSync(host_, False);
  s.UpdateSize();
  EXPECT_EQ(s.Width(), 100);
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(host_, s.Window(), &attrs));
  EXPECT_EQ(attrs.height, 30);
}

TEST_F(GLWindowSurfaceTest, BadParentsAndTheHostDestroyingItsWindowAreNotFatal) {
  CGLWindowSurface bad(host_, 0x7FFFFF);  // no such window
  EXPECT_FALSE(bad.Initialised());
  EXPECT_FALSE(bad.Error().empty());
  EXPECT_FALSE(bad.MakeCurrent());

  auto s = std::make_unique<CGLWindowSurface>(host_, parent_);
  ASSERT_TRUE(s->MakeCurrent());
  XDestroyWindow(host_, parent_);
  XSync(host_, False);
  // Swapping into the dead window is caught, not fatal; afterwards the
  // surface knows and refuses to become current.
  s->SwapBuffers();
  EXPECT_FALSE(s->MakeCurrent());
  EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST_F(GLWindowSurfaceTest, SwitchesBetweenWindowAndOffscreenContexts) {
  auto window = std::make_unique<CGLWindowSurface>(host_, parent_);
  ASSERT_TRUE(window->Initialised()) << window->Error();
  auto bitmap = std::make_unique<CGLDIBSurface>(4, 4);
  ASSERT_TRUE(bitmap->Initialised()) << bitmap->Error();

  ASSERT_TRUE(window->MakeCurrent());
  ASSERT_TRUE(bitmap->MakeCurrent());
  EXPECT_EQ(glXGetCurrentContext(), nullptr);
  EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);

  // Reading the bitmap back while the window is current puts the window
  // back; destroying the bitmap then leaves the window current.
  ASSERT_TRUE(window->MakeCurrent());
  bitmap->Bits();
  EXPECT_NE(glXGetCurrentContext(), nullptr);
  bitmap.reset();
  EXPECT_EQ(glXGetCurrentDrawable(), window->Window());

  // Destroying the window surface restores an off-screen context.
  CGLDIBSurface other(4, 4);
  ASSERT_TRUE(other.MakeCurrent());
  window.reset();
  EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
  EXPECT_TRUE(other.MakeCurrent());
}

}  // namespace
}  // namespace kelto::gl
