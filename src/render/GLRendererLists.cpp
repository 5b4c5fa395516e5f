// The display lists of CGLRenderer: building a node's data (bend keys and
// references), compiling the lists that hold the nodes' drawing, and the
// selection states that those lists show.
//
// Who compiles what. BuildNodeList brings one node up to date (its new
// children, its bend references) and asks for the list its drawing lives in
// to be compiled; the compiling itself waits until the outermost operation
// ends (BatchScope), so that building a pipeline of a hundred new components,
// or selecting a pipeline (which marks each of its components), compiles the
// pipeline's list once and not a hundred times.
//
// Inside a list, material and line width are set only when they differ from
// what the list set last: consecutive components of one colour then share
// one material, and the driver need not revalidate its lighting state for
// each of them.
//
// A list holds as few vertices of its own as it can. Every state change in a
// list (a name, a material, a matrix) ends the run of vertices before it,
// and the driver compiles each run into a vertex list with buffers of its
// own; at 100,000 components that compiling was nearly all of the first
// frame. So bends and cones are calls of shared lists (one per distinct
// shape) under a placement matrix, and what is drawn in place (lines,
// snouts, circles, shapes the caches cannot take) is emitted in world
// coordinates without matrix changes (QuadricDrawing.h).
//
// A shared list is a block of kDetailLevels lists, and node lists call it
// through glCallLists, which adds the list base current when the node list
// runs: DrawModel chooses each node list's level of detail that way, without
// compiling anything again.
//
// Laying out is not compiling. A build gives each list its name, its place
// and its level-of-detail measure; what a list draws is compiled the first
// time a frame (or a selection pass) calls it. A plant seen whole draws its
// far nodes as centre lines (CCentreLineRuns) and so never compiles their
// lists, which on a 100,000-component plant was most of the build and most
// of the driver's memory. A change to a node lays its list out again and
// leaves the compiling to the next frame that calls it.
#include <GL/gl.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <vector>

#include "core/Primitive.h"
#include "render/BendCanonical.h"
#include "render/ConeCanonical.h"
#include "render/CurvePath.h"
#include "render/GLRenderer.h"
#include "render/Material.h"
#include "render/Picking.h"
#include "render/PrimitiveDrawing.h"

// One primitive of a node while its bend references are taken.
struct CGLRenderer::Entry {
  const CPrimitive* Primitive = nullptr;
  bool IsBend = false;
  CCanonicalBend Canonical;
  CCanonicalCone Cone;  // Cone.IsCone for a cone the cone cache can take
};

// What a list being compiled has set so far.
struct CGLRenderer::ListState {
  bool Known = false;
  std::int32_t Colour = 0;
  bool Emissive = false;
  float LineWidth = 0.0f;
  bool ModelView = false;  // glMatrixMode (GL_MODELVIEW) emitted
  bool Normalize = false;  // GL_NORMALIZE enabled by this list (not yet disabled)
  bool NormalizeKnown = false;
};

class CGLRenderer::BatchScope {
 public:
  explicit BatchScope(CGLRenderer& r) : m_r(r), m_exceptions(std::uncaught_exceptions()) {
    ++m_r.m_batchDepth;
  }
  ~BatchScope() {
    if (--m_r.m_batchDepth != 0) return;
    m_r.m_batchCurrent = false;
    if (std::uncaught_exceptions() > m_exceptions) {
      m_r.m_pending.clear();  // unwinding: leave the lists as they are
      return;
    }
    m_r.CompilePending();
  }
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;

 private:
  CGLRenderer& m_r;
  int m_exceptions;
};

bool CGLRenderer::DrawnInParent(const CModelNode* node) const {
  return node != m_root && node->GetChildren().empty() && GetNodeData(node->GetParent());
}

void CGLRenderer::RemoveNodeData(CModelNode* node) {
  BatchScope batch(*this);
  MakeCurrentInBatch();  // for every list the data deletes
  RemoveNodeDataBelow(node);
}

