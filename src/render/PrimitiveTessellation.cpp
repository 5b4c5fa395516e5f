#include "render/PrimitiveTessellation.h"

#include "render/CircleCS.h"
#include "render/CurvePath.h"
#include "render/StraightPathFD.h"
#include "render/Sweep.h"

CSweptGeometry TessellateCurvedCone(const CPoint3& start, double startDiameter,
                                    const CPoint3& centre, const CPoint3& end, double endDiameter,
                                    int bendSteps, int edges) {
  CSweptGeometry g;
  const CCurvePath path(start, centre, end);
  const CCircleCS section(startDiameter / 2.0, endDiameter / 2.0);
  Sweep(g.Mesh, path, bendSteps, section, edges);
  g.Caps[0] = {start, startDiameter, start - centre};
  g.Caps[1] = {end, endDiameter, end - centre};
  return g;
}

CSweptGeometry TessellateSnout(const CPoint3& start, double startDiameter, const CPoint3& end,
                               double endDiameter, const CVector3& direction, int snoutSteps,
                               int edges) {
  CSweptGeometry g;
  const CStraightPathFD path(start, end, direction);
  const CCircleCS section(startDiameter / 2.0, endDiameter / 2.0);
  Sweep(g.Mesh, path, snoutSteps, section, edges);
  g.Caps[0] = {start, startDiameter, direction};
  g.Caps[1] = {end, endDiameter, -direction};
  return g;
}
