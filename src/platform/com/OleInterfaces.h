// The interfaces through which a container embeds a windowed control and
// activates it in place, with the vtable layouts and IIDs hosts expect:
// IOleObject, IOleWindow, IOleInPlaceObject on the control's side,
// IOleClientSite and IOleInPlaceSite on the container's.
//
// What stands in for a window on Linux: HWND is an X11 window id. A control
// opens its own connection to the display the site names (IOleX11Site) or,
// when the site does not say, to $DISPLAY, and creates its child window
// inside the parent the site's GetWindow answers.
//
// Interfaces the control protocol mentions but no component here uses
// (monikers, data objects, verb enumerators, advise sinks, frames) are
// declared as opaque types: their members answer E_NOTIMPL.
//
// Two extensions, each its own interface found by QueryInterface:
//   IOleX11Control   the display connection of an active control, for the
//                    host's event loop (a descriptor to watch, a call that
//                    dispatches what is pending without blocking);
//   IOleX11Site      the display name a container wants the control to use.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

using HWND = unsigned long;  // an X11 window id; 0 is no window

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct SIZEL {
  LONG cx;
  LONG cy;
};

struct IMoniker;
struct IDataObject;
struct IEnumOLEVERB;
struct IAdviseSink;
struct IEnumSTATDATA;
struct IOleContainer;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
struct LOGPALETTE;
struct MSG;
struct OLEINPLACEFRAMEINFO;

// Verbs (DoVerb).
constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;

// Close options.
constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

constexpr DWORD DVASPECT_CONTENT = 1;

// Status bits a control declares (GetMiscStatus).
constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = MakeHResult(0x80040010);
constexpr HRESULT OLEOBJ_E_NOVERBS = MakeHResult(0x80040180);
constexpr HRESULT OLEOBJ_S_INVALIDVERB = 0x00040180;
constexpr HRESULT OLE_E_NOCONNECTION = MakeHResult(0x80040004);

struct IOleClientSite : IUnknown {
  virtual HRESULT SaveObject() = 0;
  virtual HRESULT GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
  virtual HRESULT GetContainer(IOleContainer** ppContainer) = 0;
  virtual HRESULT ShowObject() = 0;
  virtual HRESULT OnShowWindow(BOOL fShow) = 0;
  virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IOleObject : IUnknown {
  virtual HRESULT SetClientSite(IOleClientSite* pClientSite) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** ppClientSite) = 0;
  virtual HRESULT SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) = 0;
  virtual HRESULT Close(DWORD dwSaveOption) = 0;
  virtual HRESULT SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) = 0;
  virtual HRESULT GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
  virtual HRESULT InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) = 0;
  virtual HRESULT GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) = 0;
  virtual HRESULT DoVerb(LONG iVerb, MSG* lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                         HWND hwndParent, LPCRECT lprcPosRect) = 0;
  virtual HRESULT EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) = 0;
  virtual HRESULT Update() = 0;
  virtual HRESULT IsUpToDate() = 0;
  virtual HRESULT GetUserClassID(CLSID* pClsid) = 0;
  virtual HRESULT GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) = 0;
  virtual HRESULT SetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
  virtual HRESULT GetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
  virtual HRESULT Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) = 0;
  virtual HRESULT Unadvise(DWORD dwConnection) = 0;
  virtual HRESULT EnumAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
  virtual HRESULT GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) = 0;
  virtual HRESULT SetColorScheme(LOGPALETTE* pLogpal) = 0;
};

struct IOleWindow : IUnknown {
  virtual HRESULT GetWindow(HWND* phwnd) = 0;
  virtual HRESULT ContextSensitiveHelp(BOOL fEnterMode) = 0;
};

struct IOleInPlaceObject : IOleWindow {
  virtual HRESULT InPlaceDeactivate() = 0;
  virtual HRESULT UIDeactivate() = 0;
  virtual HRESULT SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) = 0;
  virtual HRESULT ReactivateAndUndo() = 0;
};

struct IOleInPlaceSite : IOleWindow {
  virtual HRESULT CanInPlaceActivate() = 0;
  virtual HRESULT OnInPlaceActivate() = 0;
  virtual HRESULT OnUIActivate() = 0;
  virtual HRESULT GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                   LPRECT lprcPosRect, LPRECT lprcClipRect,
                                   OLEINPLACEFRAMEINFO* lpFrameInfo) = 0;
  virtual HRESULT Scroll(SIZEL scrollExtant) = 0;
  virtual HRESULT OnUIDeactivate(BOOL fUndoable) = 0;
  virtual HRESULT OnInPlaceDeactivate() = 0;
  virtual HRESULT DiscardUndoState() = 0;
  virtual HRESULT DeactivateAndUndo() = 0;
  virtual HRESULT OnPosRectChange(LPCRECT lprcPosRect) = 0;
};

// The display connection of an in-place active control: watch the
// descriptor for reading and call DispatchPending when it is readable (and
// once after activation). Both fail with OLE_E_NOT_INPLACEACTIVE while the
// control has no window.
struct IOleX11Control : IUnknown {
  virtual HRESULT GetConnectionNumber(INT* pFd) = 0;
  // Handles every event already queued or readable, without blocking.
  virtual HRESULT DispatchPending() = 0;
};

// Answered by a site that wants its control on a particular display (the
// name as XOpenDisplay takes it); *pName may be null for $DISPLAY.
struct IOleX11Site : IUnknown {
  virtual HRESULT GetDisplayName(BSTR* pName) = 0;
};

KELTO_INTERFACE_IID(IOleClientSite, IUnknown, "00000118-0000-0000-C000-000000000046");
KELTO_INTERFACE_IID(IOleObject, IUnknown, "00000112-0000-0000-C000-000000000046");
KELTO_INTERFACE_IID(IOleWindow, IUnknown, "00000114-0000-0000-C000-000000000046");
KELTO_INTERFACE_IID(IOleInPlaceObject, IOleWindow, "00000113-0000-0000-C000-000000000046");
KELTO_INTERFACE_IID(IOleInPlaceSite, IOleWindow, "00000119-0000-0000-C000-000000000046");
KELTO_INTERFACE_IID(IOleX11Control, IUnknown, "2763A772-4659-4C48-B89C-FA27D8F08F9E");
KELTO_INTERFACE_IID(IOleX11Site, IUnknown, "6A1F0E1C-3D0B-4E55-9C8E-5B2D7A41C3F0");
