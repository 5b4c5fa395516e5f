// Bend canonicalisation: reduces a curved cone to a shape that depends only
// on its leg lengths, angle and diameters, plus the matrix (and scale) that
// puts the shape back where the bend is. Equal shapes get equal keys, so the
// renderer tessellates each distinct bend once (CBendCache).
//
// For a bend with start S, centre (the legs' corner) C, end E:
//   a = unit(C − S), L1 = |C − S|, b = unit(E − S), L2 = |E − S|;
//   s = L1 with NormalizeScale, else 1;
//   canonical start (0, 0, 0), centre (0, L1/s, 0), end (√(d² − p²), p, 0)
//   with d = L2/s and p = (a·b)·d; diameters divided by s;
//   matrix columns X = unit((a × b) × a), Y = a, Z = −unit(a × b), origin S —
//   a proper rotation (no mirroring), so faces keep their winding.
// Drawing the canonical shape under the matrix, scaled by s, reproduces the
// bend in place.
//
// The key is "CurvedCone : (Sx, Sy, Sz), (Cx, Cy, Cz), (Ex, Ey, Ez), Ds, De"
// of the canonical values in scientific notation with `keyPrecision` digits
// after the point (clamped to 0…17); colour is not part of it. With the
// default 1, shapes that agree to two significant digits share a list.
//
// Choices where the plain formulas break down:
// - Collinear legs (a × b = 0) leave X and Z undefined: Z becomes any unit
//   vector perpendicular to a and X = a × Z, so the matrix stays a rotation
//   (the canonical shape is a straight tube then, and any roll draws it alike).
// - Rounding can push p a hair past d; the square root takes max(0, d² − p²)
//   instead of producing NaN.
// - Canonical values that are pure rounding noise (below 1e-9 of the shape's
//   size) are written as 0, and −0 as 0, so that the same bend keys the same
//   way in every orientation (a return bend's p is 0 ± noise).
// - A bend that cannot be placed this way — start and centre coincide, or a
//   coordinate is not finite — is not a bend for the cache (IsBend false) and
//   is drawn directly.
#pragma once

#include <string>

#include "core/Primitive.h"
#include "render/ViewState.h"

inline constexpr int kMaxKeyPrecision = 17;

struct CCanonicalBend {
  bool IsBend = false;
  CPrimitive::CurvedCone Shape;  // colour 0: shared lists hold geometry only
  CGLMatrix Matrix = kGLIdentity;
  double Scale = 1.0;
  std::string Key;
};

// withKey false leaves Key empty: a caller that already knows the shared
// list (the lists being compiled) needs only the placement.
CCanonicalBend CanonicaliseBend(const CPrimitive::CurvedCone& bend, bool normalizeScale,
                                int keyPrecision, bool withKey = true);

// The cache key of a canonical shape (format above).
std::string BendKey(const CPrimitive::CurvedCone& shape, int keyPrecision);
