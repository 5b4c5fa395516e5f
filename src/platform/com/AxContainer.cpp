// The ready-made container (hosts include it as kelto3d/AxHost.h): a client
// site that answers the container's side of in-place activation for one
// control, an event sink that forwards to a C callback, and a late-bound call
// helper, so that a host needs no site, sink or dispatch plumbing of its own.
#include "platform/com/AxContainer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/OleInterfaces.h"
#include "platform/com/Strings.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;

// The site of one control: its parent window and display.
class CAxSite final
    : public kelto::com::Object<CAxSite, IOleClientSite, IOleInPlaceSite, IOleX11Site> {
 public:
  CAxSite(HWND parent, std::string display) : m_parent(parent), m_display(std::move(display)) {}

  // IOleClientSite
  HRESULT SaveObject() override { return S_OK; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetContainer(IOleContainer** ppContainer) override {
    if (ppContainer) *ppContainer = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceSite
  HRESULT GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = m_parent;
    return S_OK;
  }
  HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT CanInPlaceActivate() override { return S_OK; }
  HRESULT OnInPlaceActivate() override { return S_OK; }
  HRESULT OnUIActivate() override { return S_OK; }
  HRESULT GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT,
                           LPRECT, OLEINPLACEFRAMEINFO*) override {
    if (ppFrame) *ppFrame = nullptr;
    if (ppDoc) *ppDoc = nullptr;
    return E_NOTIMPL;
  }
  HRESULT Scroll(SIZEL) override { return E_NOTIMPL; }
  HRESULT OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT OnInPlaceDeactivate() override { return S_OK; }
  HRESULT DiscardUndoState() override { return S_OK; }
  HRESULT DeactivateAndUndo() override { return S_OK; }
  HRESULT OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleX11Site
  HRESULT GetDisplayName(BSTR* pName) override {
    if (!pName) return E_POINTER;
    *pName = m_display.empty() ? nullptr : kelto::com::AllocBstr(m_display);
    return S_OK;
  }

 private:
  HWND m_parent;
  std::string m_display;
};

// An event sink for one dispatch (source) interface, calling a C function.
class CAxSink final : public kelto::com::Object<CAxSink, IDispatch> {
 public:
  CAxSink(const IID& events, KeltoAxEventProc proc, void* context)
      : m_events(events), m_proc(proc), m_context(context) {}

  bool QueryOther(REFIID riid, void** ppv) {
    if (riid != m_events) return false;
    *ppv = static_cast<IDispatch*>(this);
    return true;
  }

  HRESULT GetTypeInfoCount(UINT* pctinfo) override {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*,
                 EXCEPINFO*, UINT*) override {
    DISPPARAMS none{};
    m_proc(m_context, dispIdMember, pDispParams ? pDispParams : &none);
    return S_OK;
  }

 private:
  IID m_events;
  KeltoAxEventProc m_proc;
  void* m_context;
};

template <class I>
ComPtr<I> As(IUnknown* object) {
  ComPtr<I> result;
  if (object) object->QueryInterface(IidOf<I>(), result.PutVoid());
  return result;
}

ComPtr<IConnectionPoint> PointOf(IUnknown* control, const IID* events) {
  const auto container = As<IConnectionPointContainer>(control);
  ComPtr<IConnectionPoint> point;
  if (container && events) container->FindConnectionPoint(*events, point.Put());
  return point;
}

}  // namespace

KELTO_AX_API HRESULT KeltoAxCreateControl(const char* progId, const char* displayName,
                                          unsigned long parent, IUnknown** control) {
  if (!control) return E_POINTER;
  *control = nullptr;
  if (!progId || !parent) return E_INVALIDARG;
  try {
    CLSID clsid{};
    const std::u16string name = kelto::com::Utf8ToUtf16(progId);
    HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<IUnknown>(),
                          object.PutVoid());
    if (FAILED(hr)) return hr;
    const auto ole = As<IOleObject>(object.Get());
    if (!ole) return E_NOINTERFACE;

    DWORD status = 0;
    ole->GetMiscStatus(DVASPECT_CONTENT, &status);
    const auto site = kelto::com::MakeObject<CAxSite>(parent, displayName ? displayName : "");
    auto* clientSite = static_cast<IOleClientSite*>(site.Get());
    // A control that asks for its site first gets it before anything else.
    if (status & OLEMISC_SETCLIENTSITEFIRST) ole->SetClientSite(clientSite);
    hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, parent, nullptr);
    if (SUCCEEDED(hr) && (status & OLEMISC_ACTIVATEWHENVISIBLE))
      hr = ole->DoVerb(OLEIVERB_SHOW, nullptr, clientSite, 0, parent, nullptr);
    if (FAILED(hr)) {
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
      return hr;
    }
    if (!(status & OLEMISC_SETCLIENTSITEFIRST)) ole->SetClientSite(clientSite);
    *control = object.Detach();
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KELTO_AX_API HRESULT KeltoAxGetConnectionNumber(IUnknown* control, int* fd) {
  if (!fd) return E_POINTER;
  *fd = -1;
  const auto x11 = As<IOleX11Control>(control);
  return x11 ? x11->GetConnectionNumber(fd) : E_NOINTERFACE;
}

