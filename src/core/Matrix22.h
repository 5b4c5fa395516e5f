// CMatrix22: 2×2 doubles, element m[row][col], with determinant, inverse and
// product with a 2D vector (the symbol frame's change of coordinates).
#pragma once

#include "core/Vector2.h"

struct CMatrix22 {
  double m[2][2] = {};

  constexpr CMatrix22() = default;
  constexpr CMatrix22(double a, double b, double c, double d) : m{{a, b}, {c, d}} {}
  static constexpr CMatrix22 Identity() { return {1.0, 0.0, 0.0, 1.0}; }
  // The matrix whose columns are the two vectors.
  static constexpr CMatrix22 FromColumns(const CVector2& c0, const CVector2& c1) {
    return {c0.x, c1.x, c0.y, c1.y};
  }

  constexpr double Determinant() const { return m[0][0] * m[1][1] - m[0][1] * m[1][0]; }
  // A singular matrix has no inverse: throws std::domain_error("Singular
  // matrix.") rather than handing back infinities.
  CMatrix22 Inverse() const;

  constexpr CVector2 operator*(const CVector2& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y, m[1][0] * v.x + m[1][1] * v.y};
  }
  constexpr CMatrix22 operator*(const CMatrix22& o) const {
    return {m[0][0] * o.m[0][0] + m[0][1] * o.m[1][0], m[0][0] * o.m[0][1] + m[0][1] * o.m[1][1],
            m[1][0] * o.m[0][0] + m[1][1] * o.m[1][0], m[1][0] * o.m[0][1] + m[1][1] * o.m[1][1]};
  }
  constexpr bool operator==(const CMatrix22& o) const {
    return m[0][0] == o.m[0][0] && m[0][1] == o.m[0][1] && m[1][0] == o.m[1][0] &&
           m[1][1] == o.m[1][1];
  }
};