void CGLRenderer::RemoveNodeDataBelow(CModelNode* node) {
  for (const auto& [key, child] : node->GetChildren()) RemoveNodeDataBelow(child.get());
  node->ClearAssociated(m_key);
}

void CGLRenderer::MakeCurrentInBatch() {
  // Asking the surface costs a few EGL calls (and a system call) each time:
  // once per operation, not once per node of a 100,000-node build.
  if (!m_batchCurrent) m_batchCurrent = MakeCurrent();
}

void CGLRenderer::RequestCompile(const NodeData& data) {
  m_pending.push_back(data.m_name);
  if (m_batchDepth == 0) CompilePending();
}

void CGLRenderer::CompilePending() {
  if (m_pending.empty()) return;
  std::vector<std::uint32_t> names;
  names.swap(m_pending);
  // The lists to compile: a leaf's parent's, any other node's own, and the
  // parent's as well when a node moves out of (or into) the parent's list.
  std::vector<CModelNode*> targets;
  for (const std::uint32_t name : names) {
    CModelNode* node = ResolveName(name);
    NodeData* data = node ? GetNodeData(node) : nullptr;
    if (!data || data->m_name != name) continue;  // gone meanwhile
    const bool inParent = DrawnInParent(node);
    if (inParent || data->m_inParentList) targets.push_back(node->GetParent());
    if (!inParent) targets.push_back(node);
  }
  std::sort(targets.begin(), targets.end());
  targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
  if (targets.empty() || !MakeCurrent()) return;
  if (m_stage.Total != 0) BeginStage(CBuildProgress::Stage::Lists, targets.size());
  for (CModelNode* node : targets) {
    if (NodeData* data = GetNodeData(node)) CompileNodeList(node, data);
    Advance(CBuildProgress::Stage::Lists);
  }
}

void CGLRenderer::BuildNodeList(CModelNode* node, NodeData* data, bool recurse, bool rebuild) {
  BatchScope batch(*this);
  MakeCurrentInBatch();

  // Children without data are new to this renderer: give them data and
  // lists. Children that have data keep their lists.
  if (recurse) {
    for (CModelNode* child : node->GetOrderedChildren()) {
      if (GetNodeData(child)) continue;
      NodeData* childData = AttachNodeData(child);
      BuildNodeList(child, childData, true, true);
    }
  }

  std::vector<const std::string*> released, releasedCones;
  if (rebuild) {
    released.swap(data->m_keys);
    releasedCones.swap(data->m_coneKeys);
  }

  const CGeometrySet& geometry = node->GetGeometry();
  std::vector<Entry> entries(geometry.size());
  for (std::size_t i = 0; i < geometry.size(); ++i) {
    Entry& entry = entries[i];
    entry.Primitive = &geometry[i];
    if (const auto* bend = geometry[i].GetCurvedCone()) {
      entry.Canonical = CanonicaliseBend(*bend, m_normalizeScale, m_keyPrecision);
      entry.IsBend = entry.Canonical.IsBend;
      if (entry.IsBend) m_bendCache.Lookup(entry.Canonical.Key);
    } else if (const auto* cone = geometry[i].GetCone(); cone && rebuild) {
      entry.Cone = CanonicaliseCone(*cone);
    }
  }

  if (rebuild) {
    data->m_lists.assign(geometry.size(), 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& entry = entries[i];
      if (!entry.IsBend) continue;
      const std::string& key = entry.Canonical.Key;
      // Looked up again (uncounted): an earlier bend of this same node may
      // just have made the list.
      unsigned list = m_bendCache.Find(key);
      if (list == 0) {
        list = glGenLists(kDetailLevels);
        if (list == 0) continue;  // no context, or out of list names: drawn in place
        m_bendCache.Add(key, list);
        CompileShared(list, CPrimitive(entry.Canonical.Shape));
      } else {
        m_bendCache.AddRef(key);
      }
      data->m_keys.push_back(m_bendCache.Stored(key));
      data->m_lists[i] = list;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& entry = entries[i];
      if (!entry.Cone.IsCone) continue;
      const std::string& key = entry.Cone.Key;
      unsigned list = m_coneCache.Lookup(key);
      if (list == 0) {
        list = glGenLists(kDetailLevels);
        if (list == 0) continue;  // drawn in place
        m_coneCache.Add(key, list);
        CompileShared(list, CPrimitive(entry.Cone.Shape));
      } else {
        m_coneCache.AddRef(key);
      }
      data->m_coneKeys.push_back(m_coneCache.Stored(key));
      data->m_lists[i] = list;
    }
    // Keys still in use were referenced again above, so their lists survive.
    for (const std::string* key : released) m_bendCache.Release(*key);
    for (const std::string* key : releasedCones) m_coneCache.Release(*key);
  }

  Advance(CBuildProgress::Stage::Components);
  RequestCompile(*data);
}

