#include "render/MeshDrawing.h"

#include <GL/gl.h>

#include "render/ContQuadMesh.h"

namespace {

void Emit(const CVector3& n, const CPoint3& p, bool negate) {
  if (negate) {
    glNormal3d(-n.x, -n.y, -n.z);
  } else {
    glNormal3d(n.x, n.y, n.z);
  }
  glVertex3d(p.x, p.y, p.z);
}

}  // namespace

void DrawMesh(const CContQuadMesh& mesh, bool twoSided) {
  for (int v = 1; v < mesh.VSize; ++v) {
    glBegin(GL_QUAD_STRIP);
    for (int u = 0; u < mesh.USize; ++u) {
      Emit(mesh.Normal(u, v - 1), mesh.Point(u, v - 1), false);
      Emit(mesh.Normal(u, v), mesh.Point(u, v), false);
    }
    glEnd();
    if (!twoSided) continue;
    glBegin(GL_QUAD_STRIP);
    for (int u = 0; u < mesh.USize; ++u) {
      Emit(mesh.Normal(u, v), mesh.Point(u, v), true);
      Emit(mesh.Normal(u, v - 1), mesh.Point(u, v - 1), true);
    }
    glEnd();
  }
}
