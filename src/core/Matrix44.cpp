#include "core/Matrix44.h"

#include <cmath>
#include <stdexcept>
#include <utility>

CMatrix44 CMatrix44::Identity() {
  CMatrix44 r;
  for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0;
  return r;
}

CMatrix44 CMatrix44::Translation(const CVector3& offset) {
  CMatrix44 r = Identity();
  r.m[0][3] = offset.x;
  r.m[1][3] = offset.y;
  r.m[2][3] = offset.z;
  return r;
}

CMatrix44 CMatrix44::Scaling(double sx, double sy, double sz) {
  CMatrix44 r = Identity();
  r.m[0][0] = sx;
  r.m[1][1] = sy;
  r.m[2][2] = sz;
  return r;
}

CMatrix44 CMatrix44::Rotation(const CVector3& axis, double angle) {
  const CVector3 u = axis.Normalised();
  if (u.IsZero()) return Identity();
  // Rodrigues' formula: R = cI + s[u]x + (1 - c) u uᵀ.
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double t = 1.0 - c;
  CMatrix44 r = Identity();
  r.m[0][0] = c + t * u.x * u.x;
  r.m[0][1] = t * u.x * u.y - s * u.z;
  r.m[0][2] = t * u.x * u.z + s * u.y;
  r.m[1][0] = t * u.y * u.x + s * u.z;
  r.m[1][1] = c + t * u.y * u.y;
  r.m[1][2] = t * u.y * u.z - s * u.x;
  r.m[2][0] = t * u.z * u.x - s * u.y;
  r.m[2][1] = t * u.z * u.y + s * u.x;
  r.m[2][2] = c + t * u.z * u.z;
  return r;
}

CMatrix44 CMatrix44::operator*(const CMatrix44& o) const {
  CMatrix44 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += m[i][k] * o.m[k][j];
      r.m[i][j] = sum;
    }
  }
  return r;
}

CPoint3 CMatrix44::Transform(const CPoint3& p) const {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

CPoint3 CMatrix44::TransformProjective(const CPoint3& p) const {
  const CPoint3 r = Transform(p);
  const double w = m[3][0] * p.x + m[3][1] * p.y + m[3][2] * p.z + m[3][3];
  if (w == 0.0) return r;
  return {r.x / w, r.y / w, r.z / w};
}

CVector3 CMatrix44::Transform(const CVector3& v) const {
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

CMatrix44 CMatrix44::Transposed() const {
  CMatrix44 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = m[j][i];
  return r;
}

double CMatrix44::Determinant() const {
  // Laplace expansion along the first row over 3×3 minors.
  auto minor3 = [this](int skipCol) {
    int c[3];
    for (int j = 0, k = 0; j < 4; ++j)
      if (j != skipCol) c[k++] = j;
    return m[1][c[0]] * (m[2][c[1]] * m[3][c[2]] - m[2][c[2]] * m[3][c[1]]) -
           m[1][c[1]] * (m[2][c[0]] * m[3][c[2]] - m[2][c[2]] * m[3][c[0]]) +
           m[1][c[2]] * (m[2][c[0]] * m[3][c[1]] - m[2][c[1]] * m[3][c[0]]);
  };
  return m[0][0] * minor3(0) - m[0][1] * minor3(1) + m[0][2] * minor3(2) - m[0][3] * minor3(3);
}

CMatrix44 CMatrix44::Inverse() const {
  // Gauss-Jordan elimination with partial pivoting.
  double a[4][8];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m[i][j];
      a[i][j + 4] = i == j ? 1.0 : 0.0;
    }
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int row = col + 1; row < 4; ++row)
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
    if (a[pivot][col] == 0.0) throw std::domain_error("Singular matrix.");
    if (pivot != col) std::swap(a[pivot], a[col]);
    const double inv = 1.0 / a[col][col];
    for (int j = 0; j < 8; ++j) a[col][j] *= inv;
    for (int row = 0; row < 4; ++row) {
      if (row == col || a[row][col] == 0.0) continue;
      const double f = a[row][col];
      for (int j = 0; j < 8; ++j) a[row][j] -= f * a[col][j];
    }
  }
  CMatrix44 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = a[i][j + 4];
  return r;
}

bool CMatrix44::operator==(const CMatrix44& o) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m[i][j] != o.m[i][j]) return false;
  return true;
}
