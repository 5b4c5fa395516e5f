#include "tags/ComTagSet.h"

#include <vector>

#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

using kelto::com::Guard;
using kelto::com::HResultError;
using kelto::com::IidOf;

HRESULT CComTagSet::get_Count(LONG* pVal) {
  return Guard(kelto3d::kClsidTagSet, IidOf<kelto3d::ITagSet>(), [&] {
    if (!pVal) throw HResultError(E_POINTER, "Null result pointer.");
    *pVal = static_cast<LONG>(GetObject()->Tags().size());
  });
}

HRESULT CComTagSet::get_Item(VARIANT Index, BSTR* pVal) {
  return Guard(kelto3d::kClsidTagSet, IidOf<kelto3d::ITagSet>(), [&] {
    if (!pVal) throw HResultError(E_POINTER, "Null result pointer.");
    *pVal = nullptr;
    _variant_t name;
    name.ChangeType(VT_BSTR, &Index);  // throws _com_error on failure
    const auto& tags = GetObject()->Tags();
    const auto found = tags.find(kelto::com::BstrToUtf8(name.bstrVal));
    if (found != tags.end()) *pVal = _bstr_t(found->second).Detach();
  });
}

HRESULT CComTagSet::get__NewEnum(IUnknown** ppEnum) {
  return Guard(kelto3d::kClsidTagSet, IidOf<kelto3d::ITagSet>(), [&] {
    if (!ppEnum) throw HResultError(E_POINTER, "Null result pointer.");
    *ppEnum = nullptr;
    std::vector<VARIANT> values;
    values.reserve(GetObject()->Tags().size());
    try {
      for (const auto& [name, value] : GetObject()->Tags()) {
        values.push_back(_variant_t(value).Detach());
      }
    } catch (...) {
      for (VARIANT& v : values) VariantClear(&v);
      throw;
    }
    IEnumVARIANT* enumerator = nullptr;
    kelto::com::ThrowIfFailed(kelto::com::CreateEnumVariant(std::move(values), &enumerator));
    *ppEnum = enumerator;  // IEnumVARIANT derives from IUnknown
  });
}
