// The two primitives with the shapes of GLU quadrics: the same slices,
// stacks, vertex order and normals as gluDisk and gluCylinder would give in
// the primitive's QuadricFrame (render/Frames.h), but emitted directly in
// world coordinates. No matrix is pushed or changed, so a display list being
// recorded gets one uninterrupted run of vertices for the whole primitive
// (the driver compiles each run between two state changes into a vertex list
// of its own, and that is what a first frame of a large plant waited on).
// Both need a current GL context and emit into whatever is being recorded.
//
// `edges` is the slice count as GLU takes it: above 239 it draws 239, below
// 2 nothing; unlike the sweeps, the quadrics have no minimum.
//
// An axis or normal of zero length leaves the frame without directions: the
// shape would collapse into a point, so nothing is drawn at all.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"

// A disc of `diameter` around `centre`, in the plane perpendicular to
// `normal`. Solid: filled, one triangle fan facing along `normal` and one
// facing against it, so it is seen from both sides with culling on; each fan
// carries its facing as normal. Not solid: the outline only, one line strip
// round the rim (normal along `normal`). A diameter of 0 or less draws
// nothing.
void DrawDisc(const CPoint3& centre, double diameter, const CVector3& normal, bool solid,
              int edges);

// A filled disc seen from one side only: one triangle fan facing along
// `normal`, which is its normal. The end of a closed solid needs no more.
void DrawFacingDisc(const CPoint3& centre, double diameter, const CVector3& normal, int edges);

// A cone (a cylinder when the diameters are equal) from `start` to `end`,
// smooth normals. The wall starts at `end` and grows towards `start`, in
// `stacks` bands (none when stacks < 1 or a diameter is negative; at most
// kMaxSweepSteps).
// twoSided: the wall is drawn again facing inwards with the opposite normals,
// so an open cone shows its inside. caps: a disc closes each end whose
// diameter is above 0, facing away from the cone.
void DrawCone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
              bool twoSided, bool caps, int edges, int stacks);
