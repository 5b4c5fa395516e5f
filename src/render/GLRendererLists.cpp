// The display lists of CGLRenderer: building a list's data (the records of
// its node and leaves, bend keys and references), compiling the lists that
// hold the nodes' drawing, and the selection states that those lists show.
//
// Who compiles what. BuildNodeList brings one list up to date (its new
// children, its leaves' records, its bend references) and asks for it to be
// compiled; the compiling itself waits until the outermost operation ends
// (BatchScope), so that building a pipeline of a hundred new components, or
// selecting a pipeline (which marks each of its components), compiles the
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

void CGLRenderer::RequestCompile(const ListData& data) {
  m_pending.push_back(data.m_self.m_name);
  if (m_batchDepth == 0) CompilePending();
}

void CGLRenderer::CompilePending() {
  if (m_pending.empty()) return;
  std::vector<std::uint32_t> names;
  names.swap(m_pending);
  // A name asked for may since have moved between a list of its own and its
  // parent's (a node that gained or lost its children): the list holding
  // the node's drawing now is the one laid out.
  std::vector<CModelNode*> targets;
  for (const std::uint32_t name : names) {
    CModelNode* node = ResolveName(name);
    const NodeData* record = node ? GetNodeData(node) : nullptr;
    if (!record || record->m_name != name) continue;  // gone meanwhile
    targets.push_back(record->m_owner->m_self.m_node);
  }
  std::sort(targets.begin(), targets.end());
  targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
  if (targets.empty() || !MakeCurrent()) return;
  if (m_stage.Total != 0) BeginStage(CBuildProgress::Stage::Lists, targets.size());
  for (CModelNode* node : targets) {
    if (ListData* data = GetListData(node)) CompileNodeList(node, *data);
    Advance(CBuildProgress::Stage::Lists);
  }
}

void CGLRenderer::BuildNodeList(CModelNode* node, ListData& data) {
  BatchScope batch(*this);
  MakeCurrentInBatch();
  SettleChildren(node, data);
  TakeSharedLists(data);
  Advance(CBuildProgress::Stage::Components);
  RequestCompile(data);
}

void CGLRenderer::SettleChildren(CModelNode* node, ListData& data) {
  // A copy: building a child's list runs no hook here, but the order must
  // not move under the loop whatever happens below.
  const std::vector<CModelNode*> children = node->GetOrderedChildren();
  const int inherited = data.m_self.m_selection != 0 ? 1 : 0;
  std::vector<NodeData> leaves;
  leaves.reserve(children.size());
  const auto settle = [&] {
    for (CModelNode* child : children) {
      ListData* own = GetListData(child);
      NodeData* old = data.FindLeaf(child);
      if (!child->GetChildren().empty()) {
        if (own) continue;  // keeps its list; its own hooks keep it up to date
        // New here, or a leaf that gained children: a list of its own, under
        // the name and selection it had as a leaf.
        const std::uint32_t name = old ? std::exchange(old->m_name, 0) : AllocateName(child);
        BuildNodeList(child, *AttachListData(child, name, old ? old->m_selection : inherited));
        continue;
      }
      NodeData& record = leaves.emplace_back();
      record.m_node = child;
      record.m_owner = &data;
      if (old) {
        record.m_name = std::exchange(old->m_name, 0);
        record.m_selection = old->m_selection;
      } else if (own) {
        // It lost its last child: back into this list under its name; its own
        // list goes with its data.
        record.m_name = std::exchange(own->m_self.m_name, 0);
        record.m_selection = own->m_self.m_selection;
        child->ClearAssociated(m_key);
      } else {
        record.m_name = AllocateName(child);
        record.m_selection = static_cast<std::uint8_t>(inherited);
        Advance(CBuildProgress::Stage::Components);
      }
    }
  };
  try {
    settle();
  } catch (...) {
    // Names taken from the old records stay nowhere else: free them, or a
    // name would outlive its node.
    for (const NodeData& record : leaves) FreeName(record.m_name);
    throw;
  }
  // Leaves that are no longer here take their names with them.
  for (const NodeData& gone : data.m_leaves) FreeName(gone.m_name);
  data.m_leaves.swap(leaves);
  data.m_byNode.resize(data.m_leaves.size());
  for (std::uint32_t i = 0; i < data.m_byNode.size(); ++i) data.m_byNode[i] = i;
  std::sort(data.m_byNode.begin(), data.m_byNode.end(), [&](std::uint32_t a, std::uint32_t b) {
    return std::less<const CModelNode*>()(data.m_leaves[a].m_node, data.m_leaves[b].m_node);
  });
}

