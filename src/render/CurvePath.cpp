#include "render/CurvePath.h"

#include <cmath>
#include <numbers>

namespace {

double Theta(double t) { return t * std::numbers::pi / 2.0; }

}  // namespace

CCurvePath::CCurvePath(const CPoint3& start, const CPoint3& centre, const CPoint3& end)
    : Start(start),
      Centre(centre),
      End(end),
      T0(centre - start),
      T1(end - centre),
      Normal(T0.Cross(T1)) {}

CPoint3 CCurvePath::GetPoint(double t) const {
  const double theta = Theta(t);
  return Start + T1 * (1.0 - std::cos(theta)) + T0 * std::sin(theta);
}

CVector3 CCurvePath::GetDirection(double t) const {
  const double theta = Theta(t);
  return T0 * std::cos(theta) + T1 * std::sin(theta);
}

CVector3 CCurvePath::GetReference(double /*t*/) const { return Normal; }
