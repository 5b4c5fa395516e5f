#include "render/GLRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "core/Primitive.h"
#include "platform/gl/GLSurface.h"
#include "render/AxesIndicator.h"
#include "render/BendCanonical.h"
#include "render/Material.h"
#include "render/PrimitiveDrawing.h"
#include "render/StandardViewDir.h"

// ---------------------------------------------------------------- NodeData

bool CGLRenderer::NodeData::OwnsList() const { return this == &m_owner->m_self; }

unsigned CGLRenderer::NodeData::ListId() const { return OwnsList() ? m_owner->m_listId : 0; }

bool CGLRenderer::NodeData::ListCompiled() const { return OwnsList() && m_owner->m_listCompiled; }

bool CGLRenderer::NodeData::InParentList() const { return !OwnsList() && m_owner->m_listId != 0; }

double CGLRenderer::NodeData::DetailDiameter() const {
  return OwnsList() ? m_owner->m_detailDiameter : 0.0;
}

bool CGLRenderer::NodeData::LinesStored() const {
  return OwnsList() && m_owner->m_linesCurrent && m_owner->m_renderer->m_lines.Holds(m_owner->m_lineSlot);
}

std::multiset<std::string> CGLRenderer::NodeData::Keys() const {
  return m_owner->KeysOf(*this, true);
}

std::multiset<std::string> CGLRenderer::NodeData::ConeKeys() const {
  return m_owner->KeysOf(*this, false);
}

// ---------------------------------------------------------------- ListData

CGLRenderer::ListData::ListData(CGLRenderer* renderer, CModelNode* node, std::uint32_t name,
                                int selection)
    : m_renderer(renderer) {
  m_self.m_node = node;
  m_self.m_owner = this;
  m_self.m_name = name;
  m_self.m_selection = static_cast<std::uint8_t>(selection);
}

CGLRenderer::ListData::~ListData() {
  if (!m_renderer->m_batchCurrent) m_renderer->MakeCurrent();
  if (m_listId != 0) glDeleteLists(m_listId, 1);
  m_renderer->m_lines.Release(m_lineSlot);
  for (const std::string* key : m_bendKeys) m_renderer->m_bendCache.Release(*key);
  for (const std::string* key : m_coneKeys) m_renderer->m_coneCache.Release(*key);
  // Records are not followed to their nodes: a node may be on its way out.
  m_renderer->FreeName(m_self.m_name);
  for (const NodeData& leaf : m_leaves) m_renderer->FreeName(leaf.m_name);
}

CGLRenderer::NodeData* CGLRenderer::ListData::FindLeaf(const CModelNode* leaf) {
  const auto it = std::lower_bound(
      m_byNode.begin(), m_byNode.end(), leaf, [this](std::uint32_t i, const CModelNode* node) {
        return std::less<const CModelNode*>()(m_leaves[i].m_node, node);
      });
  return it != m_byNode.end() && m_leaves[*it].m_node == leaf ? &m_leaves[*it] : nullptr;
}

void CGLRenderer::ListData::OnGeometryChanged() { m_renderer->BuildNodeList(m_self.m_node, *this); }

void CGLRenderer::ListData::OnSubtreeChanged() { m_renderer->BuildNodeList(m_self.m_node, *this); }

void CGLRenderer::ListData::OnParentChanged() {
  CModelNode* root = m_renderer->m_root;
  CModelNode* node = m_self.m_node;
  if (node == root || node->IsAncestor(root)) return;
  // The hook runs on a copy of the node's items, so this object lives until
  // the hook returns even though it is detached here.
  m_renderer->RemoveNodeData(node);
}

// The keys of the record's shared bends (or cones), found by counting the
// shared primitives of the records before it.
std::multiset<std::string> CGLRenderer::ListData::KeysOf(const NodeData& record, bool bends) {
  std::multiset<std::string> keys;
  std::size_t bend = 0, cone = 0;
  ForEachRecord([&](const NodeData& r) {
    const CGeometrySet& geometry = r.m_node->GetGeometry();
    for (std::uint32_t i = 0; i < r.m_primitives && i < geometry.size(); ++i) {
      if (m_lists[r.m_firstPrimitive + i] == 0) continue;
      const bool isBend = geometry[i].GetCurvedCone() != nullptr;
      std::size_t& at = isBend ? bend : cone;
      const auto& stored = isBend ? m_bendKeys : m_coneKeys;
      if (&r == &record && isBend == bends && at < stored.size()) keys.insert(*stored[at]);
      ++at;
    }
  });
  return keys;
}

// ------------------------------------------------------- construction, options

namespace {
// The shared lists are blocks of one list per level of detail.
void DeleteSharedBlock(unsigned list) { glDeleteLists(list, CGLRenderer::kDetailLevels); }
}  // namespace

CGLRenderer::CGLRenderer()
    : m_bendCache(DeleteSharedBlock),
      m_coneCache(DeleteSharedBlock),
      m_key(static_cast<const void*>(this)) {
  RegisterOptions();
}

CGLRenderer::CGLRenderer(CModelNode* root, kelto::gl::CGLSurface* surface) : CGLRenderer() {
  Init(root, surface);
}

