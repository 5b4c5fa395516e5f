// Hiding parts of the model through the control's visibility interface, as
// a host reaches it (QueryInterface on the control made by ProgID), in a
// windowless view: pictures through Draw, picks through message records.

#include "Automation.h"
#include "ViewExport.h"
#include "ViewerFixture.h"

namespace viewer::test {
namespace {

using kelto3d::IPipeline3DViewVisibility;

constexpr int kW = 320, kH = 240;

class ViewVisibility : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadModulesOrFail();
    if (HasFatalFailure()) return;
    control_ = viewer::Create("Oxbay3Support.Pipeline3DViewCtrl");
    ASSERT_TRUE(control_);
    view_ = control_.As<kelto3d::IPipeline3DViewCtrl>();
    visibility_ = control_.As<IPipeline3DViewVisibility>();
    ASSERT_TRUE(visibility_) << "the visibility interface is found by QueryInterface";
    windowless_ = control_.As<kelto3d::IPipeline3DViewWindowless>();
    ASSERT_GE(windowless_->ActivateWindowless(kW, kH), 0);
    file_ = viewer::Create("Kelto.File");
    ASSERT_TRUE(viewer::Call(file_.Get(), "Load", {Example("pump-station.json")}).Ok());
    ASSERT_TRUE(viewer::Call(control_.Get(), "AddKeltoFile", {file_.Get(), 0}).Ok());
    const ComPtr<IUnknown> pipelines = viewer::GetObject(file_.Get(), "Pipelines");
    for (int i = 0; i < 2; ++i) pipeline_[i] = viewer::GetObject(pipelines.Get(), "Item", {i});
  }

  QImage Picture() {
    const UINT hdc = KeltoCreateImageDC(kW, kH);
    windowless_->Draw(static_cast<LONG>(hdc), 0, 0, kW, kH);
    std::vector<BYTE> pixels(kW * kH * 4);
    KeltoGetDCPixels(hdc, pixels.data(), static_cast<UINT>(pixels.size()));
    KeltoDeleteDC(hdc);
    return QImage(pixels.data(), kW, kH, kW * 4, QImage::Format_ARGB32)
        .convertToFormat(QImage::Format_RGB32);
  }
  // A left double click at p; how many objects are selected after it.
  int DoubleClickSelects(QPoint p) {
    using namespace kelto3d;
    for (const auto& [kind, keys] : {std::pair{wmkButtonDown, +mkLButton},
                                     {wmkButtonUp, 0},
                                     {wmkButtonDoubleClick, +mkLButton},
                                     {wmkButtonUp, 0}}) {
      const WindowMessageRecord m{
          .Kind = kind, .Button = wmbLeft, .X = p.x(), .Y = p.y(), .Keys = ULONG(keys)};
      windowless_->OnWindowMessage(&m);
    }
    return viewer::Get(viewer::GetObject(control_.Get(), "SelectedItems").Get(), "Count").toInt();
  }
  // The component under p, picked and then unselected again.
  ComPtr<IUnknown> Pick(QPoint p) {
    EXPECT_EQ(DoubleClickSelects(p), 1);
    ComPtr<IUnknown> picked =
        viewer::GetObject(viewer::GetObject(control_.Get(), "SelectedItems").Get(), "Item", {1});
    view_->UnselectAll();
    return picked;
  }
  bool Visible(IUnknown* o) {
    VARIANT_BOOL v = VARIANT_TRUE;
    visibility_->GetVisible(o, &v);
    return v != VARIANT_FALSE;
  }
  LONG Hidden() {
    LONG n = -1;
    visibility_->GetHiddenCount(&n);
    return n;
  }

  ComPtr<IUnknown> control_, file_, pipeline_[2];
  ComPtr<kelto3d::IPipeline3DViewCtrl> view_;
  ComPtr<IPipeline3DViewVisibility> visibility_;
  ComPtr<kelto3d::IPipeline3DViewWindowless> windowless_;
};

