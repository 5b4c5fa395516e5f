// CCurvePath: the path of a bend, given as the piping data gives a bend:
// its two end points and its centre point, where the two end tangents meet
// (the corner, not the centre of the arc's circle).
//
// With θ = t·π/2 the point is Start + T1·(1 − cos θ) + T0·sin θ: the affine
// image of a quarter circle, tangent to T0 at Start and to T1 at End. For a
// right-angled bend with equal legs it is exactly the circular arc of radius
// |T0|. The formula is defined for every t, so the sweep's evaluations just
// outside [0, 1] continue the arc smoothly.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/SweepPath.h"

class CCurvePath : public IFSweepPath {
 public:
  CCurvePath(const CPoint3& start, const CPoint3& centre, const CPoint3& end);

  // Two intervals is the fewest that still shows the bend as bent.
  int GetMinSteps() const override { return 2; }
  CPoint3 GetPoint(double t) const override;
  // dP/dθ = T0·cos θ + T1·sin θ, not normalised.
  CVector3 GetDirection(double t) const override;
  // The bend plane's normal T0 × T1 (constant). It is zero when the three
  // points are collinear; SectionFrame then picks its own roll.
  CVector3 GetReference(double t) const override;

  CPoint3 Start;
  CPoint3 Centre;
  CPoint3 End;
  CVector3 T0;      // Centre − Start
  CVector3 T1;      // End − Centre
  CVector3 Normal;  // T0 × T1
};