void CGLRenderer::CompileShared(unsigned list, const CPrimitive& shape) const {
  static_assert(kDetailLevels == 2);
  const CTessellationOptions reduced = ReducedTessellation(m_tessellation);
  glNewList(list, GL_COMPILE);
  DrawPrimitive(shape);
  glEndList();
  glNewList(list + 1, GL_COMPILE);
  ::DrawPrimitive(shape, reduced, false);
  DrawCentreLine(shape, reduced.BendSteps);
  glEndList();
}

namespace {

// A shared list, at the level of detail the list base selects.
void CallShared(unsigned list) { glCallLists(1, GL_UNSIGNED_INT, &list); }

// The largest diameter of a bend or cone among the primitives.
double LargestDiameter(const CGeometrySet& geometry) {
  double largest = 0.0;
  for (const CPrimitive& primitive : geometry) {
    if (const auto* cone = primitive.GetCone()) {
      largest = std::max({largest, cone->StartDiameter, cone->EndDiameter});
    } else if (const auto* bend = primitive.GetCurvedCone()) {
      largest = std::max({largest, bend->StartDiameter, bend->EndDiameter});
    }
  }
  return largest;
}

}  // namespace

void CGLRenderer::CompileNodeList(CModelNode* node, NodeData* data) {
  // Leaf children are drawn in this list and need no list of their own; any
  // other child gets one now, for DrawModel to call.
  for (CModelNode* child : node->GetOrderedChildren()) {
    NodeData* childData = GetNodeData(child);
    if (!childData) continue;
    if (child->GetChildren().empty()) {
      if (childData->m_listId != 0) glDeleteLists(childData->m_listId, 1);
      childData->m_listId = 0;
    } else if (childData->m_listId == 0) {
      CompileNodeList(child, childData);
    }
  }

  data->m_inParentList = false;
  data->m_listCompiled = false;
  data->m_linesCurrent = false;
  data->m_detailDiameter = LargestDiameter(node->GetGeometry());
  if (data->m_listId == 0) data->m_listId = glGenLists(1);
  const bool named = data->m_listId != 0;  // else no context, or out of names
  // Children with lists of their own are called by DrawModel, not from here.
  for (CModelNode* child : node->GetOrderedChildren()) {
    NodeData* childData = GetNodeData(child);
    if (!childData || !child->GetChildren().empty()) continue;
    childData->m_inParentList = named;
    if (IsHidden(child)) continue;
    data->m_detailDiameter =
        std::max(data->m_detailDiameter, LargestDiameter(child->GetGeometry()));
  }
}

void CGLRenderer::CompileListContent(const CModelNode* node, NodeData& data) const {
  ListState state;
  glNewList(data.m_listId, GL_COMPILE);
  EmitNodeContent(node, data, state);
  for (CModelNode* child : node->GetOrderedChildren()) {
    const NodeData* childData = GetNodeData(child);
    if (!childData || !child->GetChildren().empty() || IsHidden(child)) continue;
    EmitNodeContent(child, *childData, state);
    glPopName();
  }
  // What the list enabled it disables again: no state leaks out of a list.
  if (state.Normalize) glDisable(GL_NORMALIZE);
  glPopName();
  glEndList();
  data.m_listCompiled = true;
  ++m_frameStats.Compiled;
}

