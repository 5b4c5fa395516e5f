// Cone canonicalisation: reduces a cone (a pipe, most often) to a shape of
// length 1 that depends only on its two diameters, plus the matrix that
// stretches it to the cone's length and puts it where the cone is. Cones of
// equal diameters share one display list (the renderer's cone cache), and
// the list that holds a pipeline calls it under the matrix instead of
// holding the cone's vertices: a list that holds no vertices costs the
// driver no vertex list to compile, which is most of what a first frame of
// a large plant costs.
//
// For a cone from start S to end E (axis A = S − E, L = |A|):
//   canonical start (0, 0, 1), end (0, 0, 0), the same diameters;
//   matrix = QuadricFrame(A, E) · diag(1, 1, L) · QuadricFrame(+z, 0)⁻¹,
// the last factor being diag(−1, −1, 1): the canonical cone's own quadric
// frame is turned half a turn about z, and the matrix turns it back.
// Drawing the canonical cone under the matrix gives the same vertices as
// drawing the cone in place: DrawCone lays both out in the quadric frame,
// the wall from the end towards the start. The matrix is not a rotation
// (it stretches along the axis), so normals drawn under it need
// GL_NORMALIZE.
//
// The key is "Cone : Ds, De" with both diameters to full precision (17
// significant digits): shapes are shared only when they are the same shape,
// and a plant has few pipe sizes, so nothing is gained by rounding.
//
// A cone that cannot be placed this way — start equal to end, or a
// coordinate, diameter or the length not finite — is not a cone for the
// cache (IsCone false) and is drawn directly (which draws nothing for a zero
// axis).
#pragma once

#include <string>

#include "core/Primitive.h"
#include "render/ViewState.h"

struct CCanonicalCone {
  bool IsCone = false;
  CPrimitive::Cone Shape;  // colour 0: shared lists hold geometry only
  CGLMatrix Matrix = kGLIdentity;
  std::string Key;
};

// withKey false leaves Key empty (see CanonicaliseBend).
CCanonicalCone CanonicaliseCone(const CPrimitive::Cone& cone, bool withKey = true);
