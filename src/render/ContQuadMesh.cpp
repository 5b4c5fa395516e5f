#include "render/ContQuadMesh.h"

#include <stdexcept>

void CContQuadMesh::Init(int uSize, int vSize) {
  if (uSize < 0 || vSize < 0) throw std::invalid_argument("Negative mesh size.");
  const std::size_t count = std::size_t(uSize) * std::size_t(vSize);
  // Resize both before publishing the sizes, so a failed allocation leaves the
  // mesh consistent.
  Points.resize(count);
  Normals.resize(count);
  USize = uSize;
  VSize = vSize;
}
