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
  }
  EXPECT_FALSE(GetStandardViewDir(10));
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
}

// The renderer's camera tests pin each clamp; here the rule for a model whose
// smallest part asks for more room than its size allows.
TEST(ViewLimits, TheMinimumWinsOverTheMaximum) {
  CViewState view;
  view.Distance = 1000;
  ApplyViewLimits(view, {{0, 0, 0}, 1, 30});
  EXPECT_EQ(view.Distance, 60);
}

TEST(RotateView, TurnsAboutAnEyeAxis) {
  CGLMatrix m = kGLIdentity;
  // A right-handed quarter turn about the eye's y axis takes x to −z.
  m = RotateView(m, {0, 1, 0}, 90);
  const CMatrix44 r = FromGLMatrix(m);
  EXPECT_VEC_NEAR(r.Transform(CVector3(1, 0, 0)), CVector3(0, 0, -1), 1e-15);
}

}  // namespace
