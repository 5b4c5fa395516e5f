#include "render/QuadricDrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "render/Frames.h"
#include "render/Sweep.h"

namespace {

// The quadric frame as axes: local (x, y, z) lies at O + x·X + y·Y + z·Z.
// Points and normals are mapped here rather than by a pushed model-view
// matrix: every matrix operation inside a display list ends the run of
// vertices being compiled, and the driver pays a vertex list of its own for
// each run.
struct CFrame {
  CVector3 X, Y, Z;
  CPoint3 O;

  explicit CFrame(const CVector3& axis, const CPoint3& origin) {
    const std::array<double, 16> m = QuadricFrame(axis, origin);
    X = {m[0], m[1], m[2]};
    Y = {m[4], m[5], m[6]};
    Z = {m[8], m[9], m[10]};
    O = origin;
  }
  CPoint3 Point(double x, double y, double z) const { return O + X * x + Y * y + Z * z; }
  CVector3 Direction(double x, double y, double z) const { return X * x + Y * y + Z * z; }
};

void Normal(const CVector3& n) { glNormal3d(n.x, n.y, n.z); }
void Vertex(const CPoint3& p) { glVertex3d(p.x, p.y, p.z); }

// Round a circle of `slices` intervals: (sin, cos) of 2π·i/slices for
// i = 0 … slices, the last repeating the first exactly so that the seam
// closes. The circle starts on the local y axis and turns towards x.
struct CRing {
  std::vector<double> Sin, Cos;
  explicit CRing(int slices) : Sin(slices + 1), Cos(slices + 1) {
    for (int i = 0; i < slices; ++i) {
      const double angle = 2.0 * std::numbers::pi * i / slices;
      Sin[i] = std::sin(angle);
      Cos[i] = std::cos(angle);
    }
    Sin[slices] = Sin[0];
    Cos[slices] = Cos[0];
  }
};

// The slice count the quadrics use: at most 239, and nothing below 2.
int Slices(int edges) { return edges >= 240 ? 239 : edges; }

// A filled disc of `radius` in the local z = `z` plane, one triangle fan from
// the centre, facing +z (outside) or −z.
void FilledDisc(const CFrame& f, const CRing& ring, double radius, double z, bool outside) {
  if (!(radius > 0.0)) return;
  const int slices = static_cast<int>(ring.Sin.size()) - 1;
  Normal(f.Direction(0.0, 0.0, outside ? 1.0 : -1.0));
  glBegin(GL_TRIANGLE_FAN);
  Vertex(f.Point(0.0, 0.0, z));
  // Clockwise seen from +z when facing −z, and the other way round.
  for (int k = 0; k <= slices; ++k) {
    const int i = outside ? slices - k : k;
    Vertex(f.Point(radius * ring.Sin[i], radius * ring.Cos[i], z));
  }
  glEnd();
}

// The cone's wall from radius `base` at local z = 0 to `top` at z = height,
// in `stacks` bands, smooth normals pointing out of the wall (outside) or
// into it.
void ConeWall(const CFrame& f, const CRing& ring, double base, double top, double height,
              int stacks, bool outside) {
  const int slices = static_cast<int>(ring.Sin.size()) - 1;
  const double delta = base - top;
  const double slant = std::sqrt(delta * delta + height * height);
  const double sign = outside ? 1.0 : -1.0;
  // The inside faces carry the exact opposite of the outside normals, also
  // along the axis, so a tapered cone seen from within is lit like its wall
  // and not like a wall leaning the other way.
  const double xy = sign * height / slant;
  const double zn = sign * delta / slant;
  std::vector<CVector3> normals(slices + 1);
  for (int i = 0; i <= slices; ++i)
    normals[i] = f.Direction(xy * ring.Sin[i], xy * ring.Cos[i], zn);
  for (int j = 0; j < stacks; ++j) {
    const double zLow = j * height / stacks;
    const double zHigh = (j + 1) * height / stacks;
    const double rLow = base - delta * (static_cast<double>(j) / stacks);
    const double rHigh = base - delta * (static_cast<double>(j + 1) / stacks);
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= slices; ++i) {
      Normal(normals[i]);
      const CPoint3 low = f.Point(rLow * ring.Sin[i], rLow * ring.Cos[i], zLow);
      const CPoint3 high = f.Point(rHigh * ring.Sin[i], rHigh * ring.Cos[i], zHigh);
      Vertex(outside ? low : high);
      Vertex(outside ? high : low);
    }
    glEnd();
  }
}

}  // namespace

void DrawDisc(const CPoint3& centre, double diameter, const CVector3& normal, bool solid,
              int edges) {
  if (normal.IsZero()) return;
  const int slices = Slices(edges);
  const double radius = diameter * 0.5;
  if (slices < 2 || !(radius > 0.0)) return;
  const CFrame f(normal, centre);
  const CRing ring(slices);
  if (solid) {
    FilledDisc(f, ring, radius, 0.0, true);
    FilledDisc(f, ring, radius, 0.0, false);
    return;
  }
  Normal(f.Direction(0.0, 0.0, 1.0));
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= slices; ++i)
    Vertex(f.Point(radius * ring.Sin[i], radius * ring.Cos[i], 0.0));
  glEnd();
}

void DrawFacingDisc(const CPoint3& centre, double diameter, const CVector3& normal, int edges) {
  if (normal.IsZero()) return;
  const int slices = Slices(edges);
  if (slices < 2) return;
  const CFrame f(normal, centre);
  FilledDisc(f, CRing(slices), diameter * 0.5, 0.0, true);
}

void DrawCone(const CPoint3& start, double startDiameter, const CPoint3& end, double endDiameter,
              bool twoSided, bool caps, int edges, int stacks) {
  const CVector3 axis = start - end;
  if (axis.IsZero()) return;
  const int slices = Slices(edges);
  if (slices < 2) return;
  const double base = endDiameter * 0.5;
  const double top = startDiameter * 0.5;
  const double length = axis.Length();
  const CFrame f(axis, end);
  const CRing ring(slices);
  // The wall needs a stack and no negative (or NaN) radius; each cap stands
  // on its own, so a cone without stacks is still closed at both ends.
  // Stacks are capped as the sweeps' steps are: a script may set CylStacks
  // to any integer, and a billion bands would hang the frame.
  stacks = std::min(stacks, kMaxSweepSteps);
  if (stacks >= 1 && base >= 0.0 && top >= 0.0) {
    ConeWall(f, ring, base, top, length, stacks, true);
    if (twoSided) ConeWall(f, ring, base, top, length, stacks, false);
  }
  if (!caps) return;
  FilledDisc(f, ring, base, 0.0, false);  // at `end`, facing away from the cone
  FilledDisc(f, ring, top, length, true);
}
