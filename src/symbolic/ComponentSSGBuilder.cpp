#include "symbolic/ComponentSSGBuilder.h"

#include <cmath>

CVector3 CComponentSSGBuilder::PlanarPerpendicular(CVector3 d, IFGraphicsBuilder& gb) {
  // A run that slopes only a little (drainage falls) is drawn as if it were
  // level, so its symbols stand upright like those of the level runs beside it.
  if (std::fabs(d.z) < kSinFiveDegrees * d.Length()) d.z = 0.0;
  return gb.Perpendicular(d);
}
