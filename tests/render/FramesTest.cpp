#include "render/Frames.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "GeometryAsserts.h"
#include "render/CurvePath.h"
#include "render/StraightPathFD.h"

namespace {

CVector3 Column(const CMatrix44& f, int c) { return {f.m[0][c], f.m[1][c], f.m[2][c]}; }

TEST(SectionFrame, QuarterBendStartFrameIsExact) {
  const CCurvePath p({0, 0, 0}, {2, 0, 0}, {2, 2, 0});
  CMatrix44 expected = CMatrix44::Identity();
  // X = normalise(−D × R) = (−x) × z = y; Y = Z × X = −z; Z = −D = −x.
  const double rows[3][4] = {{0, 0, -1, 0}, {1, 0, 0, 0}, {0, -1, 0, 0}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) expected.m[r][c] = rows[r][c];
  EXPECT_EQ(SectionFrame(p, 0.0), expected);
  // The last row stays (0, 0, 0, 1) and the origin follows the path.
  const CMatrix44 mid = SectionFrame(p, 0.5);
  EXPECT_VEC_NEAR(Column(mid, 3), p.GetPoint(0.5).AsVector(), 0);
  EXPECT_EQ(mid.m[3][3], 1.0);
}

// A snout without offset keeps one roll along its length; one without a
// direction collapses onto its path rather than give NaN.
TEST(SectionFrame, SnoutsWithoutOffsetOrDirection) {
  const CStraightPathFD p({0, 0, 0}, {0, 0, 5}, {0, 0, 1});
  ASSERT_TRUE(p.Side.IsZero());
  for (double t : {-0.01, 0.5, 1.01})
    EXPECT_EQ(Column(SectionFrame(p, t), 0), Column(SectionFrame(p, 0.0), 0)) << t;
  const CMatrix44 f = SectionFrame(CStraightPathFD({1, 2, 3}, {4, 5, 6}, {0, 0, 0}), 0.0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Column(f, c), CVector3()) << c;
  EXPECT_EQ(Column(f, 3), CVector3(1, 2, 3));
}

TEST(UnitVector, NormalisesWithoutUnderflowOverflowOrNaN) {
  struct Case {
    CVector3 in, out;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double h = std::sqrt(0.5);
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}},           {{0, 3, 4}, {0, 0.6, 0.8}}, {{1e-200, 0, 0}, {1, 0, 0}},
      {{1e300, -1e300, 0}, {h, -h, 0}}, {{inf, 0, 0}, {0, 0, 0}},   {{nan, 1, 0}, {0, 0, 0}},
  };
  for (const Case& k : cases) EXPECT_VEC_NEAR(UnitVector(k.in), k.out, 1e-15);
}

TEST(QuadricFrame, ChoosesItsReferenceByExactComparison) {
  using M = std::array<double, 16>;
  struct Case {
    CVector3 axis;
    M expected;  // column-major: X, Y, Z, origin
  };
  const Case cases[] = {
      // Exactly vertical: reference (0, 1, 0).
      {{0, 0, 1}, {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}},
      {{0, 0, -2}, {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 1, 2, 3, 1}},
      // Anything else: reference (0, 0, 1).
      {{3, 0, 0}, {0, -1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 1, 2, 3, 1}},
      {{1e-12, 0, 1}, {0, -1, 0, 0, 1, 0, -1e-12, 0, 1e-12, 0, 1, 0, 1, 2, 3, 1}},
      // Too small for a plain normalisation; still a proper frame.
      {{1e-200, 0, 0}, {0, -1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 0, 1, 2, 3, 1}},
      // No axis at all: no directions (the drawing functions skip it).
      {{0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 1}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.axis.x << ", " << k.axis.y << ", " << k.axis.z);
    const M m = QuadricFrame(k.axis, {1, 2, 3});
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], k.expected[i], 1e-15) << "element " << i;
  }
}

}  // namespace
