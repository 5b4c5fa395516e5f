// The tessellation of the two swept primitives, as data: the mesh of a bend
// (curved cone) or a snout and the two discs that close its ends. Pure
// geometry; PrimitiveDrawing emits it.
//
// CTessellationOptions carries the four step counts the renderer exposes as
// options under the same names; a renderer can register its fields directly.
#pragma once

#include <array>

#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/ContQuadMesh.h"

struct CTessellationOptions {
  int Edges = 16;      // slices round every circular section (raised to 8 in sweeps)
  int BendSteps = 8;   // path intervals of curved cones (raised to 2)
  int CylStacks = 2;   // stacks of cone cylinders
  int SnoutSteps = 1;  // path intervals of snouts (raised to 2)
};

// A filled end disc, visible from both sides.
struct CCapDisc {
  CPoint3 Centre;
  double Diameter = 0.0;
  CVector3 Normal;
};

struct CSweptGeometry {
  CContQuadMesh Mesh;
  std::array<CCapDisc, 2> Caps;  // at the start, then at the end
};

// A circle of the two diameters swept along the bend through start, centre
// (the tangents' intersection) and end, with `bendSteps` path and `edges`
// section intervals. Caps at start (normal start − centre) and end (normal
// end − centre): each faces away from the bend's corner, along its leg.
CSweptGeometry TessellateCurvedCone(const CPoint3& start, double startDiameter,
                                    const CPoint3& centre, const CPoint3& end, double endDiameter,
                                    int bendSteps, int edges);

// A circle of the two diameters swept straight from start to end with every
// section perpendicular to `direction`, with `snoutSteps` path and `edges`
// section intervals. Caps at start (normal direction) and end (normal
// −direction); both end faces lie square to `direction`, however oblique the
// axis start → end is to it.
CSweptGeometry TessellateSnout(const CPoint3& start, double startDiameter, const CPoint3& end,
                               double endDiameter, const CVector3& direction, int snoutSteps,
                               int edges);
