// CRendererPropPg: the options page as a property page (class
// RendererPropPg), the face a property sheet talks to. The page's logic is
// CRendererPage; this class adds the page site, the objects the sheet gives
// and the page information.
//
// - SetObjects: the first object's options are edited: the object itself if
//   it is an Options object, else what its GraphicsOptions property gives.
// - Activate: hWndParent is the sheet's dialog host (see PropertyPage.h).
// - A change the person makes tells the site PROPPAGESTATUS_DIRTY |
//   PROPPAGESTATUS_VALIDATE, so the sheet enables its Apply button.
// - Every member reports failures as error information of the class.
#pragma once

#include "com/ModuleLock.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyPage.h"
#include "view/settings/RendererPage.h"

class CRendererPropPg : public kelto3d::ComObject<CRendererPropPg, IPropertyPage> {
 public:
  CRendererPropPg();

  HRESULT SetPageSite(IPropertyPageSite* pPageSite) override;
  HRESULT Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
  HRESULT Deactivate() override;
  HRESULT GetPageInfo(PROPPAGEINFO* pPageInfo) override;
  HRESULT SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
  HRESULT Show(UINT nCmdShow) override;
  HRESULT Move(LPCRECT pRect) override;
  HRESULT IsPageDirty() override;
  HRESULT Apply() override;
  HRESULT Help(LPCOLESTR pszHelpDir) override;
  HRESULT TranslateAccelerator(MSG* pMsg) override;

  CRendererPage& Page() { return m_page; }

 private:
  CRendererPage m_page;
  kelto::com::ComPtr<IPropertyPageSite> m_site;
};
