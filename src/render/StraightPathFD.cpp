#include "render/StraightPathFD.h"

// Side is declared before Axis, so it is computed from the end points rather
// than from the not yet initialised Axis.
CStraightPathFD::CStraightPathFD(const CPoint3& start, const CPoint3& end, const CVector3& fixedDir)
    : Start(start),
      End(end),
      FixedDir(fixedDir),
      Side((end - start).Cross(fixedDir)),
      Axis(end - start) {}

CPoint3 CStraightPathFD::GetPoint(double t) const { return Start + Axis * t; }

CVector3 CStraightPathFD::GetDirection(double /*t*/) const { return FixedDir; }

CVector3 CStraightPathFD::GetReference(double /*t*/) const { return Side; }
