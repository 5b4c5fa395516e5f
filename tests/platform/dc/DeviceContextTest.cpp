#include "platform/dc/DeviceContext.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fstream>

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "support/XvfbServer.h"

namespace kelto::dc {
namespace {

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void PaintRed(CDeviceContext& dc) {
  cairo_set_source_rgb(dc.Cairo(), 1, 0, 0);
  cairo_rectangle(dc.Cairo(), 0, 0, 4, 4);
  cairo_fill(dc.Cairo());
}

TEST(DeviceContext, TheDestructorFinishesAFileTooAndMovesKeepOneOwner) {
  kelto::test::TempDir dir;
  const auto path = dir.path() / "late.png";
  {
    CDeviceContext a = CDeviceContext::CreatePng(path.string(), 3, 3);
    CDeviceContext b = std::move(a);
    EXPECT_EQ(a.Cairo(), nullptr);
    PaintRed(b);
  }
  EXPECT_EQ(ReadFile(path).substr(1, 3), "PNG");
}

TEST(DeviceContext, FailuresAreReported) {
  // An unwritable target is known when the context is made, with the reason.
  const std::string nowhere = "/nonexistent-kelto-dir/x";
  for (const std::string ext : {".png", ".pdf", ".svg"}) {
    try {
      ext == ".png"   ? CDeviceContext::CreatePng(nowhere + ext, 2, 2)
      : ext == ".pdf" ? CDeviceContext::CreatePdf(nowhere + ext, 2, 2)
                      : CDeviceContext::CreateSvg(nowhere + ext, 2, 2);
      ADD_FAILURE() << ext << " made";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()),
                "cannot write " + nowhere + ext + ": No such file or directory");
    }
  }

  EXPECT_THROW(CDeviceContext::CreatePng("x.png", 10, -1), std::invalid_argument);
  EXPECT_THROW(CDeviceContext::CreateForWindow(nullptr, 1), std::invalid_argument);
}

// A write that fails half-way (the disk fills up) leaves the previous good
// file as it was and nothing else behind, and says why.
TEST(DeviceContext, AFailedWriteKeepsThePreviousFile) {
  kelto::test::TempDir dir;
  struct Case {
    const char* name;
    CDeviceContext (*make)(const std::string&);
  };
  const Case cases[] = {
      {"big.png", [](const std::string& p) { return CDeviceContext::CreatePng(p, 400, 400); }},
      {"big.pdf", [](const std::string& p) { return CDeviceContext::CreatePdf(p, 400, 400); }},
      {"big.svg", [](const std::string& p) { return CDeviceContext::CreateSvg(p, 400, 400); }},
  };
  for (const Case& c : cases) {
    const auto path = dir.path() / c.name;
    std::ofstream(path) << "the good picture";
    {
      CDeviceContext dc = c.make(path.string());
      // Noise does not compress: the file needs far more than the limit.
      cairo_surface_t* noise = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 400);
      unsigned char* pixels = cairo_image_surface_get_data(noise);
      std::uint32_t random = 1;
      for (int i = 0; i < 400 * 400 * 4; ++i) {
        random = random * 1664525u + 1013904223u;
        pixels[i] = static_cast<unsigned char>(random >> 24);
      }
      cairo_surface_mark_dirty(noise);
      cairo_set_source_surface(dc.Cairo(), noise, 0, 0);
      cairo_paint(dc.Cairo());
      cairo_surface_destroy(noise);
      kelto::test::FileSizeLimit full(4096);
      EXPECT_FALSE(dc.Finish()) << c.name;
      EXPECT_EQ(dc.Error(), "cannot write " + path.string() + ": File too large") << c.name;
    }
    EXPECT_EQ(ReadFile(path), "the good picture") << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.name;
    std::filesystem::remove(path);
  }
}

TEST(DeviceContext, DrawsIntoAnX11Window) {
  using kelto::test::XvfbServer;
  if (XvfbServer::BinaryPath().empty()) GTEST_SKIP() << XvfbServer::kMissing;
  XvfbServer server;
  Display* d = XOpenDisplay(server.DisplayName().c_str());
  ASSERT_NE(d, nullptr);
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 20, 10, 0, 0, 0);
  XMapWindow(d, w);
  XSync(d, False);
  {
    CDeviceContext dc = CDeviceContext::CreateForWindow(d, w);
    EXPECT_EQ(dc.Width(), 20);
    PaintRed(dc);
    EXPECT_TRUE(dc.Finish());
  }
  XImage* image = XGetImage(d, w, 1, 1, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0xFF0000ul);
  XDestroyImage(image);

  // A window that does not exist is an exception, not the end of the process.
  EXPECT_THROW(CDeviceContext::CreateForWindow(d, 0x7FFFFF), std::runtime_error);
  XCloseDisplay(d);
}

}  // namespace
}  // namespace kelto::dc
