// The camera's mathematics as plain functions over doubles: projection with
// its near and far planes, the model-view matrix of a view, projecting and
// unprojecting, standard view directions as rotations, the view limits and
// the pan. The renderer (GLRendererCamera.cpp) drives these and loads the
// resulting matrices into OpenGL; nothing here touches GL, so all of it is
// tested exactly without a context.
//
// Why not read the matrices back from GL: Mesa keeps its matrix stacks in
// single precision, and a camera that fed its own state through them would
// drift by a float ulp on every operation. Computing in doubles and loading
// the result keeps the view state exact (a drag back to its start restores
// the saved view bit for bit) while GL draws with what it was given.
#pragma once

#include "core/BoundBox.h"
#include "core/Matrix44.h"
#include "core/Point2.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/ViewState.h"

// Vertical field of view of the perspective, in degrees.
inline constexpr double kFieldOfViewDegrees = 15.0;
// FitView puts the eye this many bound-box radii from the box centre.
inline constexpr double kFitViewDistanceFactor = 7.66242388090723;

CGLMatrix ToGLMatrix(const CMatrix44& m);
CMatrix44 FromGLMatrix(const CGLMatrix& m);

struct CViewport {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

// Width / height, or 1 when the height is 0 (a minimised window).
double ViewAspect(const CViewport& viewport);

// What the projection needs to know of the model: its root's bound box
// centre and radius and its smallest contained radius (CModelNode).
struct CModelExtent {
  CPoint3 Centre;
  double Radius = 0.0;
  double MinContainedRadius = 0.0;
};

struct CClipPlanes {
  double Near = 0.0;
  double Far = 0.0;
};

// Near and far planes for a camera `distance` from its centre, the centre
// being `centreOffset` from the model's box centre. With r the model radius,
// e = centreOffset + r and m the smallest contained radius:
//   near = d − e when the eye is outside the model's sphere (d > e);
//   otherwise 0.02·r, except that when d ≤ m + 0.02·r (zoomed in onto the
//   smallest part) near = d − m if that exceeds m / 1000, else m / 1000;
//   far = e + d.
// The rules leave no usable frustum when there is nothing to measure (an
// empty model: r = m = 0, so near can be 0 and far equal to near, which GLU
// silently refuses, leaving whatever matrix was there). In that case only,
// near becomes 1/1000 of the distance (of 1 when the distance is 0 too) and
// far at least twice the near plane plus the distance.
CClipPlanes ComputeClipPlanes(double distance, const CModelExtent& model, const CPoint3& centre);

// The matrix gluPerspective (fovy, aspect, near, far) multiplies by.
CMatrix44 PerspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar);

// The camera's model-view matrix: translate(0, 0, −Distance) · Rotation ·
// translate(−Centre) (the first factor is gluLookAt from (0, 0, Distance)).
// aboutCentre leaves out the last factor, giving coordinates relative to the
// centre (what the pan works in).
CMatrix44 ModelViewMatrix(const CViewState& view, bool aboutCentre = false);

// The projection, model-view and viewport of a view, with projecting and
// unprojecting as gluProject and gluUnProject do them.
struct CCameraMatrices {
  CMatrix44 Projection;
  CMatrix44 ModelView;
  CViewport Viewport;

  // (window x, window y, window depth in [0, 1]) of a point.
  CPoint3 Project(const CPoint3& point) const;
  // The point at window (x, y, depth). A singular matrix gives the origin.
  CPoint3 Unproject(const CPoint3& window) const;
};

CCameraMatrices CameraMatrices(const CViewState& view, const CViewport& viewport,
                               const CModelExtent& model, bool aboutCentre = false);

// The rotation that looks along `view` with the part of `up` perpendicular
// to it pointing up the screen: Z = unit(−view), X = unit(view × up),
// Y = Z × X, and the rotation is the transpose of the matrix with columns X,
// Y, Z. When up is parallel to view (or zero), any direction perpendicular
// to the view is taken as screen-right rather than producing a collapsed
// matrix. Returns false, leaving `rotation` alone, for a zero view.
bool ViewDirRotation(const CVector3& view, const CVector3& up, CGLMatrix& rotation);

// R(degrees about axis) · rotation: a turn about an axis given in eye
// coordinates, as glRotated followed by glMultMatrixd would compose it. A
// zero axis leaves the rotation as it is.
CGLMatrix RotateView(const CGLMatrix& rotation, const CVector3& axis, double degrees);

// The view limits, applied in order:
//   1. Distance > 40·r → 40·r;
//   2. then Distance < 2·m → 2·m (the minimum wins over the maximum);
//   3. a centre farther than 6·r from the model centre is pulled back onto
//      that sphere along the same direction.
// An empty model (r = 0) sets no limits: there is nothing to stay near, and
// rule 1 would collapse the distance to 0.
void ApplyViewLimits(CViewState& view, const CModelExtent& model);

// The centre after a pan that moves the model point under window point
// `anchor` (x, y, depth) to lie under `p`. `aboutCentre` are the current
// matrices without the translation by −Centre. The point is kept in the
// plane through the anchor's model point parallel to the screen.
CPoint3 PanCentre(const CPoint3& centre, const CCameraMatrices& aboutCentre, const CPoint3& anchor,
                  const CPoint2& p);
