// The control's IPipeline3DViewVisibility: hiding and showing parts of the
// model (the marks are CViewVisibility's; the renderers skip what they mark).
#include "platform/window/Window.h"
#include "view/Pipeline3DViewCtrl.h"
#include "view/Pipeline3DViewCtrlNodeData.h"

namespace {
constexpr unsigned kRedraw = kelto::window::kRdwInvalidate | kelto::window::kRdwInternalPaint;
}  // namespace

HRESULT CPipeline3DViewCtrl::SetVisible(IUnknown* Object, VARIANT_BOOL Visible) {
  return Guarded([&]() -> HRESULT {
    CModelNode* node = FindNode(Object);
    if (!node || node == &m_root) return S_FALSE;
    if (m_visibility.SetHidden(node, Visible == VARIANT_FALSE)) m_window->Redraw(kRedraw);
    return S_OK;
  });
}

HRESULT CPipeline3DViewCtrl::SetVisibleMany(LONG Count, IUnknown* const* Objects,
                                            VARIANT_BOOL Visible) {
  if (Count < 0 || (Count > 0 && !Objects)) return E_INVALIDARG;
  return Guarded([&] {
    std::vector<CModelNode*> nodes;
    for (LONG i = 0; i < Count; ++i)
      if (CModelNode* node = FindNode(Objects[i]); node && node != &m_root) nodes.push_back(node);
    if (m_visibility.SetHidden(nodes, Visible == VARIANT_FALSE) > 0) m_window->Redraw(kRedraw);
  });
}

HRESULT CPipeline3DViewCtrl::GetVisible(IUnknown* Object, VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = VARIANT_FALSE;
  return Guarded([&]() -> HRESULT {
    CModelNode* node = FindNode(Object);
    if (!node) return S_FALSE;
    *pVal = m_visibility.IsShown(node) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT CPipeline3DViewCtrl::ShowAll() {
  return Guarded([&] {
    const bool any = m_visibility.HiddenCount() > 0;
    m_visibility.ShowAll();
    if (any) m_window->Redraw(kRedraw);
  });
}

HRESULT CPipeline3DViewCtrl::IsolateSelection() {
  return Guarded([&] {
    CheckSelectedMarks();
    std::set<const CModelNode*> keep;
    for (const SelectedNodeData* mark : m_marks) keep.insert(&mark->Node());
    if (keep.empty()) return;
    m_visibility.Isolate(m_root, keep);
    m_window->Redraw(kRedraw);
  });
}

HRESULT CPipeline3DViewCtrl::GetHiddenCount(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = static_cast<LONG>(m_visibility.HiddenCount());
  return S_OK;
}
