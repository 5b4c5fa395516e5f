// Local coordinate frames of the tessellation: the frame a sweep places each
// cross-section in, and the frame the GLU quadrics (cones, discs) are drawn
// in. Pure geometry; no GL.
//
// Both frames follow one rule for degenerate input: they never produce NaN.
// A zero vector normalises to zero, and where the roll of a frame is
// undefined (the reference is parallel to the axis or zero), any unit vector
// perpendicular to the axis is taken as the frame's x axis.
#pragma once

#include <array>

#include "core/Matrix44.h"
#include "core/Point3.h"
#include "core/Vector3.h"

class IFSweepPath;

// v scaled to length 1. A zero vector stays zero, and so does one with a NaN
// or infinite component. Unlike a plain v / |v| it neither underflows for tiny
// vectors (1e-200) nor overflows for huge ones.
CVector3 UnitVector(const CVector3& v);

// A unit vector perpendicular to v, depending only on v's direction (so all
// sections of a straight sweep agree on it); zero for a zero v.
CVector3 AnyPerpendicular(const CVector3& v);

// The frame of the section at path parameter t, mapping section coordinates
// to world coordinates: with D, R, P the path's direction, reference and
// point at t,
//   Z = normalise(−D), X = normalise((−D) × R), Y = Z × X,
// and the matrix has X, Y, Z, P as its columns, so a local point (x, y, z)
// goes to P + x·X + y·Y + z·Z.
// Degenerate cases: when R is zero or within 1e-12 rad of parallel to D (a
// collinear bend, a snout without offset) X is AnyPerpendicular(Z); when D
// itself is zero there is no section plane, X, Y and Z are all zero and the
// section collapses onto P.
CMatrix44 SectionFrame(const IFSweepPath& path, double t);

// The frame a GLU quadric is drawn in, as an OpenGL matrix (column-major, for
// glMultMatrixd): the quadric's local z axis along `axis`, its origin at
// `origin`. With reference (0, 1, 0) when axis.x and axis.y are both exactly
// 0 and (0, 0, 1) otherwise,
//   Z = normalise(axis), X = normalise(axis × reference), Y = Z × X,
// and the columns are X, Y, Z, origin (w = 0, 0, 0, 1).
// A zero axis gives zero X, Y and Z (callers draw nothing then); should the
// cross product underflow, X is AnyPerpendicular(Z).
std::array<double, 16> QuadricFrame(const CVector3& axis, const CPoint3& origin);
