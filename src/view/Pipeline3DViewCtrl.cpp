#include "view/Pipeline3DViewCtrl.h"

#include <algorithm>
#include <stdexcept>

#include "com/faces/ComModelNode.h"
#include "core/WrapperFace.h"
#include "options/ComOptions.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "render/StandardViewDir.h"
#include "solid/ComSolidModelBuilder.h"
#include "view/ComActionTables.h"
#include "symbolic/ComSymbolicModelBuilder.h"
#include "view/Pipeline3DViewCtrlNodeData.h"

using kelto::com::ComPtr;
using kelto::com::Identity;
namespace win = kelto::window;

namespace {

constexpr unsigned kApiRedraw = win::kRdwInvalidate | win::kRdwInternalPaint;

// The description of the thread's error information, for failures of the
// root's own ModelNode that the control reports as its own.
std::string LastErrorText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return "";
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::string result = kelto::com::BstrToUtf8(text);
  SysFreeString(text);
  return result;
}

void ThrowWithText(HRESULT hr) {
  if (SUCCEEDED(hr)) return;
  throw kelto::com::HResultError(hr, LastErrorText());
}

}  // namespace

CPipeline3DViewCtrl::CPipeline3DViewCtrl()
    : m_window(std::make_unique<CViewWindow>(m_root, m_renderer)),
      m_selected(kelto::com::MakeObject<CPipeItems>()),
      m_key(static_cast<const void*>(this)) {
  AddConnectionPoint(kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>());
  // The view a renderer starts in, from the start: the camera calls made
  // before the window exists act on it, and activation keeps it.
  const CViewDirection start = *GetStandardViewDir(svdNorthTopLeft);
  m_renderer.SetViewedRoot(&m_root);
  m_renderer.SetViewDir(start.View, start.Up);
  m_root.SetAssociated(m_key, CModelNode::AssociatedPtr(new RootNodeData(*this)));
  m_renderer.SetHiddenTest([this](const CModelNode* node) { return m_visibility.IsHidden(node); });
  m_visibility.SetChangedCallback(
      [this](const std::vector<CModelNode*>& nodes) { m_renderer.VisibilityChanged(nodes); });
  C3DDisplay& display = m_window->Display();
  display.SelectionChanged.connect(this, &CPipeline3DViewCtrl::OnSelectionChanged);
  display.FilesDropped.connect(this, &CPipeline3DViewCtrl::OnFilesDropped);
  display.PopupMenu.connect(this, &CPipeline3DViewCtrl::OnPopupMenu);
  display.ViewChanged.connect(this, &CPipeline3DViewCtrl::OnViewChanged);
  // After the renderer's own handler, which was connected first.
  m_renderer.GetOptions().changedSignal.connect(this,
                                                &CPipeline3DViewCtrl::OnRendererOptionsChanged);
}

CPipeline3DViewCtrl::~CPipeline3DViewCtrl() {
  // The window goes first (display, renderer lists, context), then the
  // selection marks, so no node data calls back into a half-destroyed
  // control while Root's children die.
  DestroyView();
  m_window.reset();
  for (SelectedNodeData* mark : std::vector<SelectedNodeData*>(m_marks.begin(), m_marks.end()))
    mark->Node().ClearAssociated(m_key);
  // Nodes a script still holds may outlive the control.
  for (ToggledOffNodeData* off :
       std::vector<ToggledOffNodeData*>(m_toggledOff.begin(), m_toggledOff.end()))
    off->Node().ClearAssociated(m_key);
  m_root.ClearAssociated(m_key);
}

bool CPipeline3DViewCtrl::IsActive() const { return m_window && m_window->IsActive(); }

// ------------------------------------------------------------ stock properties