CGLRenderer::~CGLRenderer() {
  // Detaching first stops the options from calling back while the data goes.
  m_options.changedSignal.disconnect(this);
  if (m_ready && m_root) {
    MakeCurrent();
    RemoveNodeData(m_root);
  }
}

void CGLRenderer::RegisterOptions() {
  // Connected before registering: whoever holds the registry can set an
  // option as soon as it exists.
  m_options.changedSignal.connect(this, &CGLRenderer::OnOptionChanged);
  m_normalizeScale = false;
  m_options.AddOption("NormalizeScale", &m_normalizeScale);
  m_tessellation.Edges = 16;
  m_options.AddOption("Edges", &m_tessellation.Edges);
  m_tessellation.BendSteps = 8;
  m_options.AddOption("BendSteps", &m_tessellation.BendSteps);
  m_tessellation.CylStacks = 2;
  m_options.AddOption("CylStacks", &m_tessellation.CylStacks);
  m_tessellation.SnoutSteps = 1;
  m_options.AddOption("SnoutSteps", &m_tessellation.SnoutSteps);
  m_keyPrecision = 1;
  m_options.AddOption("KeyPrecision", &m_keyPrecision);
  m_axesSize = 50;
  m_options.AddOption("AxesSize", &m_axesSize);
  m_axesTop = true;
  m_options.AddOption("AxesTop", &m_axesTop);
  m_axesRight = false;
  m_options.AddOption("AxesRight", &m_axesRight);
  m_viewLimits = true;
  m_options.AddOption("ViewLimits", &m_viewLimits);
  m_backgroundColour = 0;
  m_options.AddOption("BackgroundColour", &m_backgroundColour);
  m_normalLineWidth = 1.0f;
  m_options.AddOption("NormalLineWidth", &m_normalLineWidth);
  m_selectedLineWidth = 1.0f;
  m_options.AddOption("SelectedLineWidth", &m_selectedLineWidth);
  m_showDebugInfo = false;
  m_options.AddOption("ShowDebugInfo", &m_showDebugInfo);
  // What a person may ask for: fewer than three edges is no section, and
  // beyond these the lists only grow, with nothing more to see.
  m_options.SetRange("Edges", 3, 1024);
  m_options.SetRange("BendSteps", 1, 1024);
  m_options.SetRange("CylStacks", 1, 1024);
  m_options.SetRange("SnoutSteps", 1, 1024);
  m_options.SetRange("KeyPrecision", 0, kMaxKeyPrecision);
  m_options.SetRange("AxesSize", 0, 8192);
  m_options.SetRange("BackgroundColour", 0, 0xFFFFFF);
  m_options.SetRange("NormalLineWidth", 0.1, 100);
  m_options.SetRange("SelectedLineWidth", 0.1, 100);
}

void CGLRenderer::OnOptionChanged(COptions::Names /*names*/) {
  if (!m_ready) return;
  MakeCurrent();
  // Tessellation, keys and colours may all have changed: start afresh.
  RemoveNodeData(m_root);
  BuildRoot();
  Render();
}

void CGLRenderer::Shutdown() {
  if (m_ready && m_root) {
    MakeCurrent();
    RemoveNodeData(m_root);
  }
  m_ready = false;
  m_root = nullptr;
  m_surface = nullptr;
}

void CGLRenderer::Init(CModelNode* root, kelto::gl::CGLSurface* surface, bool keepView) {
  if (!root) throw std::invalid_argument("Null model root.");
  if (m_ready && m_root) {
    MakeCurrent();
    RemoveNodeData(m_root);
    m_ready = false;
  }
  m_root = root;
  m_surface = surface;
  if (MakeCurrent()) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    // Surfaces are pushed back by a depth step or so (more where they slope
    // away): a line or circle lying on a surface — a weld ring or a support
    // on its pipe — then shows whole instead of tying with the surface for
    // every pixel, and nothing else moves visibly.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    m_viewport = {viewport[0], viewport[1], viewport[2], viewport[3]};
  }
  if (keepView) {
    ApplyProjection();
  } else {
    m_view.Distance = 1.0;
    const CViewDirection start = *GetStandardViewDir(svdNorthTopLeft);
    SetViewDir(start.View, start.Up);
  }
  BuildRoot();
  m_ready = true;
}

bool CGLRenderer::MakeCurrent() const { return m_surface && m_surface->MakeCurrent(); }

// ------------------------------------------------------------- node data

CGLRenderer::ListData* CGLRenderer::GetListData(const CModelNode* node) const {
  const CModelNode::AssociatedPtr item = node->GetAssociated(m_key);
  return dynamic_cast<ListData*>(item.get());
}

CGLRenderer::NodeData* CGLRenderer::GetNodeData(const CModelNode* node) const {
  if (!node) return nullptr;
  if (ListData* own = GetListData(node)) return &own->m_self;
  const CModelNode* parent = node->GetParent();
  ListData* up = parent ? GetListData(parent) : nullptr;
  return up ? up->FindLeaf(node) : nullptr;
}

