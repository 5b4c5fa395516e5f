#include "render/CameraMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/Frames.h"

namespace {

struct Vec4 {
  double v[4];
};

Vec4 Mul(const CMatrix44& m, const Vec4& a) {
  Vec4 r{};
  for (int i = 0; i < 4; ++i) {
    r.v[i] = m.m[i][0] * a.v[0] + m.m[i][1] * a.v[1] + m.m[i][2] * a.v[2] + m.m[i][3] * a.v[3];
  }
  return r;
}

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

CGLMatrix ToGLMatrix(const CMatrix44& m) {
  CGLMatrix r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) r[col * 4 + row] = m.m[row][col];
  return r;
}

CMatrix44 FromGLMatrix(const CGLMatrix& m) {
  CMatrix44 r;
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) r.m[row][col] = m[col * 4 + row];
  return r;
}

double ViewAspect(const CViewport& viewport) {
  if (viewport.Height == 0) return 1.0;
  return static_cast<double>(viewport.Width) / static_cast<double>(viewport.Height);
}

CClipPlanes ComputeClipPlanes(double distance, const CModelExtent& model, const CPoint3& centre) {
  const double r = model.Radius;
  const double m = model.MinContainedRadius;
  const double d = distance;
  const double e = (model.Centre - centre).Length() + r;

  CClipPlanes planes;
  if (d > e) {
    planes.Near = d - e;
  } else if (d <= m + 0.02 * r) {
    planes.Near = d - m > m / 1000.0 ? d - m : m / 1000.0;
  } else {
    planes.Near = 0.02 * r;
  }
  planes.Far = e + d;

  if (!(planes.Near > 0.0) || !(planes.Far > planes.Near) || !Finite(planes.Near) ||
      !Finite(planes.Far)) {
    // Nothing to measure (an empty model): keep a usable frustum.
    const double scale = d > 0.0 && Finite(d) ? d : 1.0;
    planes.Near = scale / 1000.0;
    planes.Far = std::max(Finite(planes.Far) ? planes.Far : 0.0, 2.0 * planes.Near + scale);
  }
  return planes;
}

CMatrix44 PerspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar) {
  // The same arithmetic as GLU's gluPerspective.
  const double radians = fovyDegrees / 2.0 * std::numbers::pi / 180.0;
  const double deltaZ = zFar - zNear;
  const double sine = std::sin(radians);
  CMatrix44 p = CMatrix44::Identity();
  if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0) return p;
  const double cotangent = std::cos(radians) / sine;
  p.m[0][0] = cotangent / aspect;
  p.m[1][1] = cotangent;
  p.m[2][2] = -(zFar + zNear) / deltaZ;
  p.m[3][2] = -1.0;
  p.m[2][3] = -2.0 * zNear * zFar / deltaZ;
  p.m[3][3] = 0.0;
  return p;
}

CMatrix44 ModelViewMatrix(const CViewState& view, bool aboutCentre) {
  CMatrix44 mv = CMatrix44::Translation({0.0, 0.0, -view.Distance}) * FromGLMatrix(view.Rotation);
  if (!aboutCentre) mv = mv * CMatrix44::Translation(-view.Centre.AsVector());
  return mv;
}

CPoint3 CCameraMatrices::Project(const CPoint3& point) const {
  const Vec4 eye = Mul(ModelView, {{point.x, point.y, point.z, 1.0}});
  Vec4 clip = Mul(Projection, eye);
  if (clip.v[3] == 0.0) return {};
  for (double& c : clip.v) c /= clip.v[3];
  return {Viewport.X + (1.0 + clip.v[0]) * Viewport.Width / 2.0,
          Viewport.Y + (1.0 + clip.v[1]) * Viewport.Height / 2.0, (1.0 + clip.v[2]) / 2.0};
}