KELTO_AX_API HRESULT KeltoAxDispatchPending(IUnknown* control) {
  const auto x11 = As<IOleX11Control>(control);
  return x11 ? x11->DispatchPending() : E_NOINTERFACE;
}

KELTO_AX_API HRESULT KeltoAxAdvise(IUnknown* control, const IID* events, KeltoAxEventProc proc,
                                   void* context, DWORD* cookie) {
  if (!cookie || !proc || !events) return E_POINTER;
  *cookie = 0;
  const auto point = PointOf(control, events);
  if (!point) return CONNECT_E_NOCONNECTION;
  try {
    const auto sink = kelto::com::MakeObject<CAxSink>(*events, proc, context);
    return point->Advise(static_cast<IDispatch*>(sink.Get()), cookie);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KELTO_AX_API HRESULT KeltoAxUnadvise(IUnknown* control, const IID* events, DWORD cookie) {
  const auto point = PointOf(control, events);
  return point ? point->Unadvise(cookie) : CONNECT_E_NOCONNECTION;
}

KELTO_AX_API HRESULT KeltoAxDestroyControl(IUnknown* control) {
  const auto ole = As<IOleObject>(control);
  if (!ole) return E_NOINTERFACE;
  const HRESULT hr = ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
  return hr;
}

KELTO_AX_API HRESULT KeltoAxInvoke(IUnknown* object, const char* name, WORD flags, UINT argc,
                                   const VARIANT* args, VARIANT* result) {
  if (!name || (argc && !args)) return E_POINTER;
  const auto dispatch = As<IDispatch>(object);
  if (!dispatch) return E_NOINTERFACE;
  try {
    std::u16string wide = kelto::com::Utf8ToUtf16(name);
    LPOLESTR names[] = {wide.data()};
    DISPID dispid = 0;
    HRESULT hr = dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &dispid);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args ? args : nullptr, args ? args + argc : nullptr);
    std::reverse(reversed.begin(), reversed.end());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, argc, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
    }
    if (result) VariantInit(result);
    return dispatch->Invoke(dispid, GUID_NULL, 0, flags, &params, result, nullptr, nullptr);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KELTO_AX_API HRESULT KeltoAxCreateObject(const char* progId, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!progId) return E_INVALIDARG;
  try {
    CLSID clsid{};
    const HRESULT hr = CLSIDFromProgID(kelto::com::Utf8ToUtf16(progId).c_str(), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<IUnknown>(),
                            reinterpret_cast<void**>(object));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KELTO_AX_API void KeltoAxRelease(IUnknown* object) {
  if (object) object->Release();
}

KELTO_AX_API HRESULT KeltoAxSetText(VARIANT* v, const char* utf8) {
  if (!v || !utf8) return E_POINTER;
  VariantInit(v);
  BSTR text = kelto::com::AllocBstr(utf8);
  if (!text) return E_OUTOFMEMORY;
  v->vt = VT_BSTR;
  v->bstrVal = text;
  return S_OK;
}

KELTO_AX_API HRESULT KeltoAxGetText(const VARIANT* v, char* buffer, UINT size) {
  if (!v || !buffer || size == 0) return E_POINTER;
  buffer[0] = '\0';
  VARIANT text;
  VariantInit(&text);
  HRESULT hr = VariantChangeType(&text, v, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  const std::string utf8 = kelto::com::BstrToUtf8(text.bstrVal);
  VariantClear(&text);
  const std::size_t n = std::min<std::size_t>(utf8.size(), size - 1);
  utf8.copy(buffer, n);
  buffer[n] = '\0';
  return S_OK;
}

KELTO_AX_API void KeltoAxClear(VARIANT* v) {
  if (v) VariantClear(v);
}
