#include "render/PrimitiveDrawing.h"

#include <GL/gl.h>

#include "core/Primitive.h"
#include "render/MeshDrawing.h"
#include "render/QuadricDrawing.h"

namespace {

void DrawSwept(const CSweptGeometry& g, bool twoSided, bool caps, int edges) {
  DrawMesh(g.Mesh, twoSided);
  if (!caps) return;
  for (const CCapDisc& cap : g.Caps) DrawDisc(cap.Centre, cap.Diameter, cap.Normal, true, edges);
}

}  // namespace

void DrawLine(const CPoint3& start, const CPoint3& end) {
  glBegin(GL_LINES);
  glVertex3d(start.x, start.y, start.z);
  glVertex3d(end.x, end.y, end.z);
  glEnd();
}

void DrawCurvedCone(const CPoint3& start, double startDiameter, const CPoint3& centre,
                    const CPoint3& end, double endDiameter, bool twoSided, bool caps,
                    const CTessellationOptions& options) {
  const CSweptGeometry g = TessellateCurvedCone(start, startDiameter, centre, end, endDiameter,
                                                options.BendSteps, options.Edges);
  DrawSwept(g, twoSided, caps, options.Edges);
}

void DrawSnout(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
               const CVector3& direction, bool twoSided, bool caps,
               const CTessellationOptions& options) {
  const CSweptGeometry g = TessellateSnout(start, startDiameter, end, endDiameter, direction,
                                           options.SnoutSteps, options.Edges);
  DrawSwept(g, twoSided, caps, options.Edges);
}

void DrawPrimitive(const CPrimitive& primitive, const CTessellationOptions& options) {
  if (const auto* line = primitive.GetLine()) {
    DrawLine(line->Start, line->End);
  } else if (const auto* cone = primitive.GetCone()) {
    DrawCone(cone->Start, cone->StartDiameter, cone->End, cone->EndDiameter, true, true,
             options.Edges, options.CylStacks);
  } else if (const auto* bend = primitive.GetCurvedCone()) {
    DrawCurvedCone(bend->Start, bend->StartDiameter, bend->Centre, bend->End, bend->EndDiameter,
                   true, true, options);
  } else if (const auto* snout = primitive.GetSnout()) {
    DrawSnout(snout->Start, snout->StartDiameter, snout->End, snout->EndDiameter, snout->Direction,
              true, true, options);
  } else if (const auto* circle = primitive.GetCircle()) {
    DrawDisc(circle->Centre, circle->Diameter, circle->Direction, false, options.Edges);
  }
}
