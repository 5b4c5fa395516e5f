#include "render/BendCanonical.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

#include "render/Frames.h"

namespace {

// Below this sine of the angle between the legs the bend's plane is noise.
constexpr double kCollinearSine = 1e-12;
// Canonical values smaller than this fraction of the shape's size are noise.
constexpr double kNoise = 1e-9;

bool Finite(const CPoint3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double Clean(double v, double size) {
  if (std::fabs(v) < kNoise * size) return 0.0;
  return v + 0.0;  // −0 becomes +0
}

}  // namespace

std::string BendKey(const CPrimitive::CurvedCone& shape, int keyPrecision) {
  // std::to_chars writes what printf's "%.*e" writes, in the C locale, and
  // without printf's multi-precision arithmetic: keys are made for every
  // bend of every rebuild.
  const int precision = std::clamp(keyPrecision, 0, kMaxKeyPrecision);
  std::string key = "CurvedCone : ";
  const auto number = [&](double v) {
    char text[40];
    const auto end =
        std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, precision).ptr;
    key.append(text, end);
  };
  const auto point = [&](const CPoint3& p) {
    key += '(';
    number(p.x);
    key += ", ";
    number(p.y);
    key += ", ";
    number(p.z);
    key += ')';
  };
  point(shape.Start);
  key += ", ";
  point(shape.Centre);
  key += ", ";
  point(shape.End);
  key += ", ";
  number(shape.StartDiameter);
  key += ", ";
  number(shape.EndDiameter);
  return key;
}

CCanonicalBend CanonicaliseBend(const CPrimitive::CurvedCone& bend, bool normalizeScale,
                                int keyPrecision, bool withKey) {
  CCanonicalBend result;
  if (!Finite(bend.Start) || !Finite(bend.Centre) || !Finite(bend.End) ||
      !std::isfinite(bend.StartDiameter) || !std::isfinite(bend.EndDiameter)) {
    return result;
  }
  const CVector3 toCentre = bend.Centre - bend.Start;
  const CVector3 toEnd = bend.End - bend.Start;
  const double l1 = toCentre.Length();
  const double l2 = toEnd.Length();
  if (!(l1 > 0.0) || !std::isfinite(l1) || !std::isfinite(l2)) return result;
  const CVector3 a = UnitVector(toCentre);
  const CVector3 b = UnitVector(toEnd);

  const double s = normalizeScale ? l1 : 1.0;
  const double d = l2 / s;
  const double p = std::clamp(a.Dot(b), -1.0, 1.0) * d;
  const double centreY = l1 / s;
  const double startDiameter = bend.StartDiameter / s;
  const double endDiameter = bend.EndDiameter / s;
  const double size = std::max({centreY, d, std::fabs(startDiameter), std::fabs(endDiameter)});

  CPrimitive::CurvedCone& shape = result.Shape;
  shape.Start = {0.0, 0.0, 0.0};
  shape.Centre = {0.0, Clean(centreY, size), 0.0};
  shape.End = {Clean(std::sqrt(std::max(0.0, d * d - p * p)), size), Clean(p, size), 0.0};
  shape.StartDiameter = Clean(startDiameter, size);
  shape.EndDiameter = Clean(endDiameter, size);
  shape.Colour = 0;

  const CVector3 normal = a.Cross(b);
  CVector3 x, z;
  if (normal.Length() > kCollinearSine) {
    x = UnitVector(normal.Cross(a));
    z = -UnitVector(normal);
  } else {
    z = AnyPerpendicular(a);
    x = a.Cross(z);
  }
  const CVector3 columns[3] = {x, a, z};
  for (int col = 0; col < 3; ++col) {
    result.Matrix[col * 4 + 0] = columns[col].x;
    result.Matrix[col * 4 + 1] = columns[col].y;
    result.Matrix[col * 4 + 2] = columns[col].z;
    result.Matrix[col * 4 + 3] = 0.0;
  }
  result.Matrix[12] = bend.Start.x;
  result.Matrix[13] = bend.Start.y;
  result.Matrix[14] = bend.Start.z;
  result.Matrix[15] = 1.0;

  result.Scale = s;
  if (withKey) result.Key = BendKey(shape, keyPrecision);
  result.IsBend = true;
  return result;
}
