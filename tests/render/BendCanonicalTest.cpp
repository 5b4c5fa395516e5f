// Bend canonicalisation and the cache's bookkeeping, without GL.
#include "render/BendCanonical.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "GeometryAsserts.h"
#include "render/BendCache.h"
#include "render/CameraMath.h"

namespace {

using Bend = CPrimitive::CurvedCone;

Bend MakeBend(CPoint3 s, CPoint3 c, CPoint3 e, double ds, double de, int colour = 0) {
  Bend b;
  b.Start = s;
  b.Centre = c;
  b.End = e;
  b.StartDiameter = ds;
  b.EndDiameter = de;
  b.Colour = colour;
  return b;
}

// The same bend moved by m (a rotation with translation).
Bend Moved(const Bend& b, const CMatrix44& m) {
  return MakeBend(m.Transform(b.Start), m.Transform(b.Centre), m.Transform(b.End), b.StartDiameter,
                  b.EndDiameter, b.Colour);
}

CMatrix44 SomePlacement(double angle, CVector3 axis, CVector3 offset) {
  return CMatrix44::Translation(offset) * CMatrix44::Rotation(axis, angle);
}

const Bend kElbow = MakeBend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.5, 0.5);

TEST(BendCanonical, PutsTheShapeBackInPlace) {
  const std::vector<Bend> bends = {
      kElbow,
      Moved(kElbow, SomePlacement(0.7, {1, 2, 3}, {10, -4, 2})),
      MakeBend({1, 2, 3}, {4, 2, 3}, {5, 4, 1}, 0.3, 0.2),      // unequal legs, reducing
      MakeBend({0, 0, 0}, {1, 0, 0}, {0, 0.001, 0}, 0.1, 0.1),  // nearly a return bend
      MakeBend({0, 0, 0}, {1, 0, 0}, {3, 0, 0}, 0.1, 0.1),      // collinear
  };
  for (bool normalize : {false, true}) {
    for (const Bend& b : bends) {
      SCOPED_TRACE(::testing::Message() << "normalize " << normalize << " bend end " << b.End.x
                                        << "," << b.End.y << "," << b.End.z);
      const CCanonicalBend c = CanonicaliseBend(b, normalize, 1);
      ASSERT_TRUE(c.IsBend);
      const CMatrix44 m = FromGLMatrix(c.Matrix) * CMatrix44::Scaling(c.Scale, c.Scale, c.Scale);
      EXPECT_VEC_NEAR(m.Transform(c.Shape.Start), b.Start, 1e-9);
      EXPECT_VEC_NEAR(m.Transform(c.Shape.Centre), b.Centre, 1e-9);
      EXPECT_VEC_NEAR(m.Transform(c.Shape.End), b.End, 1e-9);
      EXPECT_NEAR(c.Shape.StartDiameter * c.Scale, b.StartDiameter, 1e-12);
      EXPECT_NEAR(c.Shape.EndDiameter * c.Scale, b.EndDiameter, 1e-12);
      // A proper rotation: faces keep their winding.
      EXPECT_NEAR(FromGLMatrix(c.Matrix).Determinant(), 1.0, 1e-12);
      EXPECT_EQ(c.Shape.Start, CPoint3(0, 0, 0));
      EXPECT_EQ(c.Shape.Centre.x, 0.0);
      EXPECT_EQ(c.Shape.End.z, 0.0);
    }
  }
}

TEST(BendCanonical, KeysTheShapeNotItsPlaceOrColour) {
  const CCanonicalBend a = CanonicaliseBend(kElbow, false, 1);
  EXPECT_EQ(a.Key,
            "CurvedCone : (0.0e+00, 0.0e+00, 0.0e+00), (0.0e+00, 1.0e+00, 0.0e+00), "
            "(1.0e+00, 1.0e+00, 0.0e+00), 5.0e-01, 5.0e-01");
  EXPECT_TRUE(CanonicaliseBend(kElbow, false, 3).Key.ends_with("5.000e-01, 5.000e-01"));
  for (double angle : {0.3, 1.1, 2.5, std::numbers::pi}) {
    for (CVector3 axis : {CVector3(0, 0, 1), CVector3(1, -2, 0.5), CVector3(0, 1, 0)}) {
      Bend moved = Moved(kElbow, SomePlacement(angle, axis, {100, 250, -30}));
      moved.Colour = 0x123456;
      EXPECT_EQ(CanonicaliseBend(moved, false, 3).Key, CanonicaliseBend(kElbow, false, 3).Key);
    }
  }
  // A different angle or size is a different shape.
  const Bend wider = MakeBend({0, 0, 0}, {1, 0, 0}, {1.5, 1, 0}, 0.5, 0.5);
  EXPECT_NE(CanonicaliseBend(wider, false, 1).Key, a.Key);
  const Bend twice = MakeBend({0, 0, 0}, {2, 0, 0}, {2, 2, 0}, 1, 1);
  EXPECT_NE(CanonicaliseBend(twice, false, 1).Key, a.Key);
}

TEST(BendCanonical, ReturnBendsKeyAlikeInEveryOrientation) {
  // The chord of a 180° bend is square to its first leg, so p is 0 give or
  // take rounding, and a sign of noise must not split the key.
  const Bend ret = MakeBend({0, 0, 0}, {1, 0, 0}, {0, 2, 0}, 0.2, 0.2);
  const std::string key = CanonicaliseBend(ret, false, 2).Key;
  EXPECT_NE(key.find("(2.00e+00, 0.00e+00, 0.00e+00)"), std::string::npos) << key;
  for (double angle : {0.1, 0.9, 2.2, 4.0})
    EXPECT_EQ(
        CanonicaliseBend(Moved(ret, SomePlacement(angle, {1, 1, 1}, {7, 8, 9})), false, 2).Key,
        key);
}

TEST(BendCanonical, RefusesWhatItCannotPlace) {
  for (const Bend& b : {MakeBend({1, 1, 1}, {1, 1, 1}, {2, 2, 2}, 1, 1),
                        MakeBend({NAN, 0, 0}, {1, 0, 0}, {1, 1, 0}, 1, 1),
                        MakeBend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, INFINITY, 1)})
    for (bool normalize : {false, true}) EXPECT_FALSE(CanonicaliseBend(b, normalize, 1).IsBend);
  // Out-of-range precisions are clamped rather than passed to the stream.
  EXPECT_EQ(CanonicaliseBend(kElbow, false, -3).Key, CanonicaliseBend(kElbow, false, 0).Key);
  EXPECT_EQ(CanonicaliseBend(kElbow, false, 500).Key, CanonicaliseBend(kElbow, false, 17).Key);
}

}  // namespace
