// Device contexts over files, images and windows, and the C functions hosts
// reach them through.
#include "platform/dc/DeviceContext.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fstream>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/dc/DCApi.h"
#include "platform/dc/DCHandleTable.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptHost.h"
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

std::string LastError() { return kelto::test::TakePending().text; }

TEST(DCApi, ImageHandleReachesTheModulesTableAndPixelsReadBackTopDown) {
  const UINT hdc = KeltoCreateImageDC(3, 2);
  ASSERT_NE(hdc, 0u) << LastError();
  // A module given the handle draws through the shared table.
  cairo_t* cr = kelto::dc::CDCHandleTable::Instance().Find(hdc);
  ASSERT_NE(cr, nullptr);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 0, 0, 3, 1);  // top row red
  cairo_fill(cr);

  double w = 0, h = 0;
  ASSERT_EQ(KeltoGetDCSize(hdc, &w, &h), S_OK);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  std::vector<BYTE> px(3 * 2 * 4, 0x55);
  ASSERT_EQ(KeltoGetDCPixels(hdc, px.data(), UINT(px.size())), S_OK);
  const std::vector<BYTE> red{0, 0, 255, 255}, black{0, 0, 0, 255};
  EXPECT_EQ(std::vector<BYTE>(px.begin(), px.begin() + 4), red);
  EXPECT_EQ(std::vector<BYTE>(px.begin() + 12, px.begin() + 16), black);

  EXPECT_EQ(KeltoGetDCPixels(hdc, px.data(), UINT(px.size() - 1)), E_INVALIDARG);
  EXPECT_NE(LastError().find("needed"), std::string::npos);

  EXPECT_EQ(KeltoDeleteDC(hdc), S_OK);
  EXPECT_EQ(kelto::dc::CDCHandleTable::Instance().Find(hdc), nullptr);
  EXPECT_EQ(KeltoDeleteDC(hdc), E_HANDLE) << "freed twice";
}

TEST(DCApi, CreationFailuresReturnZeroAndSayWhy) {
  kelto::test::TempDir dir;
  const std::string file = (dir.path() / "x.pdf").string();
  const std::string missing = (dir.path() / "no" / "such" / "x.pdf").string();
  struct Case {
    const char* what;
    UINT (*make)(const std::string&);
    std::string message;  // part of the description
  } cases[] = {
      {"zero image", [](const std::string&) { return KeltoCreateImageDC(0, 5); }, "out of range"},
      {"unknown kind", [](const std::string& p) { return KeltoCreateFileDC(p.c_str(), 9, 10, 10); },
       "unknown kind 9"},
      {"no name", [](const std::string&) { return KeltoCreateFileDC("", KELTO_DC_PDF, 10, 10); },
       "no file name"},
      {"page of no size",
       [](const std::string& p) { return KeltoCreateFileDC(p.c_str(), KELTO_DC_SVG, 10, 0); },
       "positive"},
      {"no display", [](const std::string&) { return KeltoCreateWindowDC(nullptr, 5); },
       "no window"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.make(file), 0u);
    EXPECT_NE(LastError().find(c.message), std::string::npos);
  }
  EXPECT_EQ(KeltoCreateFileDC(missing.c_str(), KELTO_DC_PDF, 10, 10), 0u);
  EXPECT_NE(LastError().find(missing), std::string::npos) << "the message names the file";
}

TEST(DCApi, FinishWritesFilesAndPagesHaveNoPixels) {
  kelto::test::TempDir dir;
  const std::string good = (dir.path() / "a.png").string();
  const UINT ok = KeltoCreateFileDC(good.c_str(), KELTO_DC_PNG, 4, 4);
  ASSERT_NE(ok, 0u);
  EXPECT_EQ(KeltoFinishDC(ok), S_OK);
  EXPECT_TRUE(std::ifstream(good).good());
  EXPECT_EQ(KeltoDeleteDC(ok), S_OK);

  BYTE px[4];

  const std::string pdf = (dir.path() / "c.pdf").string();
  const UINT page = KeltoCreateFileDC(pdf.c_str(), KELTO_DC_PDF, 100, 50);
  EXPECT_EQ(KeltoGetDCPixels(page, px, 4), E_INVALIDARG) << "a page has no pixels";
  EXPECT_EQ(KeltoDeleteDC(page), S_OK);
}

// A table's handles are new on every add, fit a signed int (hosts keep them
// as one), and hold their own reference to the context.
TEST(DCHandleTable, HandlesAreNewOnEveryAddAndKeepTheirContextAlive) {
  kelto::dc::CDCHandleTable table;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);
  const std::uint32_t h = table.Add(cr);
  const std::uint32_t h2 = table.Add(cr);
  EXPECT_NE(h, h2);
  EXPECT_LE(h, 0x7FFFFFFFu);
  EXPECT_EQ(table.Add(nullptr), 0u);
  EXPECT_TRUE(table.Remove(h2));
  EXPECT_NE(table.Add(cr), h2) << "a freed handle is not handed out again at once";
  cairo_destroy(cr);  // the caller lets go first
  ASSERT_EQ(table.Find(h), cr);
  cairo_paint(table.Find(h));  // still a usable context
  EXPECT_EQ(cairo_status(table.Find(h)), CAIRO_STATUS_SUCCESS);
  EXPECT_TRUE(table.Remove(h));
}

}  // namespace
}  // namespace kelto::dc
