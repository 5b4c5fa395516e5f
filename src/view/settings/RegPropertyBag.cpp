#include "view/settings/RegPropertyBag.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace {

HRESULT SetDword(HKEY key, const std::string& name, DWORD value) {
  const LSTATUS st = RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&value), sizeof value);
  return st == ERROR_SUCCESS ? S_OK : E_FAIL;
}

HRESULT SetText(HKEY key, const std::string& name, BSTR text) {
  const std::string utf8 = kelto::com::BstrToUtf8(text);
  const LSTATUS st = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(utf8.c_str()),
                                    static_cast<DWORD>(utf8.size() + 1));
  return st == ERROR_SUCCESS ? S_OK : E_FAIL;
}

// The stored value as the registry's VARIANT: BSTR, I4, or empty.
HRESULT QueryRaw(HKEY key, const std::string& name, VARIANT& out) {
  VariantInit(&out);
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return S_OK;
  std::vector<BYTE> data(size + 1, 0);
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return S_OK;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD v = 0;
    std::memcpy(&v, data.data(), sizeof v);
    out.vt = VT_I4;
    out.lVal = static_cast<LONG>(v);
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // The stored terminator, if any, is not part of the text.
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    out.bstrVal = kelto::com::AllocBstr(std::string_view(text));
    if (!out.bstrVal) return E_OUTOFMEMORY;
    out.vt = VT_BSTR;
  }
  return S_OK;
}

}  // namespace

HRESULT CRegPropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*) {
  if (!pszPropName || !pVar) return E_POINTER;
  const std::string name = kelto::com::Utf16ToUtf8(kelto::com::OleView(pszPropName));
  const VARTYPE wanted = pVar->vt;
  _variant_t raw;
  if (HRESULT hr = QueryRaw(m_key, name, raw); FAILED(hr)) return hr;
  VariantInit(pVar);
  if (wanted == VT_EMPTY) return VariantCopy(pVar, &raw);
  return VariantChangeType(pVar, &raw, 0, wanted);
}

HRESULT CRegPropertyBag::Write(LPCOLESTR pszPropName, VARIANT* pVar) {
  if (!pszPropName || !pVar) return E_POINTER;
  const std::string name = kelto::com::Utf16ToUtf8(kelto::com::OleView(pszPropName));
  const VARTYPE vt = pVar->vt;
  if ((vt & (VT_BYREF | VT_ARRAY)) || vt == VT_UNKNOWN || vt == VT_DISPATCH || vt == VT_RECORD)
    return DISP_E_TYPEMISMATCH;
  _variant_t converted;
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
      if (HRESULT hr = VariantChangeType(&converted, pVar, 0, VT_I4); FAILED(hr)) return hr;
      return SetDword(m_key, name, static_cast<DWORD>(converted.lVal));
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
      if (HRESULT hr = VariantChangeType(&converted, pVar, 0, VT_UI4); FAILED(hr)) return hr;
      return SetDword(m_key, name, converted.ulVal);
    case VT_BSTR:
      return SetText(m_key, name, pVar->bstrVal);
    default:
      if (HRESULT hr = VariantChangeType(&converted, pVar, 0, VT_BSTR); FAILED(hr)) return hr;
      return SetText(m_key, name, converted.bstrVal);
  }
}
