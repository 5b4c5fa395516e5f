// The camera operations of CGLRenderer. The mathematics lives in
// CameraMath.cpp; here it meets the renderer's state and GL.
#include <GL/gl.h>

#include <cmath>

#include "render/GLRenderer.h"
#include "render/Picking.h"

CModelExtent CGLRenderer::GetExtent() const {
  CModelExtent extent;
  if (!m_root) return extent;
  const CBoundBox& box = m_root->GetBoundBox();
  extent.Centre = box.GetCentre();
  extent.Radius = box.GetRadius();
  extent.MinContainedRadius = m_root->GetMinContainedRadius();
  return extent;
}

CCameraMatrices CGLRenderer::GetCameraMatrices(bool aboutCentre) const {
  return CameraMatrices(m_view, m_viewport, GetExtent(), aboutCentre);
}

void CGLRenderer::ApplyLimits() {
  if (m_viewLimits) ApplyViewLimits(m_view, GetExtent());
}

void CGLRenderer::ApplyProjection() {
  if (!MakeCurrent()) return;
  const CCameraMatrices matrices = GetCameraMatrices();
  const CGLMatrix projection = ToGLMatrix(matrices.Projection);
  const CGLMatrix modelView = ToGLMatrix(matrices.ModelView);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(projection.data());
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(modelView.data());
}

template <class Change>
bool CGLRenderer::ChangeView(bool limits, Change&& change) {
  MakeCurrent();
  const CViewState before = m_view;
  change();
  if (limits) ApplyLimits();
  ApplyProjection();
  return m_view != before;
}

void CGLRenderer::SaveView() {
  MakeCurrent();
  m_savedView = m_view;
}

bool CGLRenderer::RestoreView() {
  return ChangeView(false, [&] { m_view = m_savedView; });
}

bool CGLRenderer::CopyViewFrom(const IFRenderer& other) {
  // Copied before assigning, in case other is this renderer.
  const CViewState view = other.GetView();
  const CViewState saved = other.GetSavedView();
  return ChangeView(false, [&] {
    m_view = view;
    m_savedView = saved;
  });
}

bool CGLRenderer::FitView(const CBoundBox& box) {
  if (box.IsEmpty()) return false;
  return ChangeView(true, [&] {
    // A box of one point has no size to fit; it only moves the centre.
    if (box.GetRadius() > 0.0) m_view.Distance = box.GetRadius() * kFitViewDistanceFactor;
    m_view.Centre = box.GetCentre();
  });
}

bool CGLRenderer::Rotate(const CVector3& axis, double angle) {
  return ChangeView(true, [&] { m_view.Rotation = RotateView(m_view.Rotation, axis, angle); });
}

bool CGLRenderer::Zoom(double factor) {
  // A factor of 0, a negative or a non-finite one would put the eye at
  // infinity or behind the centre.
  if (!(factor > 0.0) || !std::isfinite(factor)) return false;
  return ChangeView(true, [&] { m_view.Distance /= factor; });
}

bool CGLRenderer::SetCentre(const CPoint3& centre) {
  return ChangeView(true, [&] { m_view.Centre = centre; });
}

bool CGLRenderer::SetViewDir(const CVector3& view, const CVector3& up) {
  return ChangeView(false, [&] { ViewDirRotation(view, up, m_view.Rotation); });
}

void CGLRenderer::BeginPan(const CPoint2& point) {
  MakeCurrent();
  m_panAnchor = {point.x, point.y, GetDepth(point, true)};
}

bool CGLRenderer::PanTo(const CPoint2& point) {
  return ChangeView(true, [&] {
    m_view.Centre = PanCentre(m_view.Centre, GetCameraMatrices(true), m_panAnchor, point);
  });
}

