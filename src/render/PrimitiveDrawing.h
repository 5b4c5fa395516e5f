// The geometry the renderer emits for each kind of primitive, in the current
// GL context (normally while a display list is being recorded). Colours,
// materials and line widths are the caller's business and are set before.
//
//   Line         GL_LINES from start to end.
//   Cone         DrawCone, two-sided, with caps; Edges slices, CylStacks stacks.
//   Curved cone  TessellateCurvedCone with BendSteps × Edges; DrawMesh
//                two-sided; both caps as solid discs.
//   Snout        TessellateSnout with SnoutSteps × Edges; DrawMesh two-sided;
//                both caps as solid discs.
//   Circle       DrawDisc, outline only.
//
// One-sided drawing (twoSided false) leaves out what only the inside of an
// open primitive shows: the inner walls, and the inward face of each swept
// primitive's caps. A closed solid seen from outside looks the same; the
// renderer draws bends and cones that are a few pixels across on screen this
// way. Snouts are always drawn two-sided (their start cap may face either way
// along their direction).
//
// Swept primitives always get both caps, even of zero diameter (a degenerate
// disc draws nothing visible); a cone gets no cap at an end of zero diameter.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/PrimitiveTessellation.h"

class CPrimitive;

void DrawLine(const CPoint3& start, const CPoint3& end);

void DrawCurvedCone(const CPoint3& start, double startDiameter, const CPoint3& centre,
                    const CPoint3& end, double endDiameter, bool twoSided, bool caps,
                    const CTessellationOptions& options);

void DrawSnout(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
               const CVector3& direction, bool twoSided, bool caps,
               const CTessellationOptions& options);

// Draws one primitive by the table above; a primitive of kind 0 draws nothing.
void DrawPrimitive(const CPrimitive& primitive, const CTessellationOptions& options,
                   bool twoSided = true);

// The centre line of a cone (start to end) or of a bend (its arc in `steps`
// straight pieces), unlit in the current colour, for primitives narrower
// than a pixel on screen: drawn as surfaces they would fall between pixel
// centres and break up into specks. Lighting is switched off for the line
// and on again after it (it must be on when this is called). Other
// primitives draw nothing.
void DrawCentreLine(const CPrimitive& primitive, int steps);

// The tessellation for primitives only a few pixels across on screen: at
// most 8 edges, 4 bend steps and 1 cylinder stack (fewer when `full` asks
// for fewer). Drawn one-sided. On a circle of diameter d pixels, 8 edges stray
// at most d/2·(1 − cos 22.5°) = 0.038·d pixels from the true outline; a 90°
// bend in 4 steps strays 0.019·R from its true centre line (R its radius).
CTessellationOptions ReducedTessellation(const CTessellationOptions& full);
