// DrawToDC's off-screen pictures: the cache's life, the option copy, and
// equality with a renderer drawing the same tree directly; then DrawToDC
// through the view control with no window and no display, as a script on a
// server uses it. (The stretch into the target rectangle is the Python
// package's render test.)
#include "view/export/BitmapOutputCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/dc/DCApi.h"
#include "platform/dc/DeviceContext.h"
#include "render/RendererFixture.h"
#include "support/TempDir.h"
#include "view/Pipeline3DViewCtrl.h"

namespace kelto::test {
namespace {

using kelto::dc::CDeviceContext;

// Top-down BGRX rows of a picture, whatever drew it.
using Picture = std::vector<std::uint32_t>;

Picture PictureOf(const CDeviceContext& dc) {
  cairo_surface_flush(dc.Surface());
  const int w = cairo_image_surface_get_width(dc.Surface());
  const int h = cairo_image_surface_get_height(dc.Surface());
  const int stride = cairo_image_surface_get_stride(dc.Surface());
  const auto* data = cairo_image_surface_get_data(dc.Surface());
  Picture p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF);
  return p;
}

// The view on the screen stands in as an off-screen renderer too: DrawToDC
// only reads it.
class DrawToDC : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 2, 0x00FF00));
    tree_.Add(Bend({5, 0, 0}, {5, 3, 0}, {8, 3, 0}, 2, 0xFF8000));
    view_ = std::make_unique<CGLRenderer>(tree_.Root(), &screen_);
    view_->Resize(160, 120);
    view_->FitView(tree_.Root()->GetBoundBox());
    view_->Rotate({1, 0, 0}, 20);
    view_->SaveView();
    view_->Zoom(1.3);
  }

  // Draws the way DrawToDC does into a new image of the bitmap's size.
  Picture Export(const CDrawToDCRequest& r) {
    CDeviceContext dc = CDeviceContext::CreateImage(r.BitmapXRes, r.BitmapYRes);
    CDrawToDCRequest full = r;
    full.Width = r.BitmapXRes;
    full.Height = r.BitmapYRes;
    DrawViewToDC(cache_, tree_.Root(), *view_, dc.Cairo(), full);
    return PictureOf(dc);
  }

  // What a renderer of its own makes of the tree with the view's camera, the
  // given background and axes size (bottom-up rows turned top-down).
  Picture Direct(int w, int h, std::int32_t background, int axesSize, bool font = true) {
    kelto::gl::CGLDIBSurface surface(w, h, nullptr, font);
    CGLRenderer direct(tree_.Root(), &surface);
    direct.Resize(w, h);
    direct.GetOptions().Set("BackgroundColour", _variant_t(int(background)));
    direct.GetOptions().Set("AxesSize", _variant_t(axesSize));
    direct.CopyViewFrom(*view_);
    direct.Render();
    const auto* bits = reinterpret_cast<const std::uint32_t*>(surface.Bits());
    Picture p;
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) p.push_back(bits[y * w + x] & 0xFFFFFF);
    return p;
  }

  kelto::gl::CGLDIBSurface screen_{160, 120};
  TestTree tree_;
  std::unique_ptr<CGLRenderer> view_;
  cptr::counted_ptr<CBitmapOutputCache> cache_;
};

// Each picture is, pixel for pixel, what a renderer of its own draws with the
// view's camera, the background and the scaled axes size.
TEST_F(DrawToDC, MatchesADirectRendererWithTheAxesSizeScaledByTheOption) {
  struct Case {
    double scale;
    int size;   // the axes size the picture must have been drawn with
    bool font;  // false: the picture has no labels either
  } cases[] = {
      {2.0, 100, true}, {0.2, 10, false},  // 10 pixels and below: no labels
      {0.25, 12, true},                    // 12.5 rounds to even
      {0.0, 0, true},                      // no indicator
      {1e12, 50, true},                    // does not fit: the copied size stays
  };
  int model = 0;
  for (std::uint32_t px : Direct(120, 120, 0x101010, 50)) model += (px >> 8 & 0xFF) > 100;
  EXPECT_GT(model, 300) << "the picture shows the pipe (green)";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    EXPECT_EQ(
        Export({.BGCol = 0x101010, .AxesScale = c.scale, .BitmapXRes = 120, .BitmapYRes = 120}),
        Direct(120, 120, 0x101010, c.size, c.font));
  }
  EXPECT_FALSE(cache_) << "released without Cache";
}

