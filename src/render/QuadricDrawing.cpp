#include "render/QuadricDrawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>

#include "render/Frames.h"

namespace {

// Pushes the quadric frame onto the model-view stack for the lifetime of the
// object, and owns the GLU quadric drawn in it.
class CQuadricScope {
 public:
  CQuadricScope(const CVector3& axis, const CPoint3& origin) : q_(gluNewQuadric()) {
    if (!q_) return;  // out of memory: draw nothing, push nothing
    const std::array<double, 16> frame = QuadricFrame(axis, origin);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(frame.data());
  }
  ~CQuadricScope() {
    if (!q_) return;
    gluDeleteQuadric(q_);
    glPopMatrix();
  }
  CQuadricScope(const CQuadricScope&) = delete;
  CQuadricScope& operator=(const CQuadricScope&) = delete;

  GLUquadric* get() const { return q_; }

 private:
  GLUquadric* q_;
};

}  // namespace

void DrawDisc(const CPoint3& centre, double diameter, const CVector3& normal, bool solid,
              int edges) {
  if (normal.IsZero()) return;
  CQuadricScope scope(normal, centre);
  GLUquadric* q = scope.get();
  if (!q) return;
  const double radius = diameter * 0.5;
  gluQuadricNormals(q, GLU_FLAT);
  gluQuadricDrawStyle(q, solid ? GLU_FILL : GLU_SILHOUETTE);
  gluQuadricOrientation(q, GLU_OUTSIDE);
  gluDisk(q, 0.0, radius, edges, 1);
  if (solid) {
    gluQuadricOrientation(q, GLU_INSIDE);
    gluDisk(q, 0.0, radius, edges, 1);
  }
}

void DrawCone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
              bool twoSided, bool caps, int edges, int stacks) {
  const CVector3 axis = start - end;
  if (axis.IsZero()) return;
  CQuadricScope scope(axis, end);
  GLUquadric* q = scope.get();
  if (!q) return;
  const double length = axis.Length();
  const double base = endDiameter * 0.5;
  const double top = startDiameter * 0.5;
  gluQuadricNormals(q, GLU_SMOOTH);
  gluQuadricOrientation(q, GLU_OUTSIDE);
  gluCylinder(q, base, top, length, edges, stacks);
  if (twoSided) {
    gluQuadricOrientation(q, GLU_INSIDE);
    gluCylinder(q, base, top, length, edges, stacks);
  }
  if (!caps) return;
  if (endDiameter > 0.0) {
    // At the local origin, facing down the local z axis: away from the cone.
    gluQuadricOrientation(q, GLU_INSIDE);
    gluDisk(q, 0.0, base, edges, 1);
  }
  if (startDiameter > 0.0) {
    glTranslated(0.0, 0.0, length);
    gluQuadricOrientation(q, GLU_OUTSIDE);
    gluDisk(q, 0.0, top, edges, 1);
  }
}
