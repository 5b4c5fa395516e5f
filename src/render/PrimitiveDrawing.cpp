#include "render/PrimitiveDrawing.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/Primitive.h"
#include "render/CurvePath.h"
#include "render/MeshDrawing.h"
#include "render/QuadricDrawing.h"

namespace {

void DrawSwept(const CSweptGeometry& g, bool twoSided, bool caps, int edges) {
  DrawMesh(g.Mesh, twoSided);
  if (!caps) return;
  for (const CCapDisc& cap : g.Caps) {
    if (twoSided) {
      DrawDisc(cap.Centre, cap.Diameter, cap.Normal, true, edges);
    } else {
      DrawFacingDisc(cap.Centre, cap.Diameter, cap.Normal, edges);
    }
  }
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

void DrawPrimitive(const CPrimitive& primitive, const CTessellationOptions& options,
                   bool twoSided) {
  if (const auto* line = primitive.GetLine()) {
    DrawLine(line->Start, line->End);
  } else if (const auto* cone = primitive.GetCone()) {
    DrawCone(cone->Start, cone->StartDiameter, cone->End, cone->EndDiameter, twoSided, true,
             options.Edges, options.CylStacks);
  } else if (const auto* bend = primitive.GetCurvedCone()) {
    DrawCurvedCone(bend->Start, bend->StartDiameter, bend->Centre, bend->End, bend->EndDiameter,
                   twoSided, true, options);
  } else if (const auto* snout = primitive.GetSnout()) {
    DrawSnout(snout->Start, snout->StartDiameter, snout->End, snout->EndDiameter, snout->Direction,
              true, true, options);
  } else if (const auto* circle = primitive.GetCircle()) {
    DrawDisc(circle->Centre, circle->Diameter, circle->Direction, false, options.Edges);
  }
}

void DrawCentreLine(const CPrimitive& primitive, int steps) {
  const auto* cone = primitive.GetCone();
  const auto* bend = primitive.GetCurvedCone();
  if (!cone && !bend) return;
  glDisable(GL_LIGHTING);
  if (cone) {
    DrawLine(cone->Start, cone->End);
  } else {
    const CCurvePath path(bend->Start, bend->Centre, bend->End);
    steps = std::max(steps, path.GetMinSteps());
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= steps; ++i) {
      const CPoint3 p = i == steps ? bend->End : path.GetPoint(static_cast<double>(i) / steps);
      glVertex3d(p.x, p.y, p.z);
    }
    glEnd();
  }
  glEnable(GL_LIGHTING);
}

CTessellationOptions ReducedTessellation(const CTessellationOptions& full) {
  CTessellationOptions reduced = full;
  reduced.Edges = std::min(full.Edges, 8);
  reduced.BendSteps = std::min(full.BendSteps, 4);
  reduced.CylStacks = std::min(full.CylStacks, 1);
  return reduced;
}
