#include "render/Frames.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <memory>
#include <string>

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

// Every frame, degenerate or not, is a right-handed orthonormal basis with Z
// against the path direction, and contains no NaN.
TEST(SectionFrame, IsOrthonormalAndFiniteIncludingDegenerateRolls) {
  struct Case {
    std::string name;
    std::shared_ptr<IFSweepPath> path;
  };
  const auto bend = [](CPoint3 a, CPoint3 b, CPoint3 c) {
    return std::make_shared<CCurvePath>(a, b, c);
  };
  const auto snout = [](CPoint3 a, CPoint3 b, CVector3 d) {
    return std::make_shared<CStraightPathFD>(a, b, d);
  };
  const Case cases[] = {
      {"oblique bend", bend({1, 0, 0}, {3, 1, 0}, {4, 4, 2})},
      {"collinear bend", bend({0, 0, 0}, {1, 0, 0}, {3, 0, 0})},
      {"almost collinear bend", bend({0, 0, 0}, {1, 0, 0}, {3, 1e-15, 0})},
      {"offset snout", snout({0, 0, 0}, {10, 0, 2}, {1, 0, 0})},
      {"zero-offset snout", snout({1, 2, 3}, {1, 2, 8}, {0, 0, 1})},
      {"zero-length snout", snout({1, 2, 3}, {1, 2, 3}, {0, 1, 1})},
      {"tiny snout", snout({0, 0, 0}, {1e-200, 0, 0}, {1e-200, 1e-200, 0})},
  };
  for (const Case& k : cases) {
    for (double t : {-0.01, 0.0, 0.5, 1.0, 1.01}) {
      SCOPED_TRACE(k.name + " t=" + std::to_string(t));
      const CMatrix44 f = SectionFrame(*k.path, t);
      const CVector3 x = Column(f, 0), y = Column(f, 1), z = Column(f, 2);
      ASSERT_TRUE(IsFinite(x) && IsFinite(y) && IsFinite(z));
      EXPECT_NEAR(x.Length(), 1, 1e-12);
      EXPECT_NEAR(y.Length(), 1, 1e-12);
      EXPECT_NEAR(x.Dot(z), 0, 1e-12);
      EXPECT_VEC_NEAR(x.Cross(y), z, 1e-12);
      EXPECT_VEC_NEAR(z, UnitVector(-k.path->GetDirection(t)), 1e-12);
    }
  }
}

TEST(SectionFrame, ZeroOffsetSnoutKeepsOneRollAlongItsLength) {
  const CStraightPathFD p({0, 0, 0}, {0, 0, 5}, {0, 0, 1});
  ASSERT_TRUE(p.Side.IsZero());
  const CMatrix44 first = SectionFrame(p, 0.0);
  for (double t : {-0.01, 0.5, 1.01}) {
    EXPECT_EQ(Column(SectionFrame(p, t), 0), Column(first, 0)) << t;
  }
}

TEST(SectionFrame, ZeroDirectionCollapsesOntoThePathWithoutNaN) {
  const CStraightPathFD p({1, 2, 3}, {4, 5, 6}, {0, 0, 0});
  const CMatrix44 f = SectionFrame(p, 0.0);
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
