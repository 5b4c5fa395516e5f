// CGLRenderer: draws one model tree into one OpenGL surface.
//
// Display lists. A node with children (and the root) has a display list of
// its own and carries a ListData (attached under this renderer's own key, so
// several renderers can share a tree); a leaf is a record in its parent's
// ListData and carries nothing. A list is: the node's selection name, its
// primitives, then each child in child order — a leaf child's name and
// primitives compiled right into this list, any other child as a call of its
// own list. So a pipeline and its components make one list, each component a
// sub-range of it under its own selection name (picking still finds the
// component). Lists do not call each other: a frame walks the nodes that own
// a list and calls each (DrawModel), which lets it skip a subtree whose box
// lies outside the view and choose each list's level of detail. Lists are few
// because a GL driver may compile each list more slowly the more lists exist
// (Mesa's llvmpipe does); a plant of 100k components in 1,000 pipelines has
// about a thousand lists rather than a hundred thousand.
//
// Recompiling. A change to a node (its geometry, its children, its
// selection) recompiles the list its drawing lives in: its own, or for a
// leaf its parent's. Since a parent calls its non-leaf children's lists by
// name, those are picked up without touching the parent. Within one
// operation (a build, a selection change) every list is compiled once, after
// all the nodes concerned have been brought up to date. A node that gains its
// first child gets a list of its own; one that loses its last child moves
// back into its parent's list.
//
// Bend cache. Bends (curved cones) are reduced to a canonical shape
// (BendCanonical.h), tessellated once per distinct shape into a shared list
// (CBendCache), and drawn under their own placement matrix. A list holds one
// reference per bend primitive of its records (NodeData::Keys); the last
// reference released deletes the list. Cones likewise (the cone cache). A
// shared list is compiled when a node list or a pick first needs it.
//
// Level of detail. Each shared bend or cone list is a block of two: the
// shape at the options' tessellation; at ReducedTessellation
// (PrimitiveDrawing.h) with its centre line inside. Node lists call them
// with glCallLists, so the list base current when a node list runs picks the
// level: DrawModel sets base 1 for a list whose largest bend or cone
// diameter is under ReducedDetailPixels on screen, measured at the nearest
// corner of the node's box, else 0; in a list at base 1 the centre line
// shows only where its own surface misses a pixel (it lies inside the
// surface, and the depth test hides it elsewhere), which keeps thin branches
// of a thicker pipeline whole. A node whose largest diameter is under
// kCentreLinePixels is not called at all: its centre lines join the frame's
// merged runs of lines (CCentreLineRuns), so a pipe narrower than a pixel is
// a line one pixel wide rather than specks where its surface happens to
// cover a pixel's centre, and a plant seen whole is a few draws. Picking
// and the depth passes always use full detail (during motion a depth query
// with nothing under its point reads boxes instead, GLRendererCamera.cpp). A node list is compiled the
// first time a frame or a selection pass calls it (ListCompiled).
//
// Hooks. A list node's geometry or subtree change rebuilds its list (and
// creates and builds lists for new children with children). A leaf has no
// hooks of its own: a change to it reaches the renderer through its parent's
// subtree hook, so a leaf's new geometry needs GeometryChanged(true), as a
// synchronisation gives it. A list node leaving the tree loses this
// renderer's data for its whole subtree, which frees the lists.
//
// Options. Fourteen options, registered in this order with these defaults:
// NormalizeScale false, Edges 16, BendSteps 8, CylStacks 2, SnoutSteps 1,
// KeyPrecision 1, AxesSize 50, AxesTop true, AxesRight false, ViewLimits
// true, BackgroundColour 0, NormalLineWidth 1.0, SelectedLineWidth 1.0,
// ShowDebugInfo false. Any change made through GetOptions() (once the
// renderer is initialised) rebuilds every list from scratch — which also
// clears every selection — and renders a frame.
//
// Camera. The current and saved views (CViewState), the projection and the
// camera operations of IFRenderer; the mathematics is in CameraMath.h.
//
// Picking names. A selection name is 32 bits while a node's address is 64,
// so each record gets a small number of its own and the renderer maps
// numbers back to nodes; a hit on a name whose node has gone is dropped.
//
// Lifetime. The tree must outlive the renderer, and the surface must outlive
// it too; destroying the renderer removes its data from the whole tree (and
// so every list). Every operation that touches GL first makes the surface
// current. Nothing reports GL errors; a surface without a context makes
// drawing a no-op while the camera state still follows the operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/AssociationKey.h"
#include "core/ModelNode.h"
#include "core/Signals.h"
#include "options/Options.h"
#include "render/BendCache.h"
#include "render/CameraMath.h"
#include "render/CentreLineRuns.h"
#include "render/InteractionController.h"
#include "render/InteractionDetail.h"
#include "render/PrimitiveTessellation.h"
#include "render/Renderer.h"
#include "render/SelectionNames.h"

