// CCircleCS: a circular section whose radius varies linearly along the path,
// from StartRadius at t = 0 to EndRadius at t = 1 (and beyond, linearly, for
// the sweep's finite differences). s runs once round the circle
// anticlockwise about the section frame's z axis, starting on its x axis.
#pragma once

#include "core/Vector3.h"
#include "render/SweepCS.h"

class CCircleCS : public IFSweepCS {
 public:
  CCircleCS(double startRadius, double endRadius)
      : StartRadius(startRadius), EndRadius(endRadius) {}

  // Fewer than eight intervals no longer reads as a round pipe.
  int GetMinSteps() const override { return 8; }
  CVector3 GetPoint(double t, double s) const override;

  double StartRadius;
  double EndRadius;
};