HRESULT CPipeline3DViewCtrl::put_BorderStyle(LONG newVal) {
  m_borderStyle = newVal;
  return S_OK;
}
HRESULT CPipeline3DViewCtrl::get_BorderStyle(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_borderStyle;
  return S_OK;
}
HRESULT CPipeline3DViewCtrl::put_Enabled(VARIANT_BOOL newVal) {
  m_enabled = newVal ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
HRESULT CPipeline3DViewCtrl::get_Enabled(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_enabled;
  return S_OK;
}
HRESULT CPipeline3DViewCtrl::put_Appearance(SHORT newVal) {
  m_appearance = newVal;
  return S_OK;
}
HRESULT CPipeline3DViewCtrl::get_Appearance(SHORT* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_appearance;
  return S_OK;
}

// ------------------------------------------------------------------- faces

HRESULT CPipeline3DViewCtrl::get_Model(kelto3d::IModelNode** pVal) {
  return Guarded([&] {
    if (!pVal) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
    *pVal = WrapperFace<CComModelNode>(&m_root).Detach();
  });
}

HRESULT CPipeline3DViewCtrl::get_GraphicsOptions(kelto3d::IOptions** pVal) {
  return Guarded([&] {
    if (!pVal) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
    *pVal = CComOptions::ForRegistry(m_renderer.GetOptions()).Detach();
  });
}

HRESULT CPipeline3DViewCtrl::put_GraphicsOptions(kelto3d::IOptions* newVal) {
  return Guarded([&] {
    // Only this module's Options objects can be bound to a registry. They
    // are recognised by their vtable, which no other implementation shares,
    // so that a host's own IOptions is refused rather than misread.
    const ComPtr<CComOptions> probe = kelto::com::MakeObject<CComOptions>();
    auto vtableOf = [](const void* p) { return *static_cast<void* const*>(p); };
    const auto* ours = static_cast<kelto3d::IOptions*>(probe.Get());
    if (!newVal || vtableOf(newVal) != vtableOf(ours))
      throw std::invalid_argument("Bad options object.");
    static_cast<CComOptions*>(newVal)->Attach(&m_renderer.GetOptions());
  });
}

HRESULT CPipeline3DViewCtrl::get_SelectedItems(kelto3d::IPipeItems** pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_selected.Get();
  (*pVal)->AddRef();
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::get_SymbolicModelBuilder(kelto3d::ISymbolicModelBuilder** pVal) {
  return Guarded([&] {
    if (!pVal) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
    *pVal = WrapperFace<CComSymbolicModelBuilder>(&m_symbolicBuilder).Detach();
  });
}

HRESULT CPipeline3DViewCtrl::get_SolidModelBuilder(kelto3d::ISolidModelBuilder** pVal) {
  return Guarded([&] {
    if (!pVal) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
    *pVal = WrapperFace<CComSolidModelBuilder>(&m_solidBuilder).Detach();
  });
}

// ------------------------------------------------------------------ models

IFModelBuilder& CPipeline3DViewCtrl::BuilderFor(kelto3d::RepresentationType representation) {
  if (representation == kelto3d::rtSymbolic) return m_symbolicBuilder;
  return m_solidBuilder;
}

void CPipeline3DViewCtrl::AutoFitView() {
  if (m_autoFit && m_renderer.FitView(m_visibility.VisibleBox(m_root))) FireViewChanged();
}

HRESULT CPipeline3DViewCtrl::AddKeltoFile(IKeltoFile* KeltoFile,
                                          kelto3d::RepresentationType Representation) {
  return Guarded([&] {
    if (!KeltoFile) throw kelto::com::HResultError(E_POINTER, "Null file.");
    const ComPtr<IUnknown> key = Identity(KeltoFile);
    if (m_root.SearchSubtree(key.Get())) return;
    m_root.AddChild(BuilderFor(Representation).BuildModel(KeltoFile));
    AutoFitView();
  });
}

HRESULT CPipeline3DViewCtrl::RemoveKeltoFile(IKeltoFile* KeltoFile) {
  return RemoveModel(KeltoFile);
}

HRESULT CPipeline3DViewCtrl::AddModel(kelto3d::IModelNode* Model) {
  return Guarded([&] {
    // The root's ModelNode knows how ownership moves between scripts and
    // the tree; its failures ("Bad child node.", "Unable to add child node
    // [Non-owned root]") are reported as the control's.
    ThrowWithText(WrapperFace<CComModelNode>(&m_root)->AddChild(Model));
    AutoFitView();
  });
}

HRESULT CPipeline3DViewCtrl::RemoveModel(IUnknown* Key) {
  return Guarded([&] {
    const ComPtr<IUnknown> key = Identity(Key);
    if (!key || !m_root.SearchSubtree(key.Get())) return;
    // The removed node's ModelNode owns it from now on, so a script holding
    // it keeps a valid, detached subtree.
    ThrowWithText(WrapperFace<CComModelNode>(&m_root)->RemoveSubtree(key.Get()));
  });
}

std::vector<ComPtr<IUnknown>> CPipeline3DViewCtrl::SelectedBelow(CModelNode* node) {
  std::vector<ComPtr<IUnknown>> found;
  if (!node) return found;
  // In file order, as the tree is drawn: the children map is keyed by
  // address, which differs from run to run.
  const auto& top = node->GetOrderedChildren();
  std::vector<CModelNode*> stack(top.rbegin(), top.rend());
  while (!stack.empty()) {
    CModelNode* n = stack.back();
    stack.pop_back();
    if (m_renderer.IsSelected(n)) found.emplace_back(n->GetKey());
    const auto& children = n->GetOrderedChildren();
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return found;
}

void CPipeline3DViewCtrl::DropVanishedSelection(const std::vector<ComPtr<IUnknown>>& before,
                                                const std::vector<ComPtr<IUnknown>>& after) {
  if (after.size() >= before.size()) return;
  // The snapshots hold identities, not nodes: a refresh may have destroyed
  // the nodes of vanished objects.
  for (const ComPtr<IUnknown>& object : before) {
    if (std::find(after.begin(), after.end(), object) != after.end()) continue;
    if (CModelNode* node = FindNode(object.Get())) {
      RemoveSelectedMark(node);
    } else {
      ComPtr<IDispatch> item;
      object->QueryInterface(kelto::com::IidOf<IDispatch>(), item.PutVoid());
      m_selected->Remove(item.Get());
    }
  }
}

HRESULT CPipeline3DViewCtrl::Update(IDispatch* Object,
                                    kelto3d::RepresentationType Representation) {
  return Guarded([&] {
    // Found with the pointer as given. An object that is not found this way
    // has no selection to compare, but the refresh itself still runs, with
    // the identity (see docs/embedding.md).
    const CModelNode::NodePtr node = m_root.SearchSubtree(static_cast<IUnknown*>(Object));
    const auto before = SelectedBelow(node.get());
    const ComPtr<IUnknown> key = Identity(Object);
    BuilderFor(Representation).SyncBelow(m_root, key.Get());
    DropVanishedSelection(before, SelectedBelow(node.get()));
    AutoFitView();
  });
}

HRESULT CPipeline3DViewCtrl::UpdateAll(kelto3d::RepresentationType Representation) {
  return Guarded([&] {
    const auto before = SelectedBelow(&m_root);
    BuilderFor(Representation).SyncModel(m_root);
    DropVanishedSelection(before, SelectedBelow(&m_root));
    AutoFitView();
  });
}

// ------------------------------------------------------------------ camera

void CPipeline3DViewCtrl::AfterCameraCall(bool changed) {
  if (changed) FireViewChanged();
  m_window->Redraw(kApiRedraw);
}

HRESULT CPipeline3DViewCtrl::SetViewDir(double ViewX, double ViewY, double ViewZ, double UpX,
                                        double UpY, double UpZ) {
  return Guarded([&] {
    AfterCameraCall(m_renderer.SetViewDir({ViewX, ViewY, ViewZ}, {UpX, UpY, UpZ}));
  });
}

HRESULT CPipeline3DViewCtrl::FitViewToSelection() {
  return Guarded([&] { AfterCameraCall(m_renderer.FitView(SelectionBoundBox())); });
}

HRESULT CPipeline3DViewCtrl::FitView() {
  return Guarded([&] { AfterCameraCall(m_renderer.FitView(m_visibility.VisibleBox(m_root))); });
}

HRESULT CPipeline3DViewCtrl::CentreViewOnSelection() {
  return Guarded([&] {
    const CBoundBox box = SelectionBoundBox();
    // An empty selection has no centre: the view stays.
    AfterCameraCall(!box.IsEmpty() && m_renderer.SetCentre(box.GetCentre()));
  });
}

HRESULT CPipeline3DViewCtrl::SetStandardViewDir(kelto3d::StandardViewDir Direction) {
  const auto direction = GetStandardViewDir(static_cast<int>(Direction));
  if (!direction) return S_OK;
  const CViewDirection& d = *direction;
  return SetViewDir(d.View.x, d.View.y, d.View.z, d.Up.x, d.Up.y, d.Up.z);
}

HRESULT CPipeline3DViewCtrl::CopyViewSettings(IDispatch* Source) {
  return Guarded([&] {
    CPipeline3DViewCtrl* source = Implementation(Source);
    if (!source) throw std::runtime_error("Unable to Copy View Settings.");
    AfterCameraCall(m_renderer.CopyViewFrom(source->m_renderer));
  });
}

// The faces of the display's live tables: one object per table while a
// script holds it (the table's wrapper link), so changes act at once.
template <class Face, class Table, class Result>
void TableFace(Table& table, Result** pVal) {
  if (!pVal) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
  *pVal = static_cast<Result*>(WrapperFace<Face>(&table).Detach());
}

HRESULT CPipeline3DViewCtrl::get_MouseDragActions(kelto3d::IDragActionTable** pVal) {
  return Guarded([&] { TableFace<CComDragActionTable>(m_window->Display().DragActions(), pVal); });
}
HRESULT CPipeline3DViewCtrl::get_MouseClickActions(kelto3d::IPickActionTable** pVal) {
  return Guarded([&] { TableFace<CComPickActionTable>(m_window->Display().ClickActions(), pVal); });
}
HRESULT CPipeline3DViewCtrl::get_MouseDoubleClickActions(kelto3d::IPickActionTable** pVal) {
  return Guarded([&] { TableFace<CComPickActionTable>(m_window->Display().DoubleClickActions(), pVal); });
}
HRESULT CPipeline3DViewCtrl::get_MouseWheelActions(kelto3d::IWheelActionTable** pVal) {
  return Guarded([&] { TableFace<CComWheelActionTable>(m_window->Display().WheelActions(), pVal); });
}

HRESULT CPipeline3DViewCtrl::get_AutoFit(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_autoFit ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::put_AutoFit(VARIANT_BOOL newVal) {
  m_autoFit = newVal != 0;
  return S_OK;
}

// DrawToDC, the settings and the options dialog: Pipeline3DViewCtrlSettings.cpp.

// ------------------------------------------------------------------ events

void CPipeline3DViewCtrl::FireViewChanged() {
  // A sink may release the control while it is being told.
  const ComPtr<CPipeline3DViewCtrl> self(this);
  FireEvent(kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(),
            kelto3d::kDispidEventViewChanged);
}

void CPipeline3DViewCtrl::OnViewChanged() { FireViewChanged(); }

void CPipeline3DViewCtrl::OnFilesDropped(std::set<std::string> names) {
  const ComPtr<CPipeline3DViewCtrl> self(this);
  for (const std::string& name : names) {
    _variant_t arg(name.c_str());
    FireEvent(kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(),
              kelto3d::kDispidEventDropFile, std::span<VARIANT>(static_cast<VARIANT*>(&arg), 1));
  }
}