namespace kelto::gl {
class CGLSurface;
}

class CPrimitive;

class CGLRenderer : public IFRenderer, public sigslot::has_slots<sigslot::multi_threaded_local> {
 public:
  class NodeData;
  class ListData;

  // Registers the options; Init follows once the surface exists.
  CGLRenderer();
  // Registers the options and initialises at once (off-screen rendering).
  CGLRenderer(CModelNode* root, kelto::gl::CGLSurface* surface);
  CGLRenderer(const CGLRenderer&) = delete;
  CGLRenderer& operator=(const CGLRenderer&) = delete;
  virtual ~CGLRenderer();

  // Enables depth test, lighting with the default light 0 and back-face
  // culling; takes the viewport the surface has; starts in the
  // north-top-left view at distance 1; builds every list of the tree. A
  // renderer initialised before first lets go of its old tree. Throws
  // std::invalid_argument for a null root.
  // keepView: start from the current view instead (a view moved before
  // the surface existed).
  void Init(CModelNode* root, kelto::gl::CGLSurface* surface, bool keepView = false);
  // Lets go of the tree and the surface, in that order: removes this
  // renderer's data from the tree (freeing its lists while the surface is
  // still current), then forgets both. The options and the views stay, so a
  // later Init on a new surface carries on where this one stopped.
  void Shutdown();
  bool IsReady() const { return m_ready; }
  // The tree the camera looks at before Init (a view without a surface yet,
  // or again after Shutdown): the view limits and the depth range follow its
  // box, so a view framed without a surface is the view Init will draw.
  // Nothing is built. Ignored while initialised.
  void SetViewedRoot(CModelNode* root) {
    if (!m_ready) m_root = root;
  }

  // IFRenderer.
  void SaveView() override;
  bool RestoreView() override;
  bool FitView(const CBoundBox& box) override;
  bool Rotate(const CVector3& axis, double angle) override;
  bool ZoomAt(double factor, const CPoint2& point) override;
  bool Zoom(double factor) override;
  bool SetCentre(const CPoint3& centre) override;
  void BeginPan(const CPoint2& point) override;
  bool PanTo(const CPoint2& point) override;
  bool AdjustCentreDepth() override;
  bool SetViewDir(const CVector3& view, const CVector3& up) override;
  void Select(CModelNode* node) override;
  void Unselect(CModelNode* node) override;
  bool IsSelected(CModelNode* node) override;
  void UnselectAll(std::vector<CModelNode*>& selected) override;
  void Pick(const CPoint2& point, CHitList& hits) override;
  void Resize(int width, int height) override;
  void Render() override;
  COptions& GetOptions() override { return m_options; }
  bool CopyViewFrom(const IFRenderer& other) override;
  const CViewState& GetView() const override { return m_view; }
  const CViewState& GetSavedView() const override { return m_savedView; }
  double GetDepth(const CPoint2& point, bool nearest) override;
  CInteractionController* GetInteraction() override { return &m_interaction; }

  // Drawing services (for the lists being compiled, and for picking).
  static void SetMaterialColour(std::int32_t colour, bool emissive);
  // glLineWidth of SelectedLineWidth or NormalLineWidth.
  void SetLineWidth(bool selected) const;
  // One primitive with this renderer's tessellation options.
  void DrawPrimitive(const CPrimitive& primitive) const;
  // Calls the list of every node that owns one, skipping subtrees whose box
  // lies outside the view, each at its level of detail (reducedDetail false:
  // all at full detail). Names nest as in the tree, for selection passes.
  void DrawModel(bool reducedDetail = true) const;
  // The same, each list judged by these thresholds.
  void DrawModel(const CDetailThresholds& detail) const;

