#include "render/Frames.h"

#include <algorithm>
#include <cmath>

#include "render/SweepPath.h"

namespace {

// Below this sine of the angle between the section direction and its
// reference, the cross product of the two is dominated by rounding and its
// direction is meaningless, so the roll is treated as undefined.
constexpr double kParallelSine = 1e-12;

}  // namespace

CVector3 UnitVector(const CVector3& v) {
  if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return {};
  const double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  if (m == 0.0) return {};
  // Scaling by the largest component first keeps the squares in range.
  const CVector3 w = v / m;
  return w / w.Length();
}

CVector3 AnyPerpendicular(const CVector3& v) {
  const CVector3 u = UnitVector(v);
  if (u.IsZero()) return {};
  // Crossing with the world axis least aligned with u is well conditioned:
  // the angle between them is at least about 54.7°.
  const double ax = std::fabs(u.x), ay = std::fabs(u.y), az = std::fabs(u.z);
  CVector3 e(0.0, 0.0, 1.0);
  if (ax <= ay && ax <= az) {
    e = {1.0, 0.0, 0.0};
  } else if (ay <= az) {
    e = {0.0, 1.0, 0.0};
  }
  return UnitVector(u.Cross(e));
}

CMatrix44 SectionFrame(const IFSweepPath& path, double t) {
  const CVector3 d = path.GetDirection(t);
  const CVector3 r = path.GetReference(t);
  const CPoint3 p = path.GetPoint(t);

  const CVector3 z = UnitVector(-d);
  // normalise((−D) × R) has the direction of Z × unit(R); working with unit
  // vectors makes the parallel test independent of the path's scale.
  const CVector3 c = z.Cross(UnitVector(r));
  const CVector3 x = c.Length() > kParallelSine ? UnitVector(c) : AnyPerpendicular(z);
  const CVector3 y = z.Cross(x);

  CMatrix44 f = CMatrix44::Identity();
  const CVector3 columns[3] = {x, y, z};
  for (int col = 0; col < 3; ++col) {
    f.m[0][col] = columns[col].x;
    f.m[1][col] = columns[col].y;
    f.m[2][col] = columns[col].z;
  }
  f.m[0][3] = p.x;
  f.m[1][3] = p.y;
  f.m[2][3] = p.z;
  return f;
}

std::array<double, 16> QuadricFrame(const CVector3& axis, const CPoint3& origin) {
  const CVector3 reference =
      axis.x == 0.0 && axis.y == 0.0 ? CVector3(0.0, 1.0, 0.0) : CVector3(0.0, 0.0, 1.0);
  const CVector3 z = UnitVector(axis);
  CVector3 x = UnitVector(axis.Cross(reference));
  if (x.IsZero()) x = AnyPerpendicular(z);
  const CVector3 y = z.Cross(x);
  return {x.x,      x.y,      x.z,      0.0,  //
          y.x,      y.y,      y.z,      0.0,  //
          z.x,      z.y,      z.z,      0.0,  //
          origin.x, origin.y, origin.z, 1.0};
}
