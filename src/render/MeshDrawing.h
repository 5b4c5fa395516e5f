// DrawMesh: emits a CContQuadMesh as OpenGL quad strips with per-point
// normals, into whatever is being recorded or drawn in the current context.
//
// Each band between sections v − 1 and v becomes one GL_QUAD_STRIP pairing
// (u, v − 1) with (u, v) for u = 0 … USize − 1. With twoSided, each strip is
// followed by the same band in reversed pairing with negated normals: the
// inside of an open tube then has front faces of its own, lit from inside,
// while back-face culling stays on. (Strip winding follows V × U, the same
// cross product the sweep's normals come from, so each face's normal points
// to the side it is seen from.)
//
// Needs a current GL context; nothing is drawn for a mesh with fewer than two
// sections.
#pragma once

class CContQuadMesh;

void DrawMesh(const CContQuadMesh& mesh, bool twoSided);