  // Shared bend and cone lists come in blocks of this many, one per level of
  // detail: the options' tessellation, then the reduced one.
  static constexpr int kDetailLevels = 2;
  // Lists whose largest bend or cone is under this many pixels across on
  // screen draw them reduced. 0 or less: always full detail.
  static constexpr double kDefaultReducedDetailPixels = 6.0;
  // Lists whose largest bend or cone is under this many pixels across draw
  // their centre lines only (when reduced detail is on).
  static constexpr double kCentreLinePixels = 1.0;
  void SetReducedDetailPixels(double pixels) { m_stillDetail.ReducedPixels = pixels; }
  double GetReducedDetailPixels() const { return m_stillDetail.ReducedPixels; }
  void SetCentreLinePixels(double pixels) { m_stillDetail.CentreLinePixels = pixels; }
  // The thresholds of a still frame (InteractionDetail.h); a frame drawn
  // during motion takes those GetInteraction() chooses instead.
  const CDetailThresholds& GetStillDetail() const { return m_stillDetail; }
  // What the last DrawModel did: nodes drawn, subtrees skipped as out of
  // view, nodes drawn at reduced detail (with or without surfaces), nodes
  // drawn as centre lines only, the draws those centre lines took
  // (CCentreLineRuns), the node lists this frame had to compile first, and
  // subtrees left out as too small on screen (a frame during motion).
  struct CFrameStats {
    int Lists = 0;
    int Culled = 0;
    int Reduced = 0;
    int CentreLines = 0;
    int LineRuns = 0;
    int Compiled = 0;
    int Omitted = 0;
  };
  const CFrameStats& GetFrameStats() const { return m_frameStats; }

  // How far a build of every list (Init, an options change) has come: the
  // components being prepared (each node's shared shapes tessellated and
  // compiled), then the node lists being laid out (each gets its name, its
  // place and its level-of-detail measure; what it draws is compiled when a
  // frame first needs it). Reported at the start of each stage and at every
  // tenth of it, on the thread that builds.
  struct CBuildProgress {
    enum class Stage { Components, Lists } What = Stage::Components;
    std::size_t Done = 0;
    std::size_t Total = 0;
  };
  using BuildProgressCallback = std::function<void(const CBuildProgress&)>;
  // An empty callback stops the reports. An exception from the callback
  // leaves the build unfinished and propagates.
  void SetBuildProgress(BuildProgressCallback callback) { m_progress = std::move(callback); }

  // Hiding: a node the test calls hidden is not drawn, picked or probed for
  // depth, and neither is anything below it. Its lists stay, so showing it
  // again costs a frame; a leaf drawn inside its parent's list makes that
  // one list compile again (VisibilityChanged), no model is rebuilt.
  using HiddenTest = std::function<bool(const CModelNode*)>;
  void SetHiddenTest(HiddenTest test) { m_hidden = std::move(test); }
  bool IsHidden(const CModelNode* node) const { return m_hidden && m_hidden(node); }
  // The test's answer for these nodes has changed (each list concerned is
  // compiled once).
  void VisibilityChanged(const std::vector<CModelNode*>& nodes);

  // Inspection, for the view control and tests.
  CModelNode* GetRoot() const { return m_root; }
  kelto::gl::CGLSurface* GetSurface() const { return m_surface; }
  const AssociationKey& GetKey() const { return m_key; }
  // This renderer's data on the node, or null.
  NodeData* GetNodeData(const CModelNode* node) const;
  const CBendCache& GetBendCache() const { return m_bendCache; }
  // The shared lists of cones, one per pair of diameters (ConeCanonical.h).
  const CBendCache& GetConeCache() const { return m_coneCache; }
  const CViewport& GetViewport() const { return m_viewport; }
  // The matrices the current view draws with (aboutCentre: without the
  // translation by −Centre).
  CCameraMatrices GetCameraMatrices(bool aboutCentre = false) const;
  const CPoint3& GetPanAnchor() const { return m_panAnchor; }

 private:
  friend class NodeData;
  friend class ListData;

  void RegisterOptions();
  void OnOptionChanged(COptions::Names names);
  bool MakeCurrent() const;
  // Counts one more step of the stage and reports when it crosses a tenth.
  void Advance(CBuildProgress::Stage stage);
  void BeginStage(CBuildProgress::Stage stage, std::size_t total);

