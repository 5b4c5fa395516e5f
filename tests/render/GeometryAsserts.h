// Small assertions shared by the tessellation tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "core/Point3.h"
#include "core/Vector3.h"

inline bool IsFinite(const CVector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
inline bool IsFinite(const CPoint3& p) { return IsFinite(p.AsVector()); }

#define EXPECT_VEC_NEAR(a, b, tol)  \
  do {                              \
    const auto va_ = (a);           \
    const auto vb_ = (b);           \
    EXPECT_NEAR(va_.x, vb_.x, tol); \
    EXPECT_NEAR(va_.y, vb_.y, tol); \
    EXPECT_NEAR(va_.z, vb_.z, tol); \
  } while (0)
