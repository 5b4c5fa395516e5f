// CStraightPathFD: a straight path whose sections all lie in planes
// perpendicular to one fixed direction, whatever the direction of the path
// itself. This is the path of a snout (an eccentric reducer): the two end
// faces stay square to the pipe while the axis between them is oblique.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/SweepPath.h"

class CStraightPathFD : public IFSweepPath {
 public:
  CStraightPathFD(const CPoint3& start, const CPoint3& end, const CVector3& fixedDir);

  int GetMinSteps() const override { return 2; }
  // Start + Axis·t (defined for every t).
  CPoint3 GetPoint(double t) const override;
  // FixedDir (constant).
  CVector3 GetDirection(double t) const override;
  // Side (constant). Zero when the axis is parallel to FixedDir (a reducer
  // without offset) or has zero length; SectionFrame then picks its own roll.
  CVector3 GetReference(double t) const override;

  CPoint3 Start;
  CPoint3 End;
  CVector3 FixedDir;  // as given, not normalised
  CVector3 Side;      // Axis × FixedDir
  CVector3 Axis;      // End − Start
};
