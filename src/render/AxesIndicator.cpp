#include "render/AxesIndicator.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/gl/GLSurface.h"

namespace {

struct Axis {
  GLdouble End[3];
  GLfloat Colour[4];
  const char* Label;
};

constexpr Axis kAxes[3] = {
    {{1, 0, 0}, {1, 0, 0, 1}, "E"},
    {{0, 1, 0}, {0, 1, 0, 1}, "N"},
    {{0, 0, 1}, {0, 0, 1, 1}, "U"},
};

}  // namespace

void DrawAxesIndicator(const CGLMatrix& rotation, int size, bool top, bool right,
                       kelto::gl::CGLSurface* labels) {
  const bool withLabels = size > 10 && labels != nullptr;

  glPushAttrib(GL_SCISSOR_BIT | GL_VIEWPORT_BIT | GL_LIGHTING_BIT | GL_LINE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLint x0 = right ? viewport[2] - size + viewport[0] : viewport[0];
  const GLint y0 = top ? viewport[3] - size + viewport[1] : viewport[1];
  glViewport(x0, y0, size, size);
  glScissor(x0, y0, size, size);
  glEnable(GL_SCISSOR_TEST);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1.5, 1.5, -1.5, 1.5, 0, 4);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, 2, 0, 0, 0, 0, 1, 0);
  glMultMatrixd(rotation.data());
  glTranslated(-0.5, -0.5, -0.5);

  glClear(GL_DEPTH_BUFFER_BIT);

  // The line width is whatever the last node list left; the indicator has
  // its own.
  glLineWidth(1.0f);
  static constexpr GLfloat kNone[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kNone);
  for (const Axis& axis : kAxes) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, axis.Colour);
    glBegin(GL_LINES);
    glVertex3d(0, 0, 0);
    glVertex3dv(axis.End);
    glEnd();
    if (withLabels) {
      glRasterPos3dv(axis.End);
      labels->DrawText(axis.Label);
    }
  }

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}
