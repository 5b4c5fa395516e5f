// DrawToDC and the settings through the view control, with no window and no
// display: what a script on a server does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dc/DCApi.h"
#include "render/RendererFixture.h"
#include "support/TempDir.h"
#include "view/Pipeline3DViewCtrl.h"

namespace kelto::test {
namespace {

constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001u);

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
  std::vector<BYTE> Pixels(UINT hdc, int w, int h) {
    std::vector<BYTE> px(std::size_t(w) * h * 4);
    EXPECT_EQ(KeltoGetDCPixels(hdc, px.data(), UINT(px.size())), S_OK);
    return px;
  }

  std::vector<kelto::com::ComPtr<FakeObject>> objects_;
  kelto::com::ComPtr<CPipeline3DViewCtrl> control_ =
      kelto::com::MakeObject<CPipeline3DViewCtrl>();
};

TEST_F(ControlDrawToDC, AWindowlessControlsExportMatchesADirectRendering) {
  ASSERT_FALSE(control_->IsActive());
  const CViewState view = control_->GetRenderer().GetView();
  const UINT hdc = KeltoCreateImageDC(120, 90);
  ASSERT_EQ(control_->DrawToDC(LONG(hdc), 0, 0, 120, 90, 0x203040, 1.0, 120, 90, VARIANT_FALSE),
            S_OK);
  const std::vector<BYTE> exported = Pixels(hdc, 120, 90);
  KeltoDeleteDC(hdc);
  EXPECT_EQ(control_->GetRenderer().GetView(), view) << "the stored view is only read";

  kelto::gl::CGLDIBSurface surface(120, 90);
  CGLRenderer direct(&control_->GetRoot(), &surface);
  direct.Resize(120, 90);
  direct.GetOptions().Set("BackgroundColour", _variant_t(0x203040));
  direct.CopyViewFrom(control_->GetRenderer());
  direct.Render();
  const std::uint8_t* bits = surface.Bits();
  int differing = 0, model = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) {
      const std::uint8_t* d = bits + ((89 - y) * 120 + x) * 4;  // bottom-up rows
      const BYTE* e = exported.data() + (y * 120 + x) * 4;
      differing += d[0] != e[0] || d[1] != e[1] || d[2] != e[2];
      model += e[1] > 100 && e[0] < 100;  // green
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(model, 50) << "the pipe is in the picture";
}

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

TEST_F(ControlDrawToDC, SettingsGoThroughTheStoreFromOneControlToAnother) {
  ScopedConfigHome home;
  control_->GetRenderer().GetOptions().Set("Edges", _variant_t(24));
  control_->GetRenderer().GetOptions().Set("NormalLineWidth", _variant_t(2.5f));
  _bstr_t key("Software\\Corvane\\Kelto3D");
  EXPECT_EQ(control_->SaveSettingsToRegistry(kCurrentUser, key), S_OK);
  auto other = kelto::com::MakeObject<CPipeline3DViewCtrl>();
  EXPECT_EQ(other->LoadSettingsFromRegistry(kCurrentUser, key), S_OK);
  EXPECT_EQ(other->GetRenderer().GetOptions().Get("Edges").lVal, 24);
  EXPECT_EQ(other->GetRenderer().GetOptions().Get("NormalLineWidth").fltVal, 2.5f);
}

}  // namespace
}  // namespace kelto::test