  // The list data attached to the node, or null.
  ListData* GetListData(const CModelNode* node) const;
  ListData* AttachListData(CModelNode* node, std::uint32_t name, int selection);
  // Removes this renderer's data from the node and its whole subtree.
  void RemoveNodeData(CModelNode* node);
  void RemoveNodeDataBelow(CModelNode* node);
  // Brings the node's list up to date with its children and geometry: lists
  // for new children with children, records for its leaves, shared lists for
  // every primitive; then asks for the list to be laid out again.
  void BuildNodeList(CModelNode* node, ListData& data);
  // The records of the node's leaf children, in list order; data and a
  // build for children with children that have none yet.
  void SettleChildren(CModelNode* node, ListData& data);
  // The shared list of every primitive of the list's records.
  void TakeSharedLists(ListData& data);
  unsigned SharedList(const CPrimitive& primitive, ListData& data);
  void BuildRoot();
  // While one of these lives, the lists asked for (RequestCompile) wait; the
  // outermost one compiles each of them once when it ends.
  class BatchScope;
  // Makes the surface current once within the outermost BatchScope.
  void MakeCurrentInBatch();
  // Asks for the list to be laid out again.
  void RequestCompile(const ListData& data);
  void CompilePending();
  // Lays out the node's list (see NodeData::ListId); what it draws waits
  // for CompileListContent.
  void CompileNodeList(CModelNode* node, ListData& data);
  // Compiles what the node's list draws, the first time a frame or a
  // selection pass calls it after it was laid out.
  void CompileListContent(ListData& data) const;
  struct ListState;
  // The record's name pushed, then its primitives (the name is left pushed).
  void EmitNodeContent(const NodeData& record, ListState& state) const;
  // Compiles the block of kDetailLevels lists at `list` for a shared shape.
  void CompileShared(unsigned list, const CPrimitive& shape) const;
  void DrawNodeLists(const CModelNode* node, const CCameraMatrices& camera,
                     const CDetailThresholds& detail) const;
  // Stores the centre lines of what the list draws in m_lines.
  void StoreCentreLines(ListData& data) const;
  void SetColourForPrimitive(const CPrimitive& primitive, bool selected) const;
  // The material a primitive is drawn with: its colour (red when selected),
  // emissive for lines and circles.
  static void PrimitiveMaterial(const CPrimitive& primitive, bool selected, std::int32_t& colour,
                                bool& emissive);

  void MarkInherited(CModelNode* node);
  void UnmarkInherited(CModelNode* node);
  void UnselectBelow(CModelNode* node, std::vector<CModelNode*>& selected);

  std::uint32_t AllocateName(CModelNode* node);
  void FreeName(std::uint32_t name);
  CModelNode* ResolveName(std::uint32_t name) const;

  CModelExtent GetExtent() const;
  void ApplyLimits();
  // Loads the current view's projection and model-view matrices into GL.
  void ApplyProjection();
  template <class Change>
  bool ChangeView(bool limits, Change&& change);
  // The selection pass over the whole viewport (no pick box).
  CHitList PickAll();
  // The pick box's selection pass: the node lists' content for the nodes
  // whose boxes may reach the box (see GLRendererPicking.cpp).
  void SelectBelow(CModelNode* node, const CCameraMatrices& camera, const CPoint2& point);
  void DrawForSelection(const CPrimitive& primitive);
  // GetDepth's first two steps: false when no part of the model is visible.
  bool ModelDepth(const CPoint2& point, bool nearest, double& depth);
  // During motion the whole-viewport step reads the window depths of the
  // visible nodes' boxes instead of a selection pass (GLRendererCamera.cpp).
  void BoxDepthBelow(const CModelNode* node, const CCameraMatrices& camera, double& nearest,
                     double& farthest) const;
  // The world point a zoom at a point went to, kept for the next step of
  // the same motion (ZoomAt).
  struct ZoomTarget {
    unsigned Motion = 0;
    CPoint2 Point;
    CViewState View;
    CPoint3 Target;
  };
  ZoomTarget m_zoomTarget;
  void DrawDebugOverlay(long long elapsedMs);

  CModelNode* m_root = nullptr;
  kelto::gl::CGLSurface* m_surface = nullptr;
  bool m_ready = false;

  // The options' variables (registered by the constructor).
  bool m_normalizeScale = false;
  CTessellationOptions m_tessellation;
  int m_keyPrecision = 1;
  int m_axesSize = 50;
  bool m_axesTop = true;
  bool m_axesRight = false;
  bool m_viewLimits = true;
  int m_backgroundColour = 0;
  float m_normalLineWidth = 1.0f;
  float m_selectedLineWidth = 1.0f;
  bool m_showDebugInfo = false;
  COptions m_options;
  CDetailThresholds m_stillDetail{kCentreLinePixels, kDefaultReducedDetailPixels, 0.0};
  CInteractionController m_interaction;
  mutable CFrameStats m_frameStats;
  // The centre lines of the nodes drawn as lines only, merged per frame.
  mutable CCentreLineRuns m_lines;

  CViewState m_view;
  CViewState m_savedView;
  CPoint3 m_panAnchor;
  CViewport m_viewport;