CGLRenderer::ListData* CGLRenderer::AttachListData(CModelNode* node, std::uint32_t name,
                                                   int selection) {
  auto* data = new ListData(this, node, name, selection);
  node->SetAssociated(m_key, CModelNode::AssociatedPtr(data));
  return data;
}

namespace {

// A tenth of the stage, rounded up: at most eleven reports in all.
std::size_t Step(std::size_t total) { return std::max<std::size_t>(1, (total + 9) / 10); }

std::size_t CountNodes(const CModelNode& node) {
  std::size_t n = 1;
  for (const auto& [key, child] : node.GetChildren()) n += CountNodes(*child);
  return n;
}

}  // namespace

void CGLRenderer::BuildRoot() {
  struct StageEnd {
    CBuildProgress& stage;
    ~StageEnd() { stage = {}; }
  } end{m_stage};
  if (m_progress) BeginStage(CBuildProgress::Stage::Components, CountNodes(*m_root));
  BuildNodeList(m_root, *AttachListData(m_root, AllocateName(m_root), 0));
}

void CGLRenderer::BeginStage(CBuildProgress::Stage stage, std::size_t total) {
  m_stage = {stage, 0, total};
  m_nextReport = Step(total);
  m_progress(m_stage);
}

void CGLRenderer::Advance(CBuildProgress::Stage stage) {
  if (m_stage.Total == 0 || m_stage.What != stage) return;
  if (++m_stage.Done < m_nextReport && m_stage.Done != m_stage.Total) return;
  m_nextReport = m_stage.Done + Step(m_stage.Total);
  m_progress(m_stage);
}

std::uint32_t CGLRenderer::AllocateName(CModelNode* node) { return m_names.Allocate(node); }

void CGLRenderer::FreeName(std::uint32_t name) { m_names.Free(name); }

CModelNode* CGLRenderer::ResolveName(std::uint32_t name) const { return m_names.Resolve(name); }

// ----------------------------------------------------------------- drawing

void CGLRenderer::SetMaterialColour(std::int32_t colour, bool emissive) {
  ::SetMaterialColour(colour, emissive);
}

void CGLRenderer::SetLineWidth(bool selected) const {
  glLineWidth(selected ? m_selectedLineWidth : m_normalLineWidth);
}

void CGLRenderer::PrimitiveMaterial(const CPrimitive& primitive, bool selected,
                                    std::int32_t& colour, bool& emissive) {
  colour = 0;
  emissive = false;
  if (const auto* line = primitive.GetLine()) {
    colour = line->Colour;
    emissive = true;
  } else if (const auto* circle = primitive.GetCircle()) {
    colour = circle->Colour;
    emissive = true;
  } else if (const auto* cone = primitive.GetCone()) {
    colour = cone->Colour;
  } else if (const auto* bend = primitive.GetCurvedCone()) {
    colour = bend->Colour;
  } else if (const auto* snout = primitive.GetSnout()) {
    colour = snout->Colour;
  }
  if (selected) colour = kSelectionColour;
}

void CGLRenderer::SetColourForPrimitive(const CPrimitive& primitive, bool selected) const {
  std::int32_t colour = 0;
  bool emissive = false;
  PrimitiveMaterial(primitive, selected, colour, emissive);
  SetMaterialColour(colour, emissive);
}

void CGLRenderer::DrawPrimitive(const CPrimitive& primitive) const {
  ::DrawPrimitive(primitive, m_tessellation);
}

void CGLRenderer::Render() {
  if (!MakeCurrent()) return;
  // The model may have grown or shrunk since the last camera operation; the
  // near and far planes follow it.
  ApplyProjection();
  const std::array<float, 4> background = ColourVector(m_backgroundColour);
  glClearColor(background[0], background[1], background[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  const auto start = std::chrono::steady_clock::now();
  m_interaction.FrameStarted();
  DrawModel(m_interaction.FrameDetail(m_stillDetail));
  if (m_axesSize > 0)
    DrawAxesIndicator(m_view.Rotation, m_axesSize, m_axesTop, m_axesRight, m_surface);
  glFinish();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);

  if (m_showDebugInfo) DrawDebugOverlay(static_cast<long long>(elapsed.count()));
  glFlush();
  m_surface->SwapBuffers();
  m_interaction.FrameFinished();
}

void CGLRenderer::DrawDebugOverlay(long long elapsedMs) {
  char time[32], cache[64], distance[32];
  std::snprintf(time, sizeof time, "%lld", elapsedMs);
  std::snprintf(cache, sizeof cache, "%lld -> %lld", static_cast<long long>(m_bendCache.Lookups()),
                static_cast<long long>(m_bendCache.Misses()));
  std::snprintf(distance, sizeof distance, "%g", m_view.Distance);

  SetMaterialColour(0xAAAAAA, true);
  // The text lies at depth 0.5; the model in front of that would hide it.
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glRasterPos2d(-0.9, -0.9);
  m_surface->DrawText(time);
  glRasterPos2d(-0.9, -0.975);
  m_surface->DrawText(distance);
  glRasterPos2d(0.65, -0.9);
  m_surface->DrawText(cache);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}
