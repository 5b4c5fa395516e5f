// The view control's selection: the bookkeeping behind SelectedItems, the
// scripting methods that select without events, and the handlers of the
// display's signals, which turn what the user did into events.
#include <vector>

#include "view/Pipeline3DViewCtrl.h"
#include "view/Pipeline3DViewCtrlNodeData.h"

using kelto::com::ComPtr;
using kelto::com::Identity;
namespace win = kelto::window;

namespace {

constexpr unsigned kApiRedraw = win::kRdwInvalidate | win::kRdwInternalPaint;

// Answered only by CPipeline3DViewCtrl: how CopyViewSettings recognises a
// view control of this module behind any interface.
constexpr IID kIidViewCtrlImplementation =
    kelto::com::MakeGuid("5F0C2B7E-91A4-4C3D-8E1F-6B2A9D4C7E15");

ComPtr<IDispatch> DispatchOf(IUnknown* object) {
  ComPtr<IDispatch> result;
  if (object) object->QueryInterface(kelto::com::IidOf<IDispatch>(), result.PutVoid());
  return result;
}

}  // namespace

// ---------------------------------------------------------------- node data

void CPipeline3DViewCtrl::RootNodeData::OnSubtreeChanged() {
  if (m_control.m_window) m_control.m_window->Redraw(win::kRdwInvalidate);
  m_control.CheckSelectedMarks();
}

CPipeline3DViewCtrl::SelectedNodeData::SelectedNodeData(CPipeline3DViewCtrl& control,
                                                        CModelNode& node, IDispatch* object)
    : m_control(control), m_node(node), m_object(object) {
  m_control.m_marks.insert(this);
}

CPipeline3DViewCtrl::SelectedNodeData::~SelectedNodeData() { m_control.m_marks.erase(this); }

CPipeline3DViewCtrl::ToggledOffNodeData::ToggledOffNodeData(CPipeline3DViewCtrl& control,
                                                            CModelNode& node)
    : m_control(control), m_node(node) {
  m_control.m_toggledOff.insert(this);
}

CPipeline3DViewCtrl::ToggledOffNodeData::~ToggledOffNodeData() {
  m_control.m_toggledOff.erase(this);
}

void CPipeline3DViewCtrl::SelectedNodeData::OnParentChanged() { m_control.CheckSelectedMarks(); }

// ------------------------------------------------------------- bookkeeping

CModelNode* CPipeline3DViewCtrl::FindNode(IUnknown* object) {
  const ComPtr<IUnknown> key = Identity(object);
  if (!key) return nullptr;
  return m_root.SearchSubtree(key.Get()).get();
}

void CPipeline3DViewCtrl::AddSelectedMark(CModelNode* node) {
  // Root carries the control's RootNodeData under the same key; it is never
  // selectable (it has no object).
  if (!node || node == &m_root) return;
  const ComPtr<IDispatch> object = DispatchOf(node->GetObject());
  node->SetAssociated(m_key,
                      CModelNode::AssociatedPtr(new SelectedNodeData(*this, *node, object.Get())));
  m_selected->Add(object.Get());
}

void CPipeline3DViewCtrl::RemoveSelectedMark(CModelNode* node) {
  if (!node || node == &m_root) return;
  const ComPtr<IDispatch> object = DispatchOf(node->GetObject());
  node->ClearAssociated(m_key);
  m_selected->Remove(object.Get());
}

void CPipeline3DViewCtrl::CheckSelectedMarks() {
  const std::vector<SelectedNodeData*> marks(m_marks.begin(), m_marks.end());
  for (SelectedNodeData* mark : marks) {
    if (!m_marks.count(mark)) continue;  // gone with an earlier one
    CModelNode& node = mark->Node();
    if (node.GetRoot() == &m_root) continue;
    const ComPtr<IDispatch> object(mark->Object());
    node.ClearAssociated(m_key);
    m_selected->Remove(object.Get());
  }
}

CBoundBox CPipeline3DViewCtrl::SelectionBoundBox() {
  CBoundBox box;
  for (const ComPtr<IDispatch>& object : m_selected->Items())
    if (CModelNode* node = FindNode(object.Get())) box.Add(node->GetBoundBox());
  return box;
}

void CPipeline3DViewCtrl::ReapplySelection() { ShowSelectionOn(m_renderer); }

void CPipeline3DViewCtrl::OnRendererOptionsChanged(COptions::Names /*names*/) {
  if (!m_renderer.IsReady() || m_marks.empty()) return;
  ReapplySelection();
  m_window->Redraw(kApiRedraw);
}

void CPipeline3DViewCtrl::ShowSelectionOn(IFRenderer& target) {
  std::vector<CModelNode*> discarded;
  target.UnselectAll(discarded);
  for (SelectedNodeData* mark : m_marks) target.Select(&mark->Node());
  for (ToggledOffNodeData* off : m_toggledOff) target.Unselect(&off->Node());
}

