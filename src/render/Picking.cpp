#include "render/Picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

CHitList DecodeSelectionBuffer(std::span<const std::uint32_t> buffer, int records,
                               const NameResolver& resolve) {
  CHitList hits;
  if (records <= 0) return hits;
  std::size_t at = 0;
  for (int i = 0; i < records; ++i) {
    if (at + 3 > buffer.size()) break;
    const std::uint32_t count = buffer[at];
    if (count > buffer.size() - at - 3) break;
    if (count > 0) {
      CModelNode* node = resolve ? resolve(buffer[at + 3 + count - 1]) : nullptr;
      if (node) {
        hits.push_back({node, buffer[at + 1] / 4294967295.0, buffer[at + 2] / 4294967295.0});
      }
    }
    at += static_cast<std::size_t>(count) + 3;
  }
  std::stable_sort(hits.begin(), hits.end(), [](const CHitRecord& a, const CHitRecord& b) {
    return a.MinDepth < b.MinDepth;
  });
  return hits;
}

void PushPickMatrix(double x, double y, double size) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  GLdouble projection[16];
  GLint viewport[4];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glLoadIdentity();
  gluPickMatrix(x, y, size, size, viewport);
  glMultMatrixd(projection);
  glMatrixMode(GL_MODELVIEW);
}

CHitList SelectionPass(const std::function<void()>& draw, const NameResolver& resolve) {
  std::vector<GLuint> buffer(kSelectionBufferSize);
  for (;;) {
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    if (draw) draw();
    const int records = glRenderMode(GL_RENDER);
    if (records >= 0 || buffer.size() >= kSelectionBufferLimit) {
      return DecodeSelectionBuffer(std::span<const std::uint32_t>(buffer.data(), buffer.size()),
                                   records, resolve);
    }
    buffer.assign(buffer.size() * 2, 0);
  }
}

CHitList SelectionPass(unsigned list, const NameResolver& resolve) {
  return SelectionPass(
      [list] {
        if (list != 0) glCallList(list);
      },
      resolve);
}

bool BoxMayCoverRegion(const CBoundBox& box, const CCameraMatrices& camera, double x0, double y0,
                       double x1, double y1) {
  if (box.IsEmpty()) return false;
  const CMatrix44 clip = camera.Projection * camera.ModelView;
  const CPoint3& lo = box.GetMin();
  const CPoint3& hi = box.GetMax();
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int corner = 0; corner < 8; ++corner) {
    const double p[4] = {corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                         corner & 4 ? hi.z : lo.z, 1.0};
    double c[4];
    for (int i = 0; i < 4; ++i)
      c[i] = clip.m[i][0] * p[0] + clip.m[i][1] * p[1] + clip.m[i][2] * p[2] + clip.m[i][3] * p[3];
    // A corner at or behind the eye has no window position; the box may
    // wrap round the whole view.
    if (!(c[3] > 0.0)) return true;
    const CViewport& v = camera.Viewport;
    const double wx = v.X + (1.0 + c[0] / c[3]) * v.Width / 2.0;
    const double wy = v.Y + (1.0 + c[1] / c[3]) * v.Height / 2.0;
    if (corner == 0) {
      minX = maxX = wx;
      minY = maxY = wy;
    } else {
      minX = std::min(minX, wx);
      maxX = std::max(maxX, wx);
      minY = std::min(minY, wy);
      maxY = std::max(maxY, wy);
    }
  }
  return maxX >= x0 && minX <= x1 && maxY >= y0 && minY <= y1;
}

bool WidenByBoxDepth(const CBoundBox& box, const CCameraMatrices& camera, double& nearest,
                     double& farthest) {
  if (box.IsEmpty()) return false;
  const CMatrix44 clip = camera.Projection * camera.ModelView;
  const CPoint3& lo = box.GetMin();
  const CPoint3& hi = box.GetMax();
  double lowest = 1.0, highest = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const double p[3] = {corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                         corner & 4 ? hi.z : lo.z};
    const double z = clip.m[2][0] * p[0] + clip.m[2][1] * p[1] + clip.m[2][2] * p[2] + clip.m[2][3];
    const double w = clip.m[3][0] * p[0] + clip.m[3][1] * p[1] + clip.m[3][2] * p[2] + clip.m[3][3];
    if (!(w > 0.0)) return false;
    const double depth = std::clamp(0.5 + 0.5 * z / w, 0.0, 1.0);
    lowest = std::min(lowest, depth);
    highest = std::max(highest, depth);
  }
  nearest = std::min(nearest, lowest);
  farthest = std::max(farthest, highest);
  return true;
}
