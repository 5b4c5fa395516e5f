// The camera mathematics, exactly and without GL.
#include "render/CameraMath.h"

#include <gtest/gtest.h>

#include <cmath>

#include "GeometryAsserts.h"
#include "render/StandardViewDir.h"

namespace {

// The unit lengths along a face diagonal, an isometric up and a cube diagonal.
const double e2 = 1 / std::sqrt(2.0), e6 = 1 / std::sqrt(6.0), e3 = 1 / std::sqrt(3.0);

// Row i of the rotation (world → eye) is the world direction of eye axis i.
CVector3 Row(const CGLMatrix& m, int row) { return {m[row], m[4 + row], m[8 + row]}; }

TEST(StandardViewDirs, GiveTheRotationsOfTheTable) {
  struct Case {
    int value;
    CVector3 right, up, back;  // screen right, screen up, towards the viewer
  };
  const Case cases[] = {
      {svdNorthTopLeft, {e2, -e2, 0}, {e6, e6, 2 * e6}, {-e3, -e3, e3}},
      {svdNorthTopRight, {e2, e2, 0}, {-e6, e6, 2 * e6}, {e3, -e3, e3}},
      {svdNorthBottomLeft, {-e2, -e2, 0}, {e6, -e6, 2 * e6}, {-e3, e3, e3}},
      {svdNorthBottomRight, {-e2, e2, 0}, {-e6, -e6, 2 * e6}, {e3, e3, e3}},
      {svdLookDown, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {svdLookUp, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
      {svdLookEast, {0, -1, 0}, {0, 0, 1}, {-1, 0, 0}},
      {svdLookWest, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      {svdLookNorth, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
      {svdLookSouth, {-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(StandardViewDirName(c.value)));
    const auto dir = GetStandardViewDir(c.value);
    ASSERT_TRUE(dir);
    CGLMatrix m{};
    ASSERT_TRUE(ViewDirRotation(dir->View, dir->Up, m));
    EXPECT_VEC_NEAR(Row(m, 0), c.right, 1e-15);
    EXPECT_VEC_NEAR(Row(m, 1), c.up, 1e-15);
    EXPECT_VEC_NEAR(Row(m, 2), c.back, 1e-15);
    // A pure rotation: no translation, last row and column unit.
    for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_EQ(m[i], 0.0);
    EXPECT_EQ(m[15], 1.0);
  }
  EXPECT_FALSE(GetStandardViewDir(-1));
  EXPECT_FALSE(GetStandardViewDir(10));
  EXPECT_EQ(ParseStandardViewDir("svdLookDown"), svdLookDown);
  EXPECT_EQ(ParseStandardViewDir("northtopright"), svdNorthTopRight);
  EXPECT_EQ(ParseStandardViewDir("sideways"), -1);
}

TEST(ViewDirRotation, StaysARotationForDegenerateInput) {
  CGLMatrix m = kGLIdentity;
  // Up along the view: screen-right is undefined, but the matrix must not
  // collapse.
  ASSERT_TRUE(ViewDirRotation({0, 0, -1}, {0, 0, 1}, m));
  const CMatrix44 r = FromGLMatrix(m);
  EXPECT_NEAR(r.Determinant(), 1.0, 1e-12);
  EXPECT_VEC_NEAR(Row(m, 2), CVector3(0, 0, 1), 1e-15);
  // No view at all changes nothing.
  const CGLMatrix before = m;
  EXPECT_FALSE(ViewDirRotation({0, 0, 0}, {0, 0, 1}, m));
  EXPECT_EQ(m, before);
}

TEST(ClipPlanes, FollowTheNearAndFarRules) {
  struct Case {
    const char* name;
    double distance, radius, minRadius;
    CPoint3 centre;  // the model's box centre is the origin
    double nearPlane, farPlane;
  };
  const Case cases[] = {
      {"eye outside the model", 100, 10, 1, {0, 0, 0}, 90, 110},
      {"centre off the model centre", 100, 10, 1, {3, 4, 0}, 85, 115},
      {"eye inside the model", 5, 10, 1, {0, 0, 0}, 0.2, 15},
      {"close to the smallest part", 1.1, 10, 1, {0, 0, 0}, 1.1 - 1, 11.1},
      {"at the smallest part", 1.0005, 10, 1, {0, 0, 0}, 0.001, 11.0005},
      {"empty model", 1, 0, 0, {0, 0, 0}, 0.001, 1.002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CClipPlanes p =
        ComputeClipPlanes(c.distance, {{0, 0, 0}, c.radius, c.minRadius}, c.centre);
    EXPECT_DOUBLE_EQ(p.Near, c.nearPlane);
    EXPECT_DOUBLE_EQ(p.Far, c.farPlane);
  }
}

TEST(ViewAspect, IsOneForAZeroHeight) {
  EXPECT_EQ(ViewAspect({0, 0, 200, 100}), 2.0);
  EXPECT_EQ(ViewAspect({0, 0, 100, 0}), 1.0);
  const CMatrix44 p = PerspectiveMatrix(15, ViewAspect({0, 0, 100, 0}), 1, 10);
  EXPECT_EQ(p.m[0][0], p.m[1][1]);
}

TEST(ViewLimits, ClampDistanceThenCentre) {
  const CModelExtent model{{0, 0, 0}, 10, 0.5};
  struct Case {
    const char* name;
    double distance;
    CPoint3 centre;
    double expectDistance;
    CPoint3 expectCentre;
  };
  const Case cases[] = {
      {"inside the limits", 50, {1, 2, 3}, 50, {1, 2, 3}},
      {"too far", 1000, {0, 0, 0}, 400, {0, 0, 0}},
      {"too close", 0.1, {0, 0, 0}, 1, {0, 0, 0}},
      {"centre too far out", 50, {0, 300, 400}, 50, {0, 36, 48}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CViewState view;
    view.Distance = c.distance;
    view.Centre = c.centre;
    ApplyViewLimits(view, model);
    EXPECT_DOUBLE_EQ(view.Distance, c.expectDistance);
    EXPECT_VEC_NEAR(view.Centre, c.expectCentre, 1e-12);
  }
  // The minimum wins over the maximum.
  CViewState view;
  view.Distance = 1000;
  ApplyViewLimits(view, {{0, 0, 0}, 1, 30});
  EXPECT_EQ(view.Distance, 60);
  // Nothing to stay near: no limits (40 × 0 would put the eye on the centre).
  view.Distance = 7;
  view.Centre = {100, 0, 0};
  ApplyViewLimits(view, {});
  EXPECT_EQ(view.Distance, 7);
  EXPECT_EQ(view.Centre, CPoint3(100, 0, 0));
}

TEST(ViewState, EqualityRules) {
  CViewState a;
  a.Distance = 10;
  a.Centre = {1, 2, 3};
  CViewState b = a;
  EXPECT_EQ(a, b);
  b.Centre.x += 0.0009;
  EXPECT_EQ(a, b) << "centres within 0.001 are the same";
  b.Centre.x = a.Centre.x + 0.0011;
  EXPECT_NE(a, b);
  b = a;
  b.Distance = std::nextafter(a.Distance, 11.0);
  EXPECT_NE(a, b) << "distances compare exactly";
  b = a;
  b.Rotation[1] = 1e-300;
  EXPECT_NE(a, b) << "rotations compare exactly";
}

TEST(CameraMatrices, ProjectAndUnprojectAreInverse) {
  CViewState view;
  ASSERT_TRUE(ViewDirRotation({1, 1, -1}, {0, 0, 1}, view.Rotation));
  view.Distance = 40;
  view.Centre = {5, -2, 1};
  const CCameraMatrices m = CameraMatrices(view, {0, 0, 320, 200}, {{0, 0, 0}, 10, 1});
  // The centre is in the middle of the viewport.
  const CPoint3 c = m.Project(view.Centre);
  EXPECT_NEAR(c.x, 160, 1e-9);
  EXPECT_NEAR(c.y, 100, 1e-9);
  for (const CPoint3 p : {CPoint3(0, 0, 0), CPoint3(3, 7, -2), CPoint3(-9, 1, 4)}) {
    EXPECT_VEC_NEAR(m.Unproject(m.Project(p)), p, 1e-9);
  }
  // The eye sits Distance from the centre along the view's back axis: the
  // model-view matrix takes it to the origin.
  const CPoint3 eye = view.Centre + Row(view.Rotation, 2) * view.Distance;
  EXPECT_VEC_NEAR(m.ModelView.Transform(eye), CPoint3(0, 0, 0), 1e-12);
}

TEST(RotateView, TurnsAboutAnEyeAxis) {
  CGLMatrix m = kGLIdentity;
  // A right-handed quarter turn about the eye's y axis takes x to −z.
  m = RotateView(m, {0, 1, 0}, 90);
  const CMatrix44 r = FromGLMatrix(m);
  EXPECT_VEC_NEAR(r.Transform(CVector3(1, 0, 0)), CVector3(0, 0, -1), 1e-15);
  EXPECT_EQ(RotateView(m, {0, 0, 0}, 45), m) << "a zero axis turns nothing";
  // Turning back is the identity up to rounding (drags therefore restore
  // the saved view instead of turning back).
  const CMatrix44 back = FromGLMatrix(RotateView(m, {0, 1, 0}, -90));
  EXPECT_VEC_NEAR(back.Transform(CVector3(1, 0, 0)), CVector3(1, 0, 0), 1e-15);
}

}  // namespace
