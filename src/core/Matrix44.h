// CMatrix44: 4×4 doubles, element m[row][col], mapping points as
// M·(x, y, z, 1) and vectors as M·(x, y, z, 0).
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"

struct CMatrix44 {
  double m[4][4] = {};  // a default matrix is all zeros; use Identity()

  static CMatrix44 Identity();
  static CMatrix44 Translation(const CVector3& offset);
  static CMatrix44 Scaling(double sx, double sy, double sz);
  // Right-handed rotation by angle radians about axis (which need not be of
  // unit length; a zero axis gives the identity).
  static CMatrix44 Rotation(const CVector3& axis, double angle);

  CMatrix44 operator*(const CMatrix44& other) const;
  // The x, y, z rows of M·(x, y, z, 1): the affine image of the point.
  CPoint3 Transform(const CPoint3& p) const;
  // M·(x, y, z, 1) divided by its w (for projections); w = 0 leaves the
  // undivided result.
  CPoint3 TransformProjective(const CPoint3& p) const;
  // M·(x, y, z, 0): translation does not apply to vectors.
  CVector3 Transform(const CVector3& v) const;

  CMatrix44 Transposed() const;
  double Determinant() const;
  // Throws std::domain_error("Singular matrix.") when the determinant is 0.
  CMatrix44 Inverse() const;

  bool operator==(const CMatrix44& other) const;
};
