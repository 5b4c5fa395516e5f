// Sweeping a circle along a path: the paths, the sections and the swept
// primitives with their caps.
#include "render/Sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "GeometryAsserts.h"
#include "render/CircleCS.h"
#include "render/CurvePath.h"
#include "render/Frames.h"
#include "render/PrimitiveTessellation.h"
#include "render/StraightPathFD.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The paths first: a bend's is an arc about its centre, with the true
// derivative as its direction; a snout's runs straight along an oblique axis.
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
  EXPECT_EQ(p.Side, CVector3(0, 2, 0));
  for (double t : {-0.01, 0.0, 0.5, 1.0, 1.01}) {
    SCOPED_TRACE(t);
    EXPECT_VEC_NEAR(p.GetPoint(t), CPoint3(10 * t, 0, 2 * t), 1e-15);
    EXPECT_EQ(p.GetDirection(t), CVector3(1, 0, 0));
    EXPECT_EQ(p.GetReference(t), p.Side);
  }
}

// The section starts on its x axis (the seam) and turns towards y; its
// radius tapers linearly, also just outside the path.
TEST(CircleCS, StartsOnXAndTapersLinearly) {
  const CCircleCS c(1.0, 3.0);
  EXPECT_VEC_NEAR(c.GetPoint(0.0, 0.0), CVector3(1, 0, 0), 1e-12);
  EXPECT_VEC_NEAR(c.GetPoint(0.0, 0.25), CVector3(0, 1, 0), 1e-12);
  EXPECT_VEC_NEAR(c.GetPoint(0.5, 0.5), CVector3(-2, 0, 0), 1e-12);
  EXPECT_VEC_NEAR(c.GetPoint(-0.01, 0.0), CVector3(0.98, 0, 0), 1e-12);
}

// Checks that section i of the mesh is a circle of `radius` around the path
// point at t = i / (VSize − 1), that the seam point repeats, and that every
// normal is a unit vector pointing away from the path (within `radialTol` of
// the radial direction when the section does not taper).
void ExpectOutwardTube(const CContQuadMesh& m, const IFSweepPath& path, double r0, double r1,
                       double radialTol) {
  for (int v = 0; v < m.VSize; ++v) {
    const double t = double(v) / (m.VSize - 1);
    const CPoint3 c = path.GetPoint(t);
    const double r = (1 - t) * r0 + t * r1;
    for (int u = 0; u < m.USize; ++u) {
      SCOPED_TRACE(::testing::Message() << "u=" << u << " v=" << v);
      const CPoint3& p = m.Point(u, v);
      const CVector3& n = m.Normal(u, v);
      ASSERT_TRUE(IsFinite(p) && IsFinite(n));
      EXPECT_NEAR(p.DistanceTo(c), r, 1e-9);
      EXPECT_NEAR((p - c).Dot(UnitVector(path.GetDirection(t))), 0, 1e-9) << "in the section plane";
      EXPECT_NEAR(n.Length(), 1, 1e-12);
      EXPECT_GT(n.Dot(p - c), 0) << "outward";
      if (radialTol > 0) EXPECT_VEC_NEAR(n, (p - c) / r, radialTol);
    }
    SCOPED_TRACE("seam");
    EXPECT_VEC_NEAR(m.Point(0, v), m.Point(m.USize - 1, v), 1e-12);
  }
}

TEST(Sweep, RaisesStepsToTheMinimumsAndCapsThem) {
  const CCurvePath bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0});
  const CCircleCS circle(0.1, 0.1);
  struct Case {
    int pathSteps, sectionSteps, uSize, vSize;
  };
  const Case cases[] = {
      {8, 16, 17, 9},  // the defaults: 9 sections of 17 points
      {1, 16, 17, 3}, {3, 3, 9, 4}, {-5, -5, 9, 3}, {1 << 30, 8, 9, kMaxSweepSteps + 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.pathSteps << " x " << k.sectionSteps);
    CContQuadMesh m;
    EXPECT_EQ(&Sweep(m, bend, k.pathSteps, circle, k.sectionSteps), &m);
    EXPECT_EQ(m.USize, k.uSize);
    EXPECT_EQ(m.VSize, k.vSize);
  }
}

