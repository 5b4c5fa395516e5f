// CPoint2: a 2D position (two doubles). A screen point is in pixels with y
// measured upwards from the bottom of the client area.
#pragma once

#include <cmath>

#include "core/Vector2.h"

struct CPoint2 {
  double x = 0.0;
  double y = 0.0;

  constexpr CPoint2() = default;
  constexpr CPoint2(double x_, double y_) : x(x_), y(y_) {}
  constexpr explicit CPoint2(const CVector2& v) : x(v.x), y(v.y) {}

  constexpr CPoint2& operator+=(const CVector2& v) {
    x += v.x;
    y += v.y;
    return *this;
  }
  constexpr CPoint2& operator-=(const CVector2& v) {
    x -= v.x;
    y -= v.y;
    return *this;
  }

  constexpr CVector2 AsVector() const { return {x, y}; }
  double DistanceTo(const CPoint2& p) const { return std::hypot(x - p.x, y - p.y); }

  constexpr bool operator==(const CPoint2&) const = default;
};

constexpr CVector2 operator-(const CPoint2& a, const CPoint2& b) { return {a.x - b.x, a.y - b.y}; }
constexpr CPoint2 operator+(CPoint2 p, const CVector2& v) { return p += v; }
constexpr CPoint2 operator+(const CVector2& v, CPoint2 p) { return p += v; }
constexpr CPoint2 operator-(CPoint2 p, const CVector2& v) { return p -= v; }
