// CPoint3: a 3D position (three doubles). A point minus a point is a vector,
// a point plus a vector is a point.
#pragma once

#include <cmath>

#include "core/Vector3.h"

struct CPoint3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  constexpr CPoint3() = default;
  constexpr CPoint3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  constexpr explicit CPoint3(const CVector3& v) : x(v.x), y(v.y), z(v.z) {}

  constexpr CPoint3& operator+=(const CVector3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  constexpr CPoint3& operator-=(const CVector3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }

  // The position vector from the origin.
  constexpr CVector3 AsVector() const { return {x, y, z}; }
  double DistanceTo(const CPoint3& p) const {
    return std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) + (z - p.z) * (z - p.z));
  }
  // The builders' notion of "the same point": every coordinate differs by
  // less than the tolerance (0.001 model units unless told otherwise).
  bool IsEqual(const CPoint3& p, double tolerance = 0.001) const {
    return std::fabs(x - p.x) < tolerance && std::fabs(y - p.y) < tolerance &&
           std::fabs(z - p.z) < tolerance;
  }

  // Exact comparison; use IsEqual for geometric coincidence.
  constexpr bool operator==(const CPoint3&) const = default;
};

constexpr CVector3 operator-(const CPoint3& a, const CPoint3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr CPoint3 operator+(CPoint3 p, const CVector3& v) { return p += v; }
constexpr CPoint3 operator+(const CVector3& v, CPoint3 p) { return p += v; }
constexpr CPoint3 operator-(CPoint3 p, const CVector3& v) { return p -= v; }
