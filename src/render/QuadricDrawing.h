// The two primitives drawn with GLU quadrics, each in its QuadricFrame
// (render/Frames.h), pushed onto the model-view stack for the quadric and
// popped afterwards; the matrix mode is left at GL_MODELVIEW. Both need a
// current GL context and emit into whatever is being recorded.
//
// `edges` is passed to GLU unchanged (GLU itself draws at most 239 slices);
// unlike the sweeps, the quadrics have no minimum.
//
// An axis or normal of zero length leaves the frame without directions: the
// quadric would collapse into a point under a singular model-view matrix, so
// nothing is drawn at all.
#pragma once

#include "core/Point3.h"
#include "core/Vector3.h"

// A disc of `diameter` around `centre`, in the plane perpendicular to
// `normal`. Solid: filled, drawn once facing each way (GLU_OUTSIDE, then
// GLU_INSIDE), so it is seen from both sides with culling on. Not solid: the
// outline only (GLU_SILHOUETTE). Flat normals.
void DrawDisc(const CPoint3& centre, double diameter, const CVector3& normal, bool solid,
              int edges);

// A cone (a cylinder when the diameters are equal) from `start` to `end`,
// smooth normals. The GLU cylinder starts at `end` and grows towards `start`.
// twoSided: the surface is drawn again facing inwards, so an open cone shows
// its inside. caps: a disc closes each end whose diameter is above 0, facing
// away from the cone.
void DrawCone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
              bool twoSided, bool caps, int edges, int stacks);