bool CGLRenderer::ZoomAt(double factor, const CPoint2& point) {
  if (!(factor > 0.0) || !std::isfinite(factor)) return false;
  MakeCurrent();
  const CViewState before = m_view;
  // The last step of this motion left its target under this same point: the
  // next step zooms to it again without asking for depth. The zoom moves the
  // eye along the line of sight and the pan moves it across, which keeps
  // every point of the pointer's ray under the pointer alike, so the view
  // does not depend on which point was found; a query only costs a pick,
  // and a burst of steps at one point is what a wheel sends.
  const ZoomTarget& last = m_zoomTarget;
  const bool again = m_interaction.Active() && last.Motion == m_interaction.Motion() &&
                     last.Point == point && last.View == m_view;
  const CPoint3 target =
      again ? last.Target
            : GetCameraMatrices().Unproject({point.x, point.y, GetDepth(point, true)});
  Zoom(factor);
  m_panAnchor = GetCameraMatrices().Project(target);
  PanTo(point);
  m_zoomTarget = {m_interaction.Active() ? m_interaction.Motion() : 0u, point, m_view, target};
  return m_view != before;
}

bool CGLRenderer::AdjustCentreDepth() {
  MakeCurrent();
  const CCameraMatrices matrices = GetCameraMatrices();
  const CPoint3 window = matrices.Project(m_view.Centre);
  double depth = 0.0;
  // With nothing visible the depth would be the centre's own, and the round
  // trip through the window would only shift the view by rounding noise.
  if (!ModelDepth({window.x, window.y}, false, depth)) return false;
  const CPoint3 visible = matrices.Unproject({window.x, window.y, depth});
  return ChangeView(true, [&] {
    const double shift = (m_view.Centre - visible).Length();
    if (window.z <= depth) {
      m_view.Distance += shift;
    } else {
      m_view.Distance -= shift;
    }
    m_view.Centre = visible;
  });
}

void CGLRenderer::Resize(int width, int height) {
  m_viewport = {0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
  if (MakeCurrent()) glViewport(0, 0, m_viewport.Width, m_viewport.Height);
  ApplyProjection();
}

double CGLRenderer::GetDepth(const CPoint2& point, bool nearest) {
  double depth = 0.0;
  if (!ModelDepth(point, nearest, depth)) depth = GetCameraMatrices().Project(m_view.Centre).z;
  return depth;
}

bool CGLRenderer::ModelDepth(const CPoint2& point, bool nearest, double& depth) {
  CHitList hits;
  Pick(point, hits);
  if (!hits.empty()) {
    depth = nearest ? hits.front().MinDepth : (hits.front().MinDepth + hits.front().MaxDepth) / 2.0;
    return true;
  }
  if (m_interaction.Active()) {
    // A selection pass over the whole viewport puts every vertex in view
    // through GL's selection path (seconds on a big plant close up); during
    // motion the boxes of the visible nodes say where the model lies deep
    // enough for a zoom or a rotation centre, at the cost of a walk.
    if (!m_ready || !m_root) return false;
    double nearest = 1.0, farthest = 0.0;
    BoxDepthBelow(m_root, GetCameraMatrices(), nearest, farthest);
    if (nearest > farthest) return false;
    depth = (nearest + farthest) / 2.0;
    return true;
  }
  hits = PickAll();
  if (hits.empty()) return false;
  depth = (hits.front().MinDepth + hits.back().MaxDepth) / 2.0;
  return true;
}

void CGLRenderer::BoxDepthBelow(const CModelNode* node, const CCameraMatrices& camera,
                                double& nearest, double& farthest) const {
  const NodeData* data = GetNodeData(node);
  if (!data || (data->ListId() == 0 && !data->InParentList())) return;  // not drawn
  if (IsHidden(node)) return;
  const double x0 = m_viewport.X, y0 = m_viewport.Y;
  const double x1 = x0 + m_viewport.Width, y1 = y0 + m_viewport.Height;
  if (!BoxMayCoverRegion(node->GetBoundBox(), camera, x0, y0, x1, y1)) return;
  const CGeometrySet& geometry = node->GetGeometry();
  if (!geometry.empty() && BoxMayCoverRegion(geometry.GetBoundBox(), camera, x0, y0, x1, y1))
    WidenByBoxDepth(geometry.GetBoundBox(), camera, nearest, farthest);
  for (CModelNode* child : node->GetOrderedChildren())
    BoxDepthBelow(child, camera, nearest, farthest);
}
