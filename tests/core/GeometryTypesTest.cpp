#include <gtest/gtest.h>

#include <cmath>

#include "core/Matrix22.h"
#include "core/Matrix44.h"
#include "core/Point2.h"
#include "core/Point3.h"

namespace {

// The rules the builders rely on: normalising zero leaves zero, the cross
// product is right-handed (east x north = up), builder points are equal
// within a thousandth.
TEST(GeometryTypesTest, VectorRulesAndBuilderTolerance) {
  EXPECT_EQ(CVector3().Normalised(), CVector3());
  EXPECT_EQ(CVector3(1, 0, 0).Cross(CVector3(0, 1, 0)), CVector3(0, 0, 1));
  EXPECT_DOUBLE_EQ(CVector2(1, 0).Cross(CVector2(0, 1)), 1.0);
  const CPoint3 p(1, 1, 1);
  EXPECT_TRUE(p.IsEqual(CPoint3(1.0009, 0.9991, 1)));
  EXPECT_FALSE(p.IsEqual(CPoint3(1.0011, 1, 1)));
  EXPECT_FALSE(p == CPoint3(1.0009, 1, 1));
}

// Column vectors, [row][col]; a singular matrix has no inverse.
TEST(GeometryTypesTest, MatricesMapColumnVectorsAndRefuseSingularInverses) {
  const CMatrix44 t = CMatrix44::Translation({10, 0, 0});
  const CMatrix44 r = CMatrix44::Rotation({0, 0, 2}, std::numbers::pi / 2);
  const CPoint3 moved = (t * r).Transform(CPoint3(1, 0, 0));  // rotate first, then translate
  EXPECT_NEAR((moved - CPoint3(10, 1, 0)).Length(), 0, 1e-12);
  EXPECT_EQ(t.Transform(CVector3(1, 2, 3)), CVector3(1, 2, 3));  // vectors ignore translation
  EXPECT_EQ(t.m[0][3], 10.0);
  const CMatrix44 m = t * r * CMatrix44::Scaling(2, 3, 4);
  const CMatrix44 id = m * m.Inverse();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(id.m[i][j], i == j ? 1.0 : 0.0, 1e-12);
  EXPECT_NEAR(m.Determinant(), 24.0, 1e-12);
  EXPECT_THROW(CMatrix44().Inverse(), std::domain_error);
  const CMatrix22 m2(2, 1, 1, 1);
  EXPECT_EQ(m2.Inverse() * (m2 * CVector2(5, -7)), CVector2(5, -7));
  EXPECT_THROW(CMatrix22(1, 2, 2, 4).Inverse(), std::domain_error);
}

}  // namespace
