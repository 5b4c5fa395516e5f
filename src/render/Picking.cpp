#include "render/Picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>

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

CHitList SelectionPass(unsigned list, const NameResolver& resolve) {
  std::array<GLuint, kSelectionBufferSize> buffer{};
  glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
  glRenderMode(GL_SELECT);
  glInitNames();
  if (list != 0) glCallList(list);
  const int records = glRenderMode(GL_RENDER);
  return DecodeSelectionBuffer(std::span<const std::uint32_t>(buffer.data(), buffer.size()),
                               records, resolve);
}