  CBendCache m_bendCache;
  CBendCache m_coneCache;
  AssociationKey m_key;
  CSelectionNames m_names;
  int m_batchDepth = 0;
  bool m_batchCurrent = false;           // the surface was made current in this batch
  std::vector<std::uint32_t> m_pending;  // names of the nodes to recompile
  BuildProgressCallback m_progress;
  HiddenTest m_hidden;
  CBuildProgress m_stage;        // the build under way (Total 0: none)
  std::size_t m_nextReport = 0;  // Done at which the next report is due
};

// The renderer's state of one drawn node: its selection name and state, and
// where its primitives' shared lists are kept. A node that owns a list (the
// root, any node with children) has its record inside the ListData attached
// to it; a leaf drawn in its parent's list is a record of the parent's
// ListData, and carries nothing of its own. A leaf's record is valid until
// its parent's list is rebuilt (a change to the parent's geometry or
// subtree).
class CGLRenderer::NodeData {
 public:
  CModelNode* Node() const { return m_node; }
  // The node's own display list: 0 until laid out, and 0 for a leaf drawn
  // inside its parent's list. What it draws is compiled when first needed
  // (ListCompiled).
  unsigned ListId() const;
  // Whether the list holds the node's drawing as it is now. A plant seen
  // whole draws far nodes as centre lines and never needs their lists.
  bool ListCompiled() const;
  // Whether the node's drawing is compiled into its parent's list.
  bool InParentList() const;
  // 0 not selected, 1 selected because an ancestor is, 2 selected explicitly.
  int Selection() const { return m_selection; }
  // One bend cache key per bend primitive (duplicates kept).
  std::multiset<std::string> Keys() const;
  // One cone cache key per cone primitive that has a shared list.
  std::multiset<std::string> ConeKeys() const;
  // The node's selection name.
  std::uint32_t Name() const { return m_name; }
  // The largest diameter of a bend or cone drawn in the node's own list.
  double DetailDiameter() const;
  // Whether the renderer's merged centre lines hold the drawing of the
  // node's own list as it is now (CCentreLineRuns): stored the first time a
  // frame draws the node as lines after its list was laid out.
  bool LinesStored() const;

 private:
  friend class CGLRenderer;
  friend class ListData;
  // This is the record of the node owning the list, not of a leaf in it.
  bool OwnsList() const;

  CModelNode* m_node = nullptr;
  ListData* m_owner = nullptr;
  std::uint32_t m_name = 0;
  // The node's primitives in the owner's per-primitive shared lists.
  std::uint32_t m_firstPrimitive = 0;
  std::uint32_t m_primitives = 0;
  std::uint8_t m_selection = 0;
};

// What the renderer attaches to a node that owns a display list: the list,
// the record of the node and one record per leaf child drawn in the list (in
// list order), and the shared bend and cone lists of all their primitives.
class CGLRenderer::ListData : public CModelNode::CAssociated {
 public:
  // Takes the selection name given (the node's record keeps it).
  ListData(CGLRenderer* renderer, CModelNode* node, std::uint32_t name, int selection);
  // Deletes the list, releases the bend and cone keys and frees the names of
  // every record.
  ~ListData() override;
  ListData(const ListData&) = delete;
  ListData& operator=(const ListData&) = delete;

  void OnGeometryChanged() override;
  void OnSubtreeChanged() override;
  void OnParentChanged() override;

 private:
  friend class CGLRenderer;
  friend class NodeData;
  // The record of a leaf child, or null.
  NodeData* FindLeaf(const CModelNode* leaf);
  std::multiset<std::string> KeysOf(const NodeData& record, bool bends);
  // The records in list order: the node's own, then its leaves'.
  template <class F>
  void ForEachRecord(F&& f) {
    f(m_self);
    for (NodeData& leaf : m_leaves) f(leaf);
  }

  CGLRenderer* m_renderer;
  NodeData m_self;
  std::vector<NodeData> m_leaves;
  // Indexes of m_leaves in the order of their nodes' addresses.
  std::vector<std::uint32_t> m_byNode;
  // Per primitive of every record, in record order: the shared list it is
  // drawn from (0: drawn in place).
  std::vector<unsigned> m_lists;
  // The cache entries the records hold a reference on, as the caches' own
  // copies of their keys: no string is copied or formatted to release them.
  std::vector<const std::string*> m_bendKeys;
  std::vector<const std::string*> m_coneKeys;
  unsigned m_listId = 0;
  double m_detailDiameter = 0.0;
  bool m_listCompiled = false;
  bool m_linesCurrent = false;
  CCentreLineRuns::Slot m_lineSlot;
};