void CGLRenderer::EmitNodeContent(const CModelNode* node, const NodeData& data,
                                  ListState& state) const {
  glPushName(data.m_name);
  const bool selected = data.m_selection != 0;
  const float width = selected ? m_selectedLineWidth : m_normalLineWidth;
  const CGeometrySet& geometry = node->GetGeometry();
  for (std::size_t i = 0; i < geometry.size(); ++i) {
    const CPrimitive& primitive = geometry[i];
    // The shared list the node's last rebuild gave the primitive.
    const unsigned list = i < data.m_lists.size() ? data.m_lists[i] : 0;
    std::int32_t colour = 0;
    bool emissive = false;
    PrimitiveMaterial(primitive, selected, colour, emissive);
    if (!state.Known || state.Colour != colour || state.Emissive != emissive) {
      SetMaterialColour(colour, emissive);
      state.Colour = colour;
      state.Emissive = emissive;
    }
    if (!state.Known || state.LineWidth != width) {
      glLineWidth(width);
      state.LineWidth = width;
    }
    state.Known = true;

    // A cone whose shape the cone cache holds is that list, stretched and
    // placed; normals under a stretch need GL_NORMALIZE, which the list turns
    // on before its first such cone and off at its end.
    if (const auto* cone = primitive.GetCone()) {
      const CCanonicalCone canonical = list ? CanonicaliseCone(*cone, false) : CCanonicalCone();
      if (!canonical.IsCone) {
        DrawPrimitive(primitive);
        continue;
      }
      if (!state.NormalizeKnown) {
        glEnable(GL_NORMALIZE);
        state.Normalize = state.NormalizeKnown = true;
      }
      if (!state.ModelView) {
        glMatrixMode(GL_MODELVIEW);
        state.ModelView = true;
      }
      glPushMatrix();
      glMultMatrixd(canonical.Matrix.data());
      CallShared(list);
      glPopMatrix();
      continue;
    }

    // A bend whose shape the cache holds is that list under its placement;
    // any other primitive (or a bend the cache could not take) is drawn here.
    const auto* bend = primitive.GetCurvedCone();
    CCanonicalBend canonical;
    if (bend && list) canonical = CanonicaliseBend(*bend, m_normalizeScale, m_keyPrecision, false);
    if (!canonical.IsBend) {
      DrawPrimitive(primitive);
      continue;
    }
    if (!state.ModelView) {
      glMatrixMode(GL_MODELVIEW);
      state.ModelView = true;
    }
    const double scale = canonical.Scale;
    glPushMatrix();
    glMultMatrixd(canonical.Matrix.data());
    if (scale != 1.0) {
      glPushAttrib(GL_ENABLE_BIT);
      glEnable(GL_NORMALIZE);
      glScaled(scale, scale, scale);
    }
    CallShared(list);
    if (scale != 1.0) glPopAttrib();
    glPopMatrix();
  }
}

// ------------------------------------------------------------------ frames

void CGLRenderer::DrawModel(bool reducedDetail) const {
  DrawModel(reducedDetail ? m_stillDetail : CDetailThresholds{0.0, 0.0, 0.0});
}

void CGLRenderer::DrawModel(const CDetailThresholds& detail) const {
  m_frameStats = {};
  if (!m_ready) return;
  m_lines.BeginFrame();
  glPushAttrib(GL_LIST_BIT);
  DrawNodeLists(m_root, GetCameraMatrices(), detail);
  glPopAttrib();
  // After every list: what lies in front of a line hides it, as in a list.
  m_frameStats.LineRuns = m_lines.Draw(m_normalLineWidth);
}