CPoint3 CCameraMatrices::Unproject(const CPoint3& window) const {
  if (Viewport.Width == 0 || Viewport.Height == 0) return {};
  const CMatrix44 pm = Projection * ModelView;
  if (pm.Determinant() == 0.0) return {};
  const CMatrix44 inverse = pm.Inverse();
  const Vec4 ndc{{(window.x - Viewport.X) / Viewport.Width * 2.0 - 1.0,
                  (window.y - Viewport.Y) / Viewport.Height * 2.0 - 1.0, window.z * 2.0 - 1.0,
                  1.0}};
  const Vec4 obj = Mul(inverse, ndc);
  if (obj.v[3] == 0.0) return {};
  return {obj.v[0] / obj.v[3], obj.v[1] / obj.v[3], obj.v[2] / obj.v[3]};
}

CCameraMatrices CameraMatrices(const CViewState& view, const CViewport& viewport,
                               const CModelExtent& model, bool aboutCentre) {
  const CClipPlanes planes = ComputeClipPlanes(view.Distance, model, view.Centre);
  CCameraMatrices m;
  m.Projection =
      PerspectiveMatrix(kFieldOfViewDegrees, ViewAspect(viewport), planes.Near, planes.Far);
  m.ModelView = ModelViewMatrix(view, aboutCentre);
  m.Viewport = viewport;
  return m;
}

bool ViewDirRotation(const CVector3& view, const CVector3& up, CGLMatrix& rotation) {
  const CVector3 z = (-view).Normalised();
  if (z.IsZero()) return false;
  CVector3 x = view.Cross(up).Normalised();
  // An up parallel to the view leaves screen-right undefined; any
  // perpendicular keeps the matrix a rotation.
  if (x.IsZero()) x = AnyPerpendicular(z);
  const CVector3 y = z.Cross(x);
  // The transpose of [X Y Z]: row i of the rotation is axis i.
  const CVector3 rows[3] = {x, y, z};
  CMatrix44 r = CMatrix44::Identity();
  for (int i = 0; i < 3; ++i) {
    r.m[i][0] = rows[i].x;
    r.m[i][1] = rows[i].y;
    r.m[i][2] = rows[i].z;
  }
  rotation = ToGLMatrix(r);
  return true;
}

CGLMatrix RotateView(const CGLMatrix& rotation, const CVector3& axis, double degrees) {
  if (axis.IsZero()) return rotation;
  const CMatrix44 turn = CMatrix44::Rotation(axis, degrees * std::numbers::pi / 180.0);
  return ToGLMatrix(turn * FromGLMatrix(rotation));
}

void ApplyViewLimits(CViewState& view, const CModelExtent& model) {
  const double r = model.Radius;
  if (!(r > 0.0)) return;
  if (view.Distance > 40.0 * r) view.Distance = 40.0 * r;
  if (view.Distance < 2.0 * model.MinContainedRadius)
    view.Distance = 2.0 * model.MinContainedRadius;
  const CVector3 v = view.Centre - model.Centre;
  if (v.Length() > 6.0 * r) view.Centre = model.Centre + v.Normalised() * (6.0 * r);
}

CPoint3 PanCentre(const CPoint3& centre, const CCameraMatrices& aboutCentre, const CPoint3& anchor,
                  const CPoint2& p) {
  const CCameraMatrices& m = aboutCentre;
  const CPoint3 a = m.Unproject(anchor);
  const CPoint3 r0 = m.Unproject({p.x, p.y, 0.0});
  const CPoint3 r1 = m.Unproject({p.x, p.y, 1.0});
  const CPoint3 origin = m.Unproject({0.0, 0.0, 0.0});
  const CVector3 n = (m.Unproject({1.0, 0.0, 0.0}) - origin)
                         .Cross(m.Unproject({0.0, 1.0, 0.0}) - origin)
                         .Normalised();
  const CVector3 ray = r1 - r0;
  const double denominator = n.Dot(ray);
  if (n.IsZero() || denominator == 0.0 || !Finite(denominator)) return centre;
  const CPoint3 x = r0 + ray * (n.Dot(a - r0) / denominator);
  const CPoint3 moved = centre + (a - x);
  if (!Finite(moved.x) || !Finite(moved.y) || !Finite(moved.z)) return centre;
  return moved;
}