void CGLRenderer::TakeSharedLists(ListData& data) {
  std::vector<const std::string*> released, releasedCones;
  released.swap(data.m_bendKeys);
  releasedCones.swap(data.m_coneKeys);
  data.m_lists.clear();
  data.ForEachRecord([&](NodeData& record) {
    const CGeometrySet& geometry = record.m_node->GetGeometry();
    record.m_firstPrimitive = static_cast<std::uint32_t>(data.m_lists.size());
    record.m_primitives = static_cast<std::uint32_t>(geometry.size());
    for (const CPrimitive& primitive : geometry) data.m_lists.push_back(SharedList(primitive, data));
  });
  data.m_lists.shrink_to_fit();
  data.m_bendKeys.shrink_to_fit();
  data.m_coneKeys.shrink_to_fit();
  // Keys still in use were referenced again above, so their lists survive.
  for (const std::string* key : released) m_bendCache.Release(*key);
  for (const std::string* key : releasedCones) m_coneCache.Release(*key);
}

unsigned CGLRenderer::SharedList(const CPrimitive& primitive, ListData& data) {
  // A shape new to its cache gets its list names now and its drawing when a
  // node list or a pick first calls it: a plant seen whole draws centre
  // lines and needs none of them.
  const auto take = [&](CBendCache& cache, const std::string& key, const CPrimitive& shape,
                        std::vector<const std::string*>& keys) -> unsigned {
    unsigned list = cache.Lookup(key);
    if (list == 0) {
      list = glGenLists(kDetailLevels);
      if (list == 0) return 0;  // no context, or out of list names: drawn in place
      cache.Add(key, list, [this, list, shape] { CompileShared(list, shape); });
    } else {
      cache.AddRef(key);
    }
    keys.push_back(cache.Stored(key));
    return list;
  };
  if (const auto* bend = primitive.GetCurvedCone()) {
    const CCanonicalBend canonical = CanonicaliseBend(*bend, m_normalizeScale, m_keyPrecision);
    if (!canonical.IsBend) return 0;
    return take(m_bendCache, canonical.Key, CPrimitive(canonical.Shape), data.m_bendKeys);
  }
  if (const auto* cone = primitive.GetCone()) {
    const CCanonicalCone canonical = CanonicaliseCone(*cone);
    if (!canonical.IsCone) return 0;
    return take(m_coneCache, canonical.Key, CPrimitive(canonical.Shape), data.m_coneKeys);
  }
  return 0;
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

void CGLRenderer::CompileNodeList(CModelNode* node, ListData& data) {
  // Children with children of their own get their list now, for DrawModel
  // to call; leaves are records of this list.
  for (CModelNode* child : node->GetOrderedChildren()) {
    if (child->GetChildren().empty()) continue;
    if (ListData* childData = GetListData(child); childData && childData->m_listId == 0)
      CompileNodeList(child, *childData);
  }

  data.m_listCompiled = false;
  data.m_linesCurrent = false;
  data.m_detailDiameter = LargestDiameter(node->GetGeometry());
  if (data.m_listId == 0) data.m_listId = glGenLists(1);  // 0: no context, or out of names
  for (const NodeData& leaf : data.m_leaves) {
    if (IsHidden(leaf.m_node)) continue;
    data.m_detailDiameter =
        std::max(data.m_detailDiameter, LargestDiameter(leaf.m_node->GetGeometry()));
  }
}

void CGLRenderer::CompileListContent(ListData& data) const {
  // The shared lists this list calls, compiled first: a list cannot be
  // compiled while another one is.
  if (m_bendCache.Waiting() != 0)
    for (const std::string* key : data.m_bendKeys) m_bendCache.Find(*key);
  if (m_coneCache.Waiting() != 0)
    for (const std::string* key : data.m_coneKeys) m_coneCache.Find(*key);
  ListState state;
  glNewList(data.m_listId, GL_COMPILE);
  EmitNodeContent(data.m_self, state);
  for (const NodeData& leaf : data.m_leaves) {
    if (IsHidden(leaf.m_node)) continue;
    EmitNodeContent(leaf, state);
    glPopName();
  }
  // What the list enabled it disables again: no state leaks out of a list.
  if (state.Normalize) glDisable(GL_NORMALIZE);
  glPopName();
  glEndList();
  data.m_listCompiled = true;
  ++m_frameStats.Compiled;
}

void CGLRenderer::EmitNodeContent(const NodeData& record, ListState& state) const {
  glPushName(record.m_name);
  const bool selected = record.m_selection != 0;
  const float width = selected ? m_selectedLineWidth : m_normalLineWidth;
  const CGeometrySet& geometry = record.m_node->GetGeometry();
  const std::vector<unsigned>& lists = record.m_owner->m_lists;
  for (std::size_t i = 0; i < geometry.size(); ++i) {
    const CPrimitive& primitive = geometry[i];
    // The shared list the list's last rebuild gave the primitive.
    const unsigned list = i < record.m_primitives ? lists[record.m_firstPrimitive + i] : 0;
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
  ListData* data = GetListData(node);
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
    if (!data->m_self.LinesStored()) StoreCentreLines(*data);
    m_lines.Add(data->m_lineSlot);
  } else {
    if (!data->m_listCompiled) CompileListContent(*data);
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
      glPushName(data->m_self.m_name);
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

void CGLRenderer::StoreCentreLines(ListData& data) const {
  const int steps = std::max(2, ReducedTessellation(m_tessellation).BendSteps);
  CLineVertices lines;
  AddCentreLines(data.m_self.m_node->GetGeometry(), data.m_self.m_selection != 0, steps, lines);
  for (const NodeData& leaf : data.m_leaves)
    if (!IsHidden(leaf.m_node))
      AddCentreLines(leaf.m_node->GetGeometry(), leaf.m_selection != 0, steps, lines);
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
    RequestCompile(*data->m_owner);
  } else if (data->m_selection == 1) {
    data->m_selection = 2;
  }
}

void CGLRenderer::VisibilityChanged(const std::vector<CModelNode*>& nodes) {
  BatchScope batch(*this);
  // A node with a list of its own is skipped where a frame reaches it; a
  // leaf is part of its parent's list.
  for (CModelNode* node : nodes)
    if (const NodeData* data = GetNodeData(node); data && !data->OwnsList())
      RequestCompile(*data->m_owner);
}

void CGLRenderer::MarkInherited(CModelNode* node) {
  NodeData* data = GetNodeData(node);
  if (!data) return;
  if (data->m_selection == 0) {
    data->m_selection = 1;
    for (const auto& [key, child] : node->GetChildren()) MarkInherited(child.get());
  }
  RequestCompile(*data->m_owner);
}

void CGLRenderer::Unselect(CModelNode* node) {
  BatchScope batch(*this);
  NodeData* data = GetNodeData(node);
  if (!data || data->m_selection == 0) return;
  data->m_selection = 0;
  for (const auto& [key, child] : node->GetChildren()) UnmarkInherited(child.get());
  RequestCompile(*data->m_owner);
}

void CGLRenderer::UnmarkInherited(CModelNode* node) {
  NodeData* data = GetNodeData(node);
  if (!data) return;
  if (data->m_selection == 1) {
    data->m_selection = 0;
    for (const auto& [key, child] : node->GetChildren()) UnmarkInherited(child.get());
  }
  RequestCompile(*data->m_owner);
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
    RequestCompile(*data->m_owner);
  }
}