namespace {

// The node's diameter in pixels where its box comes nearest the eye (at
// least as large as anywhere in the box); infinite when the box reaches the
// eye's plane or behind it.
double PixelsAcross(double diameter, const CBoundBox& box, const CCameraMatrices& camera) {
  const CPoint3& lo = box.GetMin();
  const CPoint3& hi = box.GetMax();
  const CMatrix44& m = camera.ModelView;
  double nearest = std::numeric_limits<double>::infinity();
  for (int corner = 0; corner < 8; ++corner) {
    const double p[3] = {corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                         corner & 4 ? hi.z : lo.z};
    const double eyeZ = m.m[2][0] * p[0] + m.m[2][1] * p[1] + m.m[2][2] * p[2] + m.m[2][3];
    nearest = std::min(nearest, -eyeZ);
  }
  if (!(nearest > 0.0)) return std::numeric_limits<double>::infinity();
  // The perspective's y scale maps a unit at depth 1 to half the height.
  return diameter * camera.Projection.m[1][1] * camera.Viewport.Height * 0.5 / nearest;
}

}  // namespace

void CGLRenderer::DrawNodeLists(const CModelNode* node, const CCameraMatrices& camera,
                                const CDetailThresholds& detail) const {
  NodeData* data = GetNodeData(node);
  if (!data || data->m_listId == 0 || IsHidden(node)) return;
  const CViewport& v = camera.Viewport;
  const CBoundBox& box = node->GetBoundBox();
  if (!BoxMayCoverRegion(box, camera, v.X, v.Y, v.X + v.Width, v.Y + v.Height)) {
    ++m_frameStats.Culled;
    return;
  }
  if (detail.OmitPixels > 0.0 &&
      PixelsAcross(box.GetRadius() * 2.0, box, camera) < detail.OmitPixels) {
    ++m_frameStats.Omitted;
    return;
  }
  int level = 0;
  if (detail.ReducedPixels > 0.0 && data->m_detailDiameter > 0.0) {
    const double across = PixelsAcross(data->m_detailDiameter, box, camera);
    level = across < detail.CentreLinePixels ? 2 : across < detail.ReducedPixels ? 1 : 0;
  }
  // Centre lines only: the node's lines join the frame's merged runs (no
  // call, matrix, name or material per component, nor per node).
  if (level == 2) {
    if (!data->LinesStored()) StoreCentreLines(node, *data);
    m_lines.Add(data->m_lineSlot);
  } else {
    if (!data->m_listCompiled) CompileListContent(node, *data);
    glListBase(level);
    glCallList(data->m_listId);
  }
  ++m_frameStats.Lists;
  if (level > 0) ++m_frameStats.Reduced;
  if (level == 2) ++m_frameStats.CentreLines;
  // The node's list has popped its name; its children's drawing nests under
  // it again, as the tree does.
  bool pushed = false;
  for (CModelNode* child : node->GetOrderedChildren()) {
    if (child->GetChildren().empty()) continue;  // drawn in this node's list
    if (!pushed) {
      glPushName(data->m_name);
      pushed = true;
    }
    DrawNodeLists(child, camera, detail);
  }
  if (pushed) glPopName();
}

namespace {

// The centre lines of a node's primitives in their colours (red when
// selected): cones, snouts and lines from end to end, bends as polylines.
void AddCentreLines(const CGeometrySet& geometry, bool selected, int bendSteps,
                    CLineVertices& lines) {
  for (const CPrimitive& primitive : geometry) {
    const auto colourOf = [&](std::int32_t colour) { return selected ? kSelectionColour : colour; };
    if (const auto* cone = primitive.GetCone()) {
      lines.Add(cone->Start, cone->End, colourOf(cone->Colour));
    } else if (const auto* snout = primitive.GetSnout()) {
      lines.Add(snout->Start, snout->End, colourOf(snout->Colour));
    } else if (const auto* line = primitive.GetLine()) {
      lines.Add(line->Start, line->End, colourOf(line->Colour));
    } else if (const auto* bend = primitive.GetCurvedCone()) {
      const CCurvePath path(bend->Start, bend->Centre, bend->End);
      CPoint3 from = bend->Start;
      for (int i = 1; i <= bendSteps; ++i) {
        const CPoint3 to = i == bendSteps ? bend->End : path.GetPoint(double(i) / bendSteps);
        lines.Add(from, to, colourOf(bend->Colour));
        from = to;
      }
    }
  }
}

}  // namespace

