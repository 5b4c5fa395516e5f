// The renderer's camera operations over a real model and context.
#include "GeometryAsserts.h"
#include "RendererFixture.h"
#include "render/StandardViewDir.h"

namespace kelto::test {
namespace {

class RendererCamera : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    // A pipe along x, radius 1, with a thin rod standing on it.
    tree_.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 2));
    tree_.Add(Cylinder({3, 0, 0}, {3, 0, 4}, 0.5));
    Start();
    View(svdLookDown);
    Fit();
  }
  void View(int v) {
    const CViewDirection d = *GetStandardViewDir(v);
    renderer_->SetViewDir(d.View, d.Up);
  }
  CPoint3 Window(const CPoint3& p) { return renderer_->GetCameraMatrices().Project(p); }
  CPoint3 Eye() {
    const CViewState& v = renderer_->GetView();
    return v.Centre + CVector3(v.Rotation[2], v.Rotation[6], v.Rotation[10]) * v.Distance;
  }
  double Radius() { return tree_.Root()->GetBoundBox().GetRadius(); }
};

TEST_F(RendererCamera, FitViewPutsTheEyeAFixedNumberOfRadiiAway) {
  const CBoundBox& box = tree_.Root()->GetBoundBox();
  const CViewState& v = renderer_->GetView();
  EXPECT_EQ(v.Distance, box.GetRadius() * 7.66242388090723);
  EXPECT_EQ(v.Centre, box.GetCentre());
  EXPECT_FALSE(renderer_->FitView(box)) << "fitting again changes nothing";
}

TEST_F(RendererCamera, ZoomAtKeepsTheModelPointUnderTheCursor) {
  // The cursor is over a point on the pipe, then on the rod.
  for (const auto& c : {std::pair{CPoint3(-3, 0.5, 0.8), 2.0}, std::pair{CPoint3(3, 0, 4), 0.5}}) {
    Fit();
    const CPoint3 w = Window(c.first);
    const CPoint2 cursor(w.x, w.y);
    const CPoint3 under = renderer_->GetCameraMatrices().Unproject(
        {cursor.x, cursor.y, renderer_->GetDepth(cursor, true)});
    const double before = renderer_->GetView().Distance;
    EXPECT_TRUE(renderer_->ZoomAt(c.second, cursor));
    EXPECT_DOUBLE_EQ(renderer_->GetView().Distance, before / c.second);
    const CPoint3 after = Window(under);
    EXPECT_NEAR(after.x, cursor.x, 1e-6);
    EXPECT_NEAR(after.y, cursor.y, 1e-6);
  }
}

TEST_F(RendererCamera, ViewLimitsClampZoomAndCentre) {
  const double r = Radius(), m = tree_.Root()->GetMinContainedRadius();
  EXPECT_TRUE(renderer_->Zoom(1e-6));
  EXPECT_EQ(renderer_->GetView().Distance, 40 * r);
  EXPECT_FALSE(renderer_->Zoom(0.5)) << "already at the limit";
  EXPECT_TRUE(renderer_->Zoom(1e9));
  EXPECT_EQ(renderer_->GetView().Distance, 2 * m);
  EXPECT_TRUE(renderer_->SetCentre({1000, 0, 0}));
  const CPoint3 boxCentre = tree_.Root()->GetBoundBox().GetCentre();
  EXPECT_NEAR((renderer_->GetView().Centre - boxCentre).Length(), 6 * r, 1e-9);

  SetOption("ViewLimits", false);
  EXPECT_TRUE(renderer_->Zoom(1e-6));
  EXPECT_GT(renderer_->GetView().Distance, 1000 * r);
  EXPECT_FALSE(renderer_->Zoom(0)) << "a zero factor is refused";
  EXPECT_FALSE(renderer_->Zoom(-2));
}

TEST_F(RendererCamera, RestoreViewUndoesATurnExactly) {
  renderer_->SaveView();
  const CViewState saved = renderer_->GetView();
  EXPECT_TRUE(renderer_->Rotate({0.3, -1, 0}, 40));
  EXPECT_TRUE(renderer_->Rotate({0.3, -1, 0}, -40)) << "round-off: not bit for bit back";
  EXPECT_TRUE(renderer_->RestoreView());
  EXPECT_EQ(renderer_->GetView().Rotation, saved.Rotation);
  EXPECT_FALSE(renderer_->RestoreView());
  EXPECT_FALSE(renderer_->Rotate({0, 0, 0}, 30)) << "a zero axis turns nothing";
}

TEST_F(RendererCamera, PanMovesTheGrabbedPointUnderTheCursor) {
  const CPoint3 grabbed(-2, 0, 1);  // top of the pipe
  const CPoint3 w = Window(grabbed);
  renderer_->BeginPan({w.x, w.y});
  EXPECT_NEAR(renderer_->GetPanAnchor().z, w.z, 1e-3) << "anchored at the visible surface";
  const CPoint2 to(w.x + 30, w.y - 20);
  const CPoint3 anchored = renderer_->GetCameraMatrices().Unproject(renderer_->GetPanAnchor());
  EXPECT_TRUE(renderer_->PanTo(to));
  const CPoint3 after = Window(anchored);
  EXPECT_NEAR(after.x, to.x, 1e-6);
  EXPECT_NEAR(after.y, to.y, 1e-6);
}

TEST_F(RendererCamera, AdjustCentreDepthKeepsTheEye) {
  // Centre lifted above the pipe along the line of sight (looking down).
  EXPECT_TRUE(renderer_->SetCentre({-2, 0, 6}));
  const CPoint3 eye = Eye();
  EXPECT_TRUE(renderer_->AdjustCentreDepth());
  EXPECT_VEC_NEAR(Eye(), eye, 1e-6);
  const CPoint3 centre = renderer_->GetView().Centre;
  EXPECT_NEAR(centre.x, -2, 1e-6);
  EXPECT_NEAR(centre.y, 0, 1e-6);
  EXPECT_GT(centre.z, -1.01) << "within the pipe";
  EXPECT_LT(centre.z, 1.01);
}

using RendererEmpty = RendererTest;

TEST_F(RendererEmpty, AnEmptyModelKeepsAUsableCamera) {
  CGLRenderer& r = Start();
  EXPECT_TRUE(r.SetCentre({1, 2, 3}));
  EXPECT_TRUE(r.Zoom(0.5));
  EXPECT_EQ(r.GetView().Distance, 2.0) << "no limits to collapse the distance to 0";
  EXPECT_FALSE(r.AdjustCentreDepth()) << "nothing visible: the centre stays";
  const CPoint3 w = r.GetCameraMatrices().Project(r.GetView().Centre);
  EXPECT_DOUBLE_EQ(r.GetDepth({w.x, w.y}, true), w.z);
  EXPECT_FALSE(r.FitView(tree_.Root()->GetBoundBox()));
}

}  // namespace
}  // namespace kelto::test