// Each section a circle about its point of the path (SweepPathTest pins the
// paths themselves), square to it, normals outward; radial where the
// section does not taper. The rolls the path leaves undefined (a collinear
// bend, a snout without offset) still give whole tubes.
TEST(Sweep, SectionsAreCirclesSquareToThePathWithOutwardNormals) {
  const CCurvePath quarter({0, 0, 0}, {2, 0, 0}, {2, 2, 0});
  const CCurvePath oblique({1, 0, 0}, {3, 1, 0}, {4, 4, 2});
  const CCurvePath collinear({0, 0, 0}, {1, 0, 0}, {3, 0, 0});
  const CStraightPathFD snout({0, 0, 0}, {10, 0, 2}, {1, 0, 0});
  const CStraightPathFD straight({0, 0, 0}, {0, 0, 5}, {0, 0, 1});
  const struct {
    const char* name;
    const IFSweepPath& path;
    double r0, r1;
    int pathSteps, sectionSteps;
    double radialTol;  // 0: not radial (tapered)
  } cases[] = {
      {"quarter bend", quarter, 0.5, 0.5, 8, 16, 1e-3},
      {"tapered oblique bend", oblique, 0.4, 0.2, 6, 12, 0},
      {"collinear bend", collinear, 0.3, 0.3, 8, 16, 1e-9},
      {"offset snout", snout, 1.0, 0.5, 1, 16, 0},
      {"zero-offset snout", straight, 1.0, 0.5, 2, 16, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CContQuadMesh m;
    Sweep(m, c.path, c.pathSteps, CCircleCS(c.r0, c.r1), c.sectionSteps);
    ExpectOutwardTube(m, c.path, c.r0, c.r1, c.radialTol);
  }
}

TEST(Sweep, DegenerateInputNeverProducesNaN) {
  const CCurvePath pointBend({1, 1, 1}, {1, 1, 1}, {1, 1, 1});
  const CCurvePath noFirstLeg({0, 0, 0}, {0, 0, 0}, {0, 3, 0});
  const CCurvePath uTurn({0, 0, 0}, {2, 0, 0}, {1, 0, 0});
  const CStraightPathFD noDirection({0, 0, 0}, {1, 2, 3}, {0, 0, 0});
  const CStraightPathFD noLength({1, 2, 3}, {1, 2, 3}, {0, 0, 1});
  const CCurvePath almostCollinear({0, 0, 0}, {1, 0, 0}, {3, 1e-15, 0});
  const CStraightPathFD tiny({0, 0, 0}, {1e-200, 0, 0}, {1e-200, 1e-200, 0});
  const IFSweepPath* paths[] = {&pointBend, &noFirstLeg,      &uTurn, &noDirection,
                                &noLength,  &almostCollinear, &tiny};
  for (const IFSweepPath* path : paths) {
    for (const CCircleCS& circle : {CCircleCS(1, 1), CCircleCS(0, 0), CCircleCS(1, 0)}) {
      CContQuadMesh m;
      Sweep(m, *path, 4, circle, 8);
      for (std::size_t i = 0; i < m.Points.size(); ++i) {
        ASSERT_TRUE(IsFinite(m.Points[i])) << i;
        ASSERT_TRUE(IsFinite(m.Normals[i])) << i;
      }
    }
  }
}

TEST(PrimitiveTessellation, SweptPrimitivesCarryTheirCapDiscs) {
  const CSweptGeometry bend = TessellateCurvedCone({0, 0, 0}, 1.0, {2, 0, 0}, {2, 2, 0}, 0.5, 1, 3);
  EXPECT_EQ(bend.Mesh.VSize, 3);
  EXPECT_EQ(bend.Mesh.USize, 9) << "Edges below 8 raised for the sweep";
  EXPECT_EQ(bend.Caps[0].Normal, CVector3(-2, 0, 0));
  EXPECT_EQ(bend.Caps[1].Centre, CPoint3(2, 2, 0));
  EXPECT_EQ(bend.Caps[1].Diameter, 0.5);
  EXPECT_NEAR(bend.Mesh.Point(0, 2).DistanceTo({2, 2, 0}), 0.25, 1e-12) << "radius = diameter / 2";

  // A snout's caps face along its fixed direction.
  const CSweptGeometry snout = TessellateSnout({0, 0, 0}, 2.0, {10, 0, 2}, 1.0, {1, 0, 0}, 1, 16);
  EXPECT_EQ(snout.Caps[0].Normal, CVector3(1, 0, 0));
  EXPECT_EQ(snout.Caps[1].Normal, CVector3(-1, 0, 0));
}

}  // namespace