void CGLRenderer::StoreCentreLines(const CModelNode* node, NodeData& data) const {
  const int steps = std::max(2, ReducedTessellation(m_tessellation).BendSteps);
  CLineVertices lines;
  AddCentreLines(node->GetGeometry(), data.m_selection != 0, steps, lines);
  for (CModelNode* child : node->GetOrderedChildren()) {
    const NodeData* childData = GetNodeData(child);
    if (childData && child->GetChildren().empty() && !IsHidden(child))
      AddCentreLines(child->GetGeometry(), childData->m_selection != 0, steps, lines);
  }
  m_lines.Store(data.m_lineSlot, lines);
  data.m_linesCurrent = true;
}

// --------------------------------------------------------------- selection

void CGLRenderer::Select(CModelNode* node) {
  BatchScope batch(*this);
  NodeData* data = GetNodeData(node);
  if (!data) return;
  if (data->m_selection == 0) {
    data->m_selection = 2;
    for (const auto& [key, child] : node->GetChildren()) MarkInherited(child.get());
    BuildNodeList(node, data, false, false);
  } else if (data->m_selection == 1) {
    data->m_selection = 2;
  }
}

void CGLRenderer::VisibilityChanged(const std::vector<CModelNode*>& nodes) {
  BatchScope batch(*this);
  // A node with a list of its own is skipped where a frame reaches it; a
  // leaf is part of its parent's list.
  for (CModelNode* node : nodes)
    if (const NodeData* data = GetNodeData(node); data && DrawnInParent(node)) RequestCompile(*data);
}

void CGLRenderer::MarkInherited(CModelNode* node) {
  NodeData* data = GetNodeData(node);
  if (!data) return;
  if (data->m_selection == 0) {
    data->m_selection = 1;
    for (const auto& [key, child] : node->GetChildren()) MarkInherited(child.get());
  }
  BuildNodeList(node, data, false, false);
}

void CGLRenderer::Unselect(CModelNode* node) {
  BatchScope batch(*this);
  NodeData* data = GetNodeData(node);
  if (!data || data->m_selection == 0) return;
  data->m_selection = 0;
  for (const auto& [key, child] : node->GetChildren()) UnmarkInherited(child.get());
  BuildNodeList(node, data, false, false);
}

void CGLRenderer::UnmarkInherited(CModelNode* node) {
  NodeData* data = GetNodeData(node);
  if (!data) return;
  if (data->m_selection == 1) {
    data->m_selection = 0;
    for (const auto& [key, child] : node->GetChildren()) UnmarkInherited(child.get());
  }
  BuildNodeList(node, data, false, false);
}

bool CGLRenderer::IsSelected(CModelNode* node) {
  const NodeData* data = GetNodeData(node);
  return data && data->m_selection != 0;
}

void CGLRenderer::UnselectAll(std::vector<CModelNode*>& selected) {
  if (!m_root) return;
  BatchScope batch(*this);
  UnselectBelow(m_root, selected);
}

void CGLRenderer::UnselectBelow(CModelNode* node, std::vector<CModelNode*>& selected) {
  NodeData* data = GetNodeData(node);
  if (data && data->m_selection == 2) selected.push_back(node);
  // In file order: the caller reports the nodes one by one (the view's
  // SelectionChanged events), and the same selection must give the same
  // sequence in every run.
  for (CModelNode* child : node->GetOrderedChildren()) UnselectBelow(child, selected);
  if (data && data->m_selection != 0) {
    data->m_selection = 0;
    BuildNodeList(node, data, false, false);
  }
}
