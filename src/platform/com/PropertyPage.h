// Property pages: the interfaces through which a property sheet shows a
// component's settings pages, in the vtable order of the scripting ABI.
//
// On this platform a page does not create native windows of its own: the
// "parent window" a sheet hands to IPropertyPage::Activate is not an X11
// window id but the address of the sheet's dialog host
// (kelto::dialog::IFDialogHost, view/settings/DialogTemplate.h, converted
// with HostToHwnd), which realises the page's dialog template in the sheet's
// toolkit. So the page and its logic need no toolkit, and the toolkit lives
// in a plugin.
#pragma once

#include <cstdint>

#include "platform/com/Interfaces.h"
#include "platform/com/OleInterfaces.h"

// A dialog host's address as the parent "window" of a page, and back.
template <class Host>
HWND HostToHwnd(Host* host) {
  return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(host));
}
template <class Host>
Host* HwndToHost(HWND hwnd) {
  return reinterpret_cast<Host*>(static_cast<std::uintptr_t>(hwnd));
}

struct SIZE {
  LONG cx, cy;
};

struct PROPPAGEINFO {
  ULONG cb;
  LPOLESTR pszTitle;  // CoTaskMemAlloc'ed; the caller frees the strings
  SIZE size;          // pixels
  LPOLESTR pszDocString;
  LPOLESTR pszHelpFile;
  DWORD dwHelpContext;
};

constexpr DWORD PROPPAGESTATUS_DIRTY = 0x01;
constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x02;
constexpr DWORD PROPPAGESTATUS_CLEAN = 0x04;

struct IPropertyPageSite : IUnknown {
  virtual HRESULT OnStatusChange(DWORD dwFlags) = 0;
  virtual HRESULT GetLocaleID(LCID* pLocaleID) = 0;
  virtual HRESULT GetPageContainer(IUnknown** ppUnk) = 0;
  virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0;
};
KELTO_INTERFACE_IID(IPropertyPageSite, IUnknown, "B196B28C-BAB4-101A-B69C-00AA00341D07");

struct IPropertyPage : IUnknown {
  virtual HRESULT SetPageSite(IPropertyPageSite* pPageSite) = 0;
  virtual HRESULT Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) = 0;
  virtual HRESULT Deactivate() = 0;
  virtual HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) = 0;
  virtual HRESULT SetObjects(ULONG cObjects, IUnknown** ppUnk) = 0;
  virtual HRESULT Show(UINT nCmdShow) = 0;
  virtual HRESULT Move(LPCRECT pRect) = 0;
  virtual HRESULT IsPageDirty() = 0;
  virtual HRESULT Apply() = 0;
  virtual HRESULT Help(LPCOLESTR pszHelpDir) = 0;
  virtual HRESULT TranslateAccelerator(MSG* pMsg) = 0;
};
KELTO_INTERFACE_IID(IPropertyPage, IUnknown, "B196B28D-BAB4-101A-B69C-00AA00341D07");
