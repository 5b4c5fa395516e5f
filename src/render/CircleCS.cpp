#include "render/CircleCS.h"

#include <cmath>
#include <numbers>

CVector3 CCircleCS::GetPoint(double t, double s) const {
  const double r = (1.0 - t) * StartRadius + t * EndRadius;
  const double a = 2.0 * std::numbers::pi * s;
  return {r * std::cos(a), r * std::sin(a), 0.0};
}
