// CContQuadMesh: a continuous grid of points with one normal per point, as
// made by Sweep and drawn by DrawMesh.
//
// u runs round a section (USize points), v along the path (VSize sections);
// element (u, v) is stored at index u + USize·v, one section after another.
// A closed section repeats its seam point as the last u rather than wrapping,
// so every band between two sections is one open quad strip.
#pragma once

#include <cassert>
#include <cstddef>
#include <vector>

#include "core/Point3.h"
#include "core/Vector3.h"

class CContQuadMesh {
 public:
  // Stores both sizes and resizes both arrays to uSize·vSize entries; entries
  // beyond the old size are zero. Throws std::invalid_argument for a negative
  // size (nothing is changed then).
  void Init(int uSize, int vSize);

  // Element access by the index rule above; (u, v) must lie inside the grid.
  CPoint3& Point(int u, int v) { return Points[Index(u, v)]; }
  const CPoint3& Point(int u, int v) const { return Points[Index(u, v)]; }
  CVector3& Normal(int u, int v) { return Normals[Index(u, v)]; }
  const CVector3& Normal(int u, int v) const { return Normals[Index(u, v)]; }

  std::vector<CPoint3> Points;
  std::vector<CVector3> Normals;
  int USize = 0;
  int VSize = 0;

 private:
  std::size_t Index(int u, int v) const {
    assert(u >= 0 && u < USize && v >= 0 && v < VSize);
    return std::size_t(u) + std::size_t(USize) * std::size_t(v);
  }
};