void CPipeline3DViewCtrl::RememberToggledOff() {
  for (ToggledOffNodeData* off :
       std::vector<ToggledOffNodeData*>(m_toggledOff.begin(), m_toggledOff.end()))
    if (m_toggledOff.count(off)) off->Node().ClearAssociated(m_key);
  // Without a view there is no state to read: toggles are forgotten.
  if (!m_renderer.IsReady()) return;
  std::vector<CModelNode*> stack;
  for (SelectedNodeData* mark : m_marks) stack.push_back(&mark->Node());
  while (!stack.empty()) {
    CModelNode* node = stack.back();
    stack.pop_back();
    for (const auto& [key, child] : node->GetChildren()) {
      // Below an unhighlighted part only other selected nodes are red, and
      // they are walked from their own marks.
      if (m_renderer.IsSelected(child.get()))
        stack.push_back(child.get());
      else if (!child->GetAssociated(m_key))
        child->SetAssociated(m_key,
                             CModelNode::AssociatedPtr(new ToggledOffNodeData(*this, *child)));
    }
  }
}

// ---------------------------------------------------------------- scripting

HRESULT CPipeline3DViewCtrl::Select(IDispatch* Object) {
  return Guarded([&] {
    CModelNode* node = FindNode(Object);
    if (!node) return;
    AddSelectedMark(node);
    m_renderer.Select(node);
    RememberToggledOff();
    m_window->Redraw(kApiRedraw);
  });
}

HRESULT CPipeline3DViewCtrl::Unselect(IDispatch* Object) {
  return Guarded([&] {
    CModelNode* node = FindNode(Object);
    if (!node) return;
    RemoveSelectedMark(node);
    m_renderer.Unselect(node);
    RememberToggledOff();
    m_window->Redraw(kApiRedraw);
  });
}

HRESULT CPipeline3DViewCtrl::UnselectAll() {
  return Guarded([&] {
    // Every mark, including those of nodes whose object has no IDispatch
    // (and so no entry in SelectedItems).
    const std::vector<SelectedNodeData*> marks(m_marks.begin(), m_marks.end());
    for (SelectedNodeData* mark : marks)
      if (m_marks.count(mark)) mark->Node().ClearAssociated(m_key);
    m_selected->Clear();
    std::vector<CModelNode*> discarded;
    m_renderer.UnselectAll(discarded);
    RememberToggledOff();
    m_window->Redraw(kApiRedraw);
  });
}

CPipeline3DViewCtrl* CPipeline3DViewCtrl::Implementation(IUnknown* object) {
  if (!object) return nullptr;
  void* self = nullptr;
  if (FAILED(object->QueryInterface(kIidViewCtrlImplementation, &self)) || !self) return nullptr;
  auto* face = static_cast<kelto3d::IPipeline3DViewCtrl*>(self);
  face->Release();  // the caller holds a reference to the same object
  return static_cast<CPipeline3DViewCtrl*>(face);
}

bool CPipeline3DViewCtrl::QueryOther(REFIID riid, void** ppv) {
  if (riid != kIidViewCtrlImplementation) return false;
  *ppv = static_cast<kelto3d::IPipeline3DViewCtrl*>(this);
  return true;
}

// ------------------------------------------------------- display's signals

void CPipeline3DViewCtrl::FireSelectionChanged(IDispatch* unselected, IDispatch* selected) {
  const ComPtr<CPipeline3DViewCtrl> self(this);
  VARIANT args[2];  // last argument first
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[0].vt = VT_DISPATCH;
  args[0].pdispVal = selected;
  args[1].vt = VT_DISPATCH;
  args[1].pdispVal = unselected;
  FireEvent(kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(),
            kelto3d::kDispidEventSelectionChanged, args);
}

void CPipeline3DViewCtrl::OnSelectionChanged(CModelNode* unselected, CModelNode* selected) {
  const ComPtr<IDispatch> before = unselected ? DispatchOf(unselected->GetObject()) : nullptr;
  const ComPtr<IDispatch> after = selected ? DispatchOf(selected->GetObject()) : nullptr;
  if (unselected) RemoveSelectedMark(unselected);
  if (selected) AddSelectedMark(selected);
  RememberToggledOff();
  FireSelectionChanged(before.Get(), after.Get());
}

void CPipeline3DViewCtrl::OnPopupMenu(int x, int y, std::list<CModelNode*> nodes) {
  const ComPtr<CPipeline3DViewCtrl> self(this);
  const ComPtr<CPipeItems> items = kelto::com::MakeObject<CPipeItems>();
  for (CModelNode* node : nodes)
    if (const ComPtr<IDispatch> object = DispatchOf(node->GetObject())) items->Append(object.Get());
  VARIANT args[3];  // Items, MouseY, MouseX
  for (VARIANT& v : args) VariantInit(&v);
  args[0].vt = VT_DISPATCH;
  args[0].pdispVal = static_cast<kelto3d::IPipeItems*>(items.Get());
  args[1].vt = VT_I4;
  args[1].lVal = y;
  args[2].vt = VT_I4;
  args[2].lVal = x;
  FireEvent(kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(),
            kelto3d::kDispidEventPopupMenu, args);
}
