#include "view/settings/RendererPropPg.h"

#include <string_view>

#include "kelto3d/RendererPropPg.h"
#include "platform/com/Api.h"
#include "platform/com/Boundary.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

using kelto::com::ComPtr;
using kelto::com::Guard;
using kelto::com::HResultError;
using kelto::com::IidOf;

namespace {

const IID& Iid() { return IidOf<IPropertyPage>(); }

LPOLESTR TaskString(std::string_view utf8) {
  const std::u16string text = kelto::com::Utf8ToUtf16(utf8);
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
  if (!out) throw std::bad_alloc();
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = 0;
  return out;
}

// The options an object stands for: itself, or its GraphicsOptions.
ComPtr<kelto3d::IOptions> OptionsOf(IUnknown* object) {
  if (!object) throw HResultError(E_POINTER, "Null object.");
  ComPtr<kelto3d::IOptions> options;
  if (SUCCEEDED(object->QueryInterface(IidOf<kelto3d::IOptions>(), options.PutVoid())))
    return options;
  ComPtr<IDispatch> dispatch;
  if (FAILED(object->QueryInterface(IidOf<IDispatch>(), dispatch.PutVoid())))
    throw HResultError(E_NOINTERFACE, "The object has no graphics options.");
  OLECHAR name[] = u"GraphicsOptions";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  _variant_t result;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (FAILED(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id)) ||
      FAILED(dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                              nullptr)) ||
      result.vt != VT_DISPATCH || !result.pdispVal ||
      FAILED(result.pdispVal->QueryInterface(IidOf<kelto3d::IOptions>(), options.PutVoid())))
    throw HResultError(E_NOINTERFACE, "The object has no graphics options.");
  return options;
}

}  // namespace

CRendererPropPg::CRendererPropPg() {
  m_page.OnDirty = [this] {
    if (m_site) m_site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
  };
}

HRESULT CRendererPropPg::SetPageSite(IPropertyPageSite* pPageSite) {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] { m_site = pPageSite; });
}

HRESULT CRendererPropPg::Activate(HWND hWndParent, LPCRECT, BOOL) {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] {
    if (!hWndParent) throw HResultError(E_POINTER, "No dialog to show the page in.");
    m_page.Activate(*HwndToHost<kelto::dialog::IFDialogHost>(hWndParent));
  });
}

HRESULT CRendererPropPg::Deactivate() {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] { m_page.Deactivate(); });
}

HRESULT CRendererPropPg::GetPageInfo(PROPPAGEINFO* pPageInfo) {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] {
    if (!pPageInfo) throw HResultError(E_POINTER, "Null page information.");
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    // The dialog's size in pixels of its 8-point font (6 × 13 pixels a
    // character): a quarter of a character across, an eighth down per unit.
    const auto& dialog = CRendererPage::Template();
    info.size = {dialog.WidthDU * 6 / 4, (dialog.HeightDU * 13 + 7) / 8};
    info.pszTitle = TaskString(CRendererPage::kTitle);
    try {
      info.pszDocString = TaskString(CRendererPage::kDocString);
    } catch (...) {
      CoTaskMemFree(info.pszTitle);
      throw;
    }
    *pPageInfo = info;
  });
}

HRESULT CRendererPropPg::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] {
    if (cObjects == 0) {
      m_page.SetOptions(nullptr);
      return;
    }
    if (!ppUnk) throw HResultError(E_POINTER, "Null object list.");
    m_page.SetOptions(OptionsOf(ppUnk[0]).Get());
  });
}

HRESULT CRendererPropPg::Show(UINT) { return S_OK; }
HRESULT CRendererPropPg::Move(LPCRECT) { return S_OK; }

HRESULT CRendererPropPg::IsPageDirty() { return m_page.IsDirty() ? S_OK : S_FALSE; }

HRESULT CRendererPropPg::Apply() {
  return Guard(kelto3d::kClsidRendererPropPg, Iid(), [&] { m_page.Apply(); });
}

HRESULT CRendererPropPg::Help(LPCOLESTR) { return E_NOTIMPL; }
HRESULT CRendererPropPg::TranslateAccelerator(MSG*) { return S_FALSE; }
