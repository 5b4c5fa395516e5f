// How a container embeds the view control: the in-place activation protocol
// (IOleObject, IOleInPlaceObject), the display connection a host pumps
// (IOleX11Control), and the windowless entry points for hosts without an
// X11 window (IPipeline3DViewWindowless).
#include <cairo.h>

#include <stdexcept>

#include "platform/com/Strings.h"
#include "platform/dc/DCHandleTable.h"
#include "view/Pipeline3DViewCtrl.h"

using kelto::com::ComPtr;
namespace win = kelto::window;

namespace {

// What the class's registration promises containers: set the client site
// first, activate when visible, inside-out, no links inside, recompose on
// resize.
constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_RECOMPOSEONRESIZE;

win::CWindowMessage MessageOf(const kelto3d::WindowMessageRecord& r) {
  win::CWindowMessage m;
  m.Kind = static_cast<win::MessageKind>(r.Kind);
  m.Button = static_cast<win::MouseButton>(r.Button);
  m.X = r.X;
  m.Y = r.Y;
  m.Keys = r.Keys;
  m.WheelDelta = r.WheelDelta;
  m.Width = r.Width;
  m.Height = r.Height;
  for (ULONG i = 0; r.Files && i < r.FileCount; ++i)
    if (r.Files[i]) m.Files.emplace_back(r.Files[i]);
  return m;
}

}  // namespace

void CPipeline3DViewCtrl::DestroyView() {
  if (m_window) m_window->Deactivate();
}

ComPtr<IOleInPlaceSite> CPipeline3DViewCtrl::InPlaceSite() const {
  ComPtr<IOleInPlaceSite> site;
  if (m_site) m_site->QueryInterface(kelto::com::IidOf<IOleInPlaceSite>(), site.PutVoid());
  return site;
}

// ---------------------------------------------------------------- IOleObject