TEST_F(DrawToDC, CachedCallsReuseOneCacheAtEachResolutionAndLeaveTheViewAlone) {
  const CViewState view = view_->GetView(), saved = view_->GetSavedView();
  view_->GetOptions().SetModified(false);

  Export({.AxesScale = 1, .BitmapXRes = 64, .BitmapYRes = 48, .Cache = true});
  ASSERT_TRUE(cache_);
  CBitmapOutputCache* first = cache_.get();
  EXPECT_EQ(tree_.Root()->GetAssociatedItems().size(), 2u) << "a second set of lists";
  const Picture larger =
      Export({.AxesScale = 1, .BitmapXRes = 120, .BitmapYRes = 90, .Cache = true});
  EXPECT_EQ(cache_.get(), first);
  EXPECT_EQ(std::pair(cache_->Width(), cache_->Height()), std::pair(120, 90));
  EXPECT_EQ(larger, Direct(120, 90, 0, 50));
  EXPECT_EQ(cache_->GetRenderer().GetSavedView(), saved);

  Export({.AxesScale = 1, .BitmapXRes = 30, .BitmapYRes = 30, .Cache = false});
  EXPECT_FALSE(cache_);
  EXPECT_EQ(tree_.Root()->GetAssociatedItems().size(), 1u) << "the cache's lists are gone";
  EXPECT_EQ(view_->GetView(), view);
  EXPECT_EQ(view_->GetSavedView(), saved);
  EXPECT_FALSE(view_->GetOptions().IsModified()) << "the view's options were only read";
}

TEST_F(DrawToDC, RefusesBadRequestsWithoutMakingACache) {
  CDeviceContext dc = CDeviceContext::CreateImage(10, 10);
  for (const auto& [cr, xRes, yRes] :
       {std::tuple{dc.Cairo(), 0, 10}, {dc.Cairo(), 10, -4},
        {dc.Cairo(), CBitmapOutputCache::kMaxResolution + 1, 10}, {nullptr, 5, 5}}) {
    EXPECT_THROW(
        DrawViewToDC(cache_, tree_.Root(), *view_, cr, {0, 0, 10, 10, 0, 1, xRes, yRes, true}),
        std::invalid_argument);
    EXPECT_FALSE(cache_);
  }
}

class ControlDrawToDC : public ::testing::Test {
 protected:
  void SetUp() override {
    AddModel(Cylinder({-5, 0, 0}, {5, 0, 0}, 2, 0x00FF00));
    AddModel(Cylinder({5, 0, 0}, {5, 6, 2}, 1, 0xFF00FF));
    ASSERT_EQ(control_->SetStandardViewDir(kelto3d::svdNorthTopRight), S_OK);
    ASSERT_EQ(control_->FitView(), S_OK);
  }
  void AddModel(const CGeometrySet& geometry) {
    objects_.push_back(kelto::com::MakeObject<FakeObject>(int(objects_.size())));
    CModelNode::NodePtr node(new CModelNode(objects_.back()->GetUnknown()));
    node->GetGeometry() = geometry;
    node->GeometryChanged(false);
    control_->GetRoot().AddChild(node);
  }

  std::vector<kelto::com::ComPtr<FakeObject>> objects_;
  kelto::com::ComPtr<CPipeline3DViewCtrl> control_ = kelto::com::MakeObject<CPipeline3DViewCtrl>();
};

// A bad handle or resolution fails the call; a host whose drawing fails
// gives the file up: the picture that was there stays, and nothing else is
// left in the folder.
TEST_F(ControlDrawToDC, AFailedDrawingLeavesTheFileAsItWas) {
  EXPECT_EQ(control_->DrawToDC(987654, 0, 0, 10, 10, 0, 1, 10, 10, VARIANT_TRUE), E_INVALIDARG);
  TempDir dir;
  for (const int kind : {KELTO_DC_PNG, KELTO_DC_PDF, KELTO_DC_SVG}) {
    const auto path = dir.path() / ("view" + std::to_string(kind));
    std::ofstream(path) << "the good picture";
    const UINT hdc = KeltoCreateFileDC(path.c_str(), kind, 100, 80);
    ASSERT_NE(hdc, 0u);
    EXPECT_EQ(control_->DrawToDC(LONG(hdc), 0, 0, 100, 80, 0, 1.0, 100, 0, VARIANT_FALSE),
              E_INVALIDARG);
    EXPECT_EQ(KeltoAbandonDC(hdc), S_OK);
    EXPECT_EQ(KeltoAbandonDC(hdc), E_HANDLE);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the good picture") << kind;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

// Without a window the camera still knows the model: the view limits hold
// as they will once the view is drawn.
TEST_F(ControlDrawToDC, AWindowlessControlsCameraKeepsTheViewLimits) {
  CGLRenderer& view = control_->GetRenderer();
  view.Zoom(1e-9);
  const double radius = control_->GetRoot().GetBoundBox().GetRadius();
  EXPECT_NEAR(view.GetView().Distance, 40 * radius, 1e-9 * radius);
}

}  // namespace
}  // namespace kelto::test
