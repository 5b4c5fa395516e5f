// CRegPropertyBag: a property bag over one key of the settings store, for
// saving an object that persists itself through IPersistPropertyBag (the
// view's graphics options) as plain registry values.
//
// Writing, by the type of the VARIANT given:
//   VT_I1, VT_I2, VT_I4, VT_BOOL   REG_DWORD of the value as a signed 32-bit
//                                  integer (true is 0xFFFFFFFF)
//   VT_UI1, VT_UI2, VT_UI4         REG_DWORD of the value as unsigned
//   VT_BSTR                        REG_SZ
//   VT_UNKNOWN, VT_DISPATCH, arrays, VT_RECORD, by-reference values
//                                  nothing (DISP_E_TYPEMISMATCH; objects and
//                                  pointers have no registry form)
//   anything else (VT_R4, ...)     REG_SZ of VariantChangeType's text
// Reading: REG_SZ and REG_EXPAND_SZ give VT_BSTR, REG_DWORD gives VT_I4, any
// other type or a missing value gives VT_EMPTY; the result is then converted
// to the type the caller asked for (pVar->vt on entry, VT_EMPTY: as it is),
// and a failed conversion is returned.
//
// Text is UTF-8 in the store (the settings store's own encoding; value names
// likewise). Only pVar->vt is looked at on entry; the rest of *pVar is
// overwritten without being freed. The bag does not own the key.
#pragma once

#include "platform/com/Object.h"
#include "platform/registry/Registry.h"

class CRegPropertyBag final : public kelto::com::Object<CRegPropertyBag, IPropertyBag> {
 public:
  explicit CRegPropertyBag(HKEY key) : m_key(key) {}

  HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) override;
  HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) override;

 private:
  HKEY m_key;
};
