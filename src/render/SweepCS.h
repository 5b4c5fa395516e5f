// IFSweepCS: a cross-section swept along an IFSweepPath.
//
// The section lives in its own plane (z = 0 of the section frame) and may
// change along the path, so it is evaluated at the path parameter t as well as
// at its own parameter s in [0, 1]. Like the path, it must extend smoothly a
// little outside both ranges, where the sweep takes its finite differences.
#pragma once

#include "core/Vector3.h"

class IFSweepCS {
 public:
  virtual ~IFSweepCS() = default;

  // The least number of intervals around the section.
  virtual int GetMinSteps() const = 0;
  // A point of the section in its local plane (z = 0).
  virtual CVector3 GetPoint(double t, double s) const = 0;
};