// A hidden pipeline (a node with lists of its own) and a hidden component
// (a leaf, drawn in its pipeline's list) leave their pixels and picks and
// come back unchanged.
TEST_F(ViewVisibility, HiddenNodesLeaveTheirPixelsAndPicksAndComeBackUnchanged) {
  const QImage all = Picture();
  const QPoint p = PlantPoint(all);
  ASSERT_GE(p.x(), 0);
  const ComPtr<IUnknown> picked = Pick(p);
  const ComPtr<IUnknown> pipeline = viewer::GetObject(picked.Get(), "Pipeline");
  EXPECT_EQ(visibility_->SetVisible(pipeline.Get(), VARIANT_FALSE), S_OK);
  EXPECT_EQ(Hidden(), 1);
  EXPECT_FALSE(Visible(pipeline.Get()));
  EXPECT_FALSE(Visible(picked.Get())) << "below a hidden node";
  EXPECT_TRUE(Visible(file_.Get()));
  const int without = PlantPixels(Picture());
  EXPECT_TRUE(without > 0 && without < PlantPixels(all)) << without;
  EXPECT_EQ(DoubleClickSelects(p), 0) << "a hidden pipeline is not picked";
  EXPECT_EQ(visibility_->ShowAll(), S_OK);
  EXPECT_EQ(Hidden(), 0);
  EXPECT_EQ(Picture(), all);

  ASSERT_EQ(visibility_->SetVisible(picked.Get(), VARIANT_FALSE), S_OK);
  EXPECT_LT(PlantPixels(Picture()), PlantPixels(all));
  // Its neighbours in the pipeline may lie within the pick box; it is not.
  if (DoubleClickSelects(p) == 1) {
    EXPECT_NE(viewer::GetText(Pick(p).Get(), "Id"), viewer::GetText(picked.Get(), "Id"));
  }
  ASSERT_EQ(visibility_->SetVisible(picked.Get(), VARIANT_TRUE), S_OK);
  EXPECT_EQ(Picture(), all);
}

// Isolating keeps the selection and what leads to it; a fit then takes only
// what is shown, so the pipeline left is drawn larger than among both.
TEST_F(ViewVisibility, IsolateKeepsTheSelectionAndFitsTakeOnlyWhatIsShown) {
  EXPECT_EQ(visibility_->IsolateSelection(), S_OK);
  EXPECT_EQ(Hidden(), 0) << "nothing selected: nothing hidden";
  view_->Select(pipeline_[0].As<IDispatch>().Get());
  ASSERT_EQ(visibility_->IsolateSelection(), S_OK);
  EXPECT_EQ(Hidden(), 1);
  EXPECT_TRUE(Visible(pipeline_[0].Get()) && Visible(file_.Get()));
  EXPECT_FALSE(Visible(pipeline_[1].Get()));
  view_->UnselectAll();
  const QImage before = Picture();
  ASSERT_GE(view_->FitView(), 0);
  EXPECT_GT(PlantPixels(Picture()), PlantPixels(before) * 11 / 10);
}

// As the viewer's "Component types" rows hide many at once; what is not in
// the view is passed over.
TEST_F(ViewVisibility, ManyHideAndShowInOneCall) {
  const ComPtr<IUnknown> stranger = viewer::Create("Kelto.File");
  IUnknown* many[] = {pipeline_[0].Get(), stranger.Get(), pipeline_[1].Get()};
  const QImage all = Picture();
  ASSERT_EQ(visibility_->SetVisibleMany(3, many, VARIANT_FALSE), S_OK);
  EXPECT_EQ(Hidden(), 2);
  EXPECT_TRUE(Visible(file_.Get()));
  EXPECT_EQ(PlantPixels(Picture()), 0);
  ASSERT_EQ(visibility_->SetVisibleMany(3, many, VARIANT_TRUE), S_OK);
  EXPECT_EQ(Hidden(), 0);
  EXPECT_EQ(Picture(), all);
}

TEST_F(ViewVisibility, ObjectsOutsideTheViewAndBadArguments) {
  const ComPtr<IUnknown> stranger = viewer::Create("Kelto.File");
  VARIANT_BOOL v = VARIANT_TRUE;
  EXPECT_EQ(visibility_->SetVisible(stranger.Get(), VARIANT_FALSE), S_FALSE);
  EXPECT_EQ(visibility_->SetVisible(nullptr, VARIANT_FALSE), S_FALSE);
  EXPECT_EQ(visibility_->GetVisible(stranger.Get(), &v), S_FALSE);
  EXPECT_EQ(visibility_->SetVisibleMany(-1, nullptr, VARIANT_FALSE), E_INVALIDARG);
  EXPECT_EQ(visibility_->SetVisibleMany(2, nullptr, VARIANT_FALSE), E_INVALIDARG);
  EXPECT_EQ(visibility_->SetVisibleMany(0, nullptr, VARIANT_FALSE), S_OK);
  EXPECT_EQ(Hidden(), 0);
  // A removed file takes its marks along.
  visibility_->SetVisible(pipeline_[0].Get(), VARIANT_FALSE);
  ASSERT_TRUE(viewer::Call(control_.Get(), "RemoveKeltoFile", {file_.Get()}).Ok());
  EXPECT_EQ(Hidden(), 0);
}

}  // namespace
}  // namespace viewer::test
