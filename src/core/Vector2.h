// CVector2: a 2D displacement (two doubles). Screen vectors are in pixels
// with y upwards.
#pragma once

#include <cmath>

struct CVector2 {
  double x = 0.0;
  double y = 0.0;

  constexpr CVector2() = default;
  constexpr CVector2(double x_, double y_) : x(x_), y(y_) {}

  constexpr CVector2& operator+=(const CVector2& v) {
    x += v.x;
    y += v.y;
    return *this;
  }
  constexpr CVector2& operator-=(const CVector2& v) {
    x -= v.x;
    y -= v.y;
    return *this;
  }
  constexpr CVector2& operator*=(double s) {
    x *= s;
    y *= s;
    return *this;
  }
  constexpr CVector2& operator/=(double s) {
    x /= s;
    y /= s;
    return *this;
  }

  constexpr double Dot(const CVector2& v) const { return x * v.x + y * v.y; }
  // z component of the 3D cross product (positive when v is anticlockwise).
  constexpr double Cross(const CVector2& v) const { return x * v.y - y * v.x; }
  // This vector turned a quarter turn anticlockwise.
  constexpr CVector2 Perpendicular() const { return {-y, x}; }
  constexpr double LengthSquared() const { return Dot(*this); }
  double Length() const { return std::sqrt(LengthSquared()); }
  // Unit vector in the same direction; a zero vector stays zero.
  CVector2 Normalised() const {
    const double len = Length();
    return len > 0.0 ? CVector2(x / len, y / len) : CVector2();
  }
  void Normalise() { *this = Normalised(); }

  constexpr bool operator==(const CVector2&) const = default;
};

constexpr CVector2 operator+(CVector2 a, const CVector2& b) { return a += b; }
constexpr CVector2 operator-(CVector2 a, const CVector2& b) { return a -= b; }
constexpr CVector2 operator-(const CVector2& v) { return {-v.x, -v.y}; }
constexpr CVector2 operator*(CVector2 v, double s) { return v *= s; }
constexpr CVector2 operator*(double s, CVector2 v) { return v *= s; }
constexpr CVector2 operator/(CVector2 v, double s) { return v /= s; }
