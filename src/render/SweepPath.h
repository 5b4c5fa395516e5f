// IFSweepPath: a path through space along which a cross-section is swept.
//
// The parameter t runs over [0, 1] from the start of the path to its end, but
// the sweep also evaluates a little outside that range (t ± 0.01 at the first
// and last section) to estimate normals by finite differences, so every path
// must extend smoothly beyond its ends.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"

class IFSweepPath {
 public:
  virtual ~IFSweepPath() = default;

  // The least number of path intervals a sweep of this path may use.
  virtual int GetMinSteps() const = 0;
  // The path point at t.
  virtual CPoint3 GetPoint(double t) const = 0;
  // The direction the path runs at t (any length). The section plane is
  // perpendicular to it and the section's local z axis is its opposite.
  virtual CVector3 GetDirection(double t) const = 0;
  // A vector that fixes the roll of the section frame about the direction
  // (see SectionFrame in render/Frames.h).
  virtual CVector3 GetReference(double t) const = 0;
};
