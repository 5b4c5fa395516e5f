// Three doubles: a position or a direction in model units (x east, y north, z up).
#pragma once

#include <cmath>

namespace kelto::data {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  friend Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
  friend bool operator==(const Vec3&, const Vec3&) = default;

  double Length() const { return std::sqrt(x * x + y * y + z * z); }
};

// The piping-wide notion of "the same place": every coordinate closer than this.
inline constexpr double kCoincidenceTolerance = 0.001;

inline bool Coincident(const Vec3& a, const Vec3& b) {
  return std::fabs(a.x - b.x) < kCoincidenceTolerance &&
         std::fabs(a.y - b.y) < kCoincidenceTolerance &&
         std::fabs(a.z - b.z) < kCoincidenceTolerance;
}

}  // namespace kelto::data
