#include "render/ConeCanonical.h"

#include <charconv>
#include <cmath>

#include "render/Frames.h"

namespace {

bool Finite(const CPoint3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

CCanonicalCone CanonicaliseCone(const CPrimitive::Cone& cone, bool withKey) {
  CCanonicalCone result;
  if (!Finite(cone.Start) || !Finite(cone.End) || !std::isfinite(cone.StartDiameter) ||
      !std::isfinite(cone.EndDiameter)) {
    return result;
  }
  const CVector3 axis = cone.Start - cone.End;
  const double length = axis.Length();
  if (!(length > 0.0) || !std::isfinite(length)) return result;

  result.IsCone = true;
  result.Shape = {{0.0, 0.0, 1.0}, cone.StartDiameter, {0.0, 0.0, 0.0}, cone.EndDiameter, 0};
  result.Matrix = QuadricFrame(axis, cone.End);
  // The canonical cone is itself drawn in its quadric frame, which for an
  // axis along +z has x' = −x and y' = −y; undoing that half turn here puts
  // slice 0 where the cone's own frame puts it (visible with odd Edges).
  for (int row = 0; row < 3; ++row) {
    result.Matrix[row] = -result.Matrix[row];
    result.Matrix[4 + row] = -result.Matrix[4 + row];
    result.Matrix[8 + row] *= length;
  }
  if (!withKey) return result;
  // std::to_chars gives printf's "%.17g" text, only faster.
  char key[96] = "Cone : ";
  char* at = key + 7;
  at = std::to_chars(at, key + sizeof key, cone.StartDiameter + 0.0, std::chars_format::general, 17)
           .ptr;
  *at++ = ',';
  *at++ = ' ';
  at = std::to_chars(at, key + sizeof key, cone.EndDiameter + 0.0, std::chars_format::general, 17)
           .ptr;
  result.Key.assign(key, at);
  return result;
}
