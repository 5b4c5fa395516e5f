// CVector3: a 3D displacement (three doubles). World axes: x east, y north,
// z up; the cross product is right-handed.
#pragma once

#include <cmath>

struct CVector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  constexpr CVector3() = default;
  constexpr CVector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

  constexpr CVector3& operator+=(const CVector3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  constexpr CVector3& operator-=(const CVector3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  constexpr CVector3& operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  constexpr CVector3& operator/=(double s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
  }

  constexpr double Dot(const CVector3& v) const { return x * v.x + y * v.y + z * v.z; }
  constexpr CVector3 Cross(const CVector3& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
  }
  constexpr double LengthSquared() const { return Dot(*this); }
  double Length() const { return std::sqrt(LengthSquared()); }

  // Unit vector in the same direction; a zero vector stays zero.
  CVector3 Normalised() const {
    const double len = Length();
    return len > 0.0 ? CVector3(x / len, y / len, z / len) : CVector3();
  }
  void Normalise() { *this = Normalised(); }
  constexpr bool IsZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }

  constexpr bool operator==(const CVector3&) const = default;
};

constexpr CVector3 operator+(CVector3 a, const CVector3& b) { return a += b; }
constexpr CVector3 operator-(CVector3 a, const CVector3& b) { return a -= b; }
constexpr CVector3 operator-(const CVector3& v) { return {-v.x, -v.y, -v.z}; }
constexpr CVector3 operator*(CVector3 v, double s) { return v *= s; }
constexpr CVector3 operator*(double s, CVector3 v) { return v *= s; }
constexpr CVector3 operator/(CVector3 v, double s) { return v /= s; }