HRESULT CPipeline3DViewCtrl::SetClientSite(IOleClientSite* pClientSite) {
  m_site = ComPtr<IOleClientSite>(pClientSite);
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::GetClientSite(IOleClientSite** ppClientSite) {
  if (!ppClientSite) return E_POINTER;
  *ppClientSite = m_site.Get();
  if (*ppClientSite) (*ppClientSite)->AddRef();
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::Close(DWORD) {
  return InPlaceDeactivate();
}

void CPipeline3DViewCtrl::ActivateInPlace(HWND parent, LPCRECT rect) {
  const ComPtr<IOleInPlaceSite> site = InPlaceSite();
  if (site) {
    if (site->CanInPlaceActivate() != S_OK)
      throw std::runtime_error("The container refused in-place activation.");
    // The site's window is the parent, as the container protocol has it.
    HWND siteWindow = 0;
    if (SUCCEEDED(site->GetWindow(&siteWindow)) && siteWindow) parent = siteWindow;
  }
  if (!parent) throw std::invalid_argument("No parent window to activate in.");
  std::string displayName;
  ComPtr<IOleX11Site> x11;
  if (m_site && SUCCEEDED(m_site->QueryInterface(kelto::com::IidOf<IOleX11Site>(), x11.PutVoid()))) {
    BSTR name = nullptr;
    if (SUCCEEDED(x11->GetDisplayName(&name)) && name) displayName = kelto::com::BstrToUtf8(name);
    SysFreeString(name);
  }
  m_window->ActivateWindowed(displayName, parent);
  ReapplySelection();
  if (site) site->OnInPlaceActivate();
  if (rect) SetObjectRects(rect, rect);
  m_window->Redraw(win::kRdwInvalidate);
}

HRESULT CPipeline3DViewCtrl::DoVerb(LONG iVerb, MSG*, IOleClientSite* pActiveSite, LONG,
                                    HWND hwndParent, LPCRECT lprcPosRect) {
  return Guarded([&]() -> HRESULT {
    if (pActiveSite && !m_site) m_site = ComPtr<IOleClientSite>(pActiveSite);
    switch (iVerb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_OPEN:
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_INPLACEACTIVATE:
        if (!m_window->IsActive()) ActivateInPlace(hwndParent, lprcPosRect);
        if (m_window->IsWindowless()) return S_OK;
        m_window->SetVisible(true);
        if (m_site && iVerb != OLEIVERB_INPLACEACTIVATE) m_site->ShowObject();
        return S_OK;
      case OLEIVERB_HIDE:
        m_window->SetVisible(false);
        return S_OK;
      default:
        return OLEOBJ_S_INVALIDVERB;
    }
  });
}

HRESULT CPipeline3DViewCtrl::GetUserClassID(CLSID* pClsid) {
  if (!pClsid) return E_POINTER;
  *pClsid = kelto3d::kClsidPipeline3DViewCtrl;
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  if (dwDrawAspect != DVASPECT_CONTENT) return E_FAIL;
  if (!psizel) return E_POINTER;
  m_extent = *psizel;
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  if (dwDrawAspect != DVASPECT_CONTENT) return E_FAIL;
  if (!psizel) return E_POINTER;
  *psizel = m_extent;
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::GetMiscStatus(DWORD, DWORD* pdwStatus) {
  if (!pdwStatus) return E_POINTER;
  *pdwStatus = kMiscStatus;
  return S_OK;
}

// --------------------------------------------------------- IOleInPlaceObject

HRESULT CPipeline3DViewCtrl::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_window->Handle();
  return *phwnd ? S_OK : E_FAIL;
}

HRESULT CPipeline3DViewCtrl::InPlaceDeactivate() {
  if (!m_window->IsActive()) return S_OK;
  DestroyView();
  if (const ComPtr<IOleInPlaceSite> site = InPlaceSite()) site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) {
  if (!lprcPosRect) return E_POINTER;
  if (!m_window->IsActive()) return OLE_E_NOT_INPLACEACTIVE;
  // The view fills its parent (the container gives the control a window of
  // its own); the rectangle's size is what it follows.
  m_window->Resized(lprcPosRect->right - lprcPosRect->left,
                    lprcPosRect->bottom - lprcPosRect->top);
  return S_OK;
}

// ------------------------------------------------------------ IOleX11Control

HRESULT CPipeline3DViewCtrl::GetConnectionNumber(INT* pFd) {
  if (!pFd) return E_POINTER;
  *pFd = -1;
  win::IFMessagePump* pump = m_window->Pump();
  if (!pump) return OLE_E_NOT_INPLACEACTIVE;
  *pFd = pump->FileDescriptor();
  return S_OK;
}

HRESULT CPipeline3DViewCtrl::DispatchPending() {
  return Guarded([&]() -> HRESULT {
    win::IFMessagePump* pump = m_window->Pump();
    if (!pump) return OLE_E_NOT_INPLACEACTIVE;
    // Handlers fire events; a sink may release the control meanwhile.
    const ComPtr<CPipeline3DViewCtrl> self(this);
    pump->DispatchPending();
    // The host destroyed the parent window: the view goes down in order
    // (display, lists, context) and the control is inactive again.
    if (!m_window->WindowAlive()) InPlaceDeactivate();
    return S_OK;
  });
}

// ------------------------------------------------ IPipeline3DViewWindowless

HRESULT CPipeline3DViewCtrl::ActivateWindowless(LONG Width, LONG Height) {
  return Guarded([&]() -> HRESULT {
    if (m_window->IsActive() && !m_window->IsWindowless()) return E_UNEXPECTED;
    m_window->ActivateWindowless(Width, Height);
    ReapplySelection();
    return S_OK;
  });
}

HRESULT CPipeline3DViewCtrl::OnWindowMessage(const kelto3d::WindowMessageRecord* Message) {
  if (!Message) return E_POINTER;
  if (!m_window->IsActive()) return OLE_E_NOT_INPLACEACTIVE;
  if (Message->Kind < kelto3d::wmkButtonDown || Message->Kind > kelto3d::wmkDropFiles ||
      Message->Button < kelto3d::wmbLeft || Message->Button > kelto3d::wmbX2)
    return E_INVALIDARG;
  return Guarded([&] {
    const ComPtr<CPipeline3DViewCtrl> self(this);
    m_window->Dispatch(MessageOf(*Message));
  });
}

HRESULT CPipeline3DViewCtrl::Draw(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height) {
  cairo_t* cr = kelto::dc::CDCHandleTable::Instance().Find(static_cast<std::uint32_t>(hDC));
  if (!cr) return E_INVALIDARG;
  return Guarded([&]() -> HRESULT {
    return m_window->Draw(cr, Left, Top, Width, Height) ? S_OK : OLE_E_NOT_INPLACEACTIVE;
  });
}

HRESULT CPipeline3DViewCtrl::GetNeedsPaint(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = m_window->NeedsPaint() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
