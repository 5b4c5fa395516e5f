// Picking of CGLRenderer.
//
// A pick is a selection pass over what the node lists draw. Calling all the
// lists would put every vertex of the plant through GL's selection
// path to find the few under a 5-pixel box — on a 100k-component plant,
// seconds per pick with Mesa, and the camera picks on every wheel step and
// pan. So the pick-box pass walks the tree instead and replays, for each
// node, exactly what its list holds — its name, its primitives (shared bend
// lists under their placement), its children in list order — but skips
// every subtree whose bound box cannot reach the pick box. The records, and
// so the hits, are those the lists would give: the names nest the same way
// (a leaf's name and primitives sit in its parent's list, in child order,
// just where the walk replays them), and only nodes that could not be hit
// are left out. The whole-viewport pass (GetDepth's fallback outside
// motion) calls the node lists as a frame does, at full detail.
#include <GL/gl.h>

#include "core/Primitive.h"
#include "render/BendCanonical.h"
#include "render/ConeCanonical.h"
#include "render/GLRenderer.h"
#include "render/Picking.h"

void CGLRenderer::Pick(const CPoint2& point, CHitList& hits) {
  hits.clear();
  if (!m_ready || !MakeCurrent()) return;
  // GL draws with the current view whatever touched its matrices since.
  ApplyProjection();
  const CCameraMatrices camera = GetCameraMatrices();
  PushPickMatrix(point.x, point.y, kPickBoxSize);
  hits = SelectionPass([&] { SelectBelow(m_root, camera, point); },
                       [this](std::uint32_t name) { return ResolveName(name); });
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

CHitList CGLRenderer::PickAll() {
  if (!m_ready || !MakeCurrent()) return {};
  ApplyProjection();
  return SelectionPass([this] { DrawModel(false); },
                       [this](std::uint32_t name) { return ResolveName(name); });
}

void CGLRenderer::SelectBelow(CModelNode* node, const CCameraMatrices& camera,
                              const CPoint2& point) {
  const NodeData* data = GetNodeData(node);
  if (!data || (data->ListId() == 0 && !data->InParentList())) return;  // not in any list
  if (IsHidden(node)) return;
  const double half = kPickBoxSize / 2.0;
  const double x0 = point.x - half, x1 = point.x + half;
  const double y0 = point.y - half, y1 = point.y + half;
  if (!BoxMayCoverRegion(node->GetBoundBox(), camera, x0, y0, x1, y1)) return;
  glPushName(data->Name());
  const CGeometrySet& geometry = node->GetGeometry();
  if (!geometry.empty() && BoxMayCoverRegion(geometry.GetBoundBox(), camera, x0, y0, x1, y1)) {
    for (const CPrimitive& primitive : geometry) DrawForSelection(primitive);
  }
  for (CModelNode* child : node->GetOrderedChildren()) SelectBelow(child, camera, point);
  glPopName();
}

void CGLRenderer::DrawForSelection(const CPrimitive& primitive) {
  if (const auto* cone = primitive.GetCone()) {
    const CCanonicalCone canonical = CanonicaliseCone(*cone);
    if (const unsigned list = canonical.IsCone ? m_coneCache.Find(canonical.Key) : 0) {
      glMatrixMode(GL_MODELVIEW);
      glPushMatrix();
      glMultMatrixd(canonical.Matrix.data());
      glCallList(list);
      glPopMatrix();
      return;
    }
  }
  if (const auto* bend = primitive.GetCurvedCone()) {
    const CCanonicalBend canonical = CanonicaliseBend(*bend, m_normalizeScale, m_keyPrecision);
    // The shared list when the node list uses one: the same vertices.
    if (const unsigned list = canonical.IsBend ? m_bendCache.Find(canonical.Key) : 0) {
      glMatrixMode(GL_MODELVIEW);
      glPushMatrix();
      glMultMatrixd(canonical.Matrix.data());
      if (canonical.Scale != 1.0) glScaled(canonical.Scale, canonical.Scale, canonical.Scale);
      glCallList(list);
      glPopMatrix();
      return;
    }
  }
  DrawPrimitive(primitive);
}
