#include "view/PipeItems.h"

#include <algorithm>

#include "platform/com/EnumVariant.h"

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidPipeItems, kelto::com::IidOf<kelto3d::IPipeItems>(),
                           std::forward<F>(body));
}

}  // namespace

// The collection's failures are plain HRESULTs, as hosts test them; no text
// goes with them.
HRESULT CPipeItems::get_Count(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = static_cast<LONG>(m_items.size());
  return S_OK;
}

HRESULT CPipeItems::get_Item(LONG n, IDispatch** pVal) {
  if (!pVal) return E_POINTER;
  *pVal = nullptr;
  if (n < 1) return E_INVALIDARG;
  if (static_cast<std::size_t>(n) > m_items.size()) return E_FAIL;
  *pVal = m_items[static_cast<std::size_t>(n - 1)].Get();
  if (*pVal) (*pVal)->AddRef();
  return S_OK;
}

HRESULT CPipeItems::get__NewEnum(IUnknown** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  return Guarded([&]() -> HRESULT {
    std::vector<VARIANT> items(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
      VariantInit(&items[i]);
      items[i].vt = VT_DISPATCH;
      items[i].pdispVal = m_items[i].Get();
      if (items[i].pdispVal) items[i].pdispVal->AddRef();
    }
    IEnumVARIANT* e = nullptr;
    const HRESULT hr = kelto::com::CreateEnumVariant(std::move(items), &e);
    if (SUCCEEDED(hr)) *ppEnum = e;
    return hr;
  });
}

bool CPipeItems::Add(IDispatch* item) {
  if (!item || Contains(item)) return false;
  Append(item);
  return true;
}

void CPipeItems::Append(IDispatch* item) { m_items.emplace_back(item); }

bool CPipeItems::Remove(IDispatch* item) {
  const auto it = std::find_if(m_items.begin(), m_items.end(),
                               [&](const auto& p) { return p.Get() == item; });
  if (it == m_items.end()) return false;
  m_items.erase(it);
  return true;
}

bool CPipeItems::Contains(IDispatch* item) const {
  return std::any_of(m_items.begin(), m_items.end(),
                     [&](const auto& p) { return p.Get() == item; });
}
