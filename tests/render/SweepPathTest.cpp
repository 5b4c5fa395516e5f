#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GeometryAsserts.h"
#include "render/CircleCS.h"
#include "render/CurvePath.h"
#include "render/StraightPathFD.h"

namespace {

constexpr double kPi = std::numbers::pi;

TEST(CurvePath, RightAngledBendWithEqualLegsIsAQuarterCircle) {
  const double r = 2.5;
  const CCurvePath p({0, 0, 0}, {r, 0, 0}, {r, r, 0});
  for (double t : {0.0, 0.125, 0.25, 0.5, 0.75, 1.0}) {
    SCOPED_TRACE(t);
    const double theta = t * kPi / 2;
    const CPoint3 q = p.GetPoint(t);
    EXPECT_VEC_NEAR(q, CPoint3(r * std::sin(theta), r * (1 - std::cos(theta)), 0), 1e-12);
    EXPECT_NEAR(q.DistanceTo({0, r, 0}), r, 1e-12) << "on the circle about (0, R, 0)";
  }
  EXPECT_EQ(p.GetPoint(0), CPoint3(0, 0, 0)) << "exactly at the start";
}

// The sweep's normals rely on the direction being the true derivative, also
// just outside [0, 1]; checked on an oblique bend with unequal legs.
TEST(CurvePath, DirectionIsTheDerivativeWithRespectToTheAngle) {
  const CCurvePath p({1, 0, 0}, {3, 1, 0}, {4, 4, 2});
  const double h = 1e-6;
  for (double t : {-0.01, 0.0, 0.3, 1.0, 1.01}) {
    SCOPED_TRACE(t);
    const CVector3 numeric = (p.GetPoint(t + h) - p.GetPoint(t - h)) / (2 * h) / (kPi / 2);
    EXPECT_VEC_NEAR(p.GetDirection(t), numeric, 1e-6);
  }
  EXPECT_EQ(p.GetDirection(0), p.T0);
}

TEST(StraightPathFD, KeepsItsFixedDirectionWhileTheAxisIsOblique) {
  const CStraightPathFD p({0, 0, 0}, {10, 0, 2}, {1, 0, 0});
  EXPECT_EQ(p.Axis, CVector3(10, 0, 2));
  EXPECT_EQ(p.Side, CVector3(0, 2, 0));
  EXPECT_EQ(p.FixedDir, CVector3(1, 0, 0));
  EXPECT_EQ(p.GetMinSteps(), 2);
  for (double t : {-0.01, 0.0, 0.5, 1.0, 1.01}) {
    SCOPED_TRACE(t);
    EXPECT_VEC_NEAR(p.GetPoint(t), CPoint3(10 * t, 0, 2 * t), 1e-15);
    EXPECT_EQ(p.GetDirection(t), CVector3(1, 0, 0));
    EXPECT_EQ(p.GetReference(t), p.Side);
  }
}

TEST(CircleCS, RadiusTapersLinearlyAlongThePath) {
  const CCircleCS c(1.0, 3.0);
  EXPECT_EQ(c.GetMinSteps(), 8);
  struct Case {
    double t, s;
    CVector3 expected;
  };
  const Case cases[] = {
      {0.0, 0.0, {1, 0, 0}},   {0.0, 0.25, {0, 1, 0}}, {0.5, 0.5, {-2, 0, 0}},
      {1.0, 0.75, {0, -3, 0}}, {1.0, 1.0, {3, 0, 0}},  {-0.01, 0.0, {0.98, 0, 0}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "t=" << k.t << " s=" << k.s);
    EXPECT_VEC_NEAR(c.GetPoint(k.t, k.s), k.expected, 1e-12);
  }
}

}  // namespace
