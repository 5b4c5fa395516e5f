#include "platform/com/EnumVariant.h"

#include <new>

#include "platform/com/Api.h"
#include "platform/com/Enumerator.h"

namespace kelto::com {

namespace {

// A VARIANT the enumerator's item list owns.
struct OwnedVariant {
  VARIANT v;
  explicit OwnedVariant(const VARIANT& adopted) : v(adopted) {}
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  OwnedVariant(OwnedVariant&& o) noexcept : v(o.v) { VariantInit(&o.v); }
  ~OwnedVariant() { VariantClear(&v); }
};

struct VariantTraits {
  using Stored = OwnedVariant;
  static HRESULT CopyOut(const Stored& s, VARIANT* out) {
    // The caller's VARIANTs are treated as uninitialised, as IEnumVARIANT
    // callers commonly pass fresh stack arrays.
    VariantInit(out);
    return VariantCopy(out, &s.v);
  }
  static void Free(VARIANT* out) { VariantClear(out); }
};

using EnumVariant = SnapshotEnumerator<IEnumVARIANT, VARIANT, VariantTraits>;

HRESULT Make(std::vector<OwnedVariant>&& items, IEnumVARIANT** ppEnum) {
  auto list = std::make_shared<const std::vector<OwnedVariant>>(std::move(items));
  *ppEnum = MakeObject<EnumVariant>(std::move(list)).Detach();
  return S_OK;
}

}  // namespace

HRESULT CreateEnumVariant(std::span<const VARIANT> items, IEnumVARIANT** ppEnum) noexcept {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  try {
    std::vector<OwnedVariant> copies;
    copies.reserve(items.size());
    for (const VARIANT& item : items) {
      VARIANT copy;
      VariantInit(&copy);
      const HRESULT hr = VariantCopy(&copy, &item);
      if (FAILED(hr)) return hr;
      copies.emplace_back(copy);
    }
    return Make(std::move(copies), ppEnum);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CreateEnumVariant(std::vector<VARIANT>&& items, IEnumVARIANT** ppEnum) noexcept {
  std::vector<VARIANT> taken = std::move(items);
  items.clear();
  if (!ppEnum) {
    for (VARIANT& v : taken) VariantClear(&v);
    return E_POINTER;
  }
  *ppEnum = nullptr;
  std::size_t adopted = 0;
  try {
    std::vector<OwnedVariant> owned;
    owned.reserve(taken.size());
    for (; adopted < taken.size(); ++adopted) owned.emplace_back(taken[adopted]);
    return Make(std::move(owned), ppEnum);
  } catch (const std::bad_alloc&) {
    // Items already moved into `owned` were cleared by its destructor.
    for (std::size_t i = adopted; i < taken.size(); ++i) VariantClear(&taken[i]);
    return E_OUTOFMEMORY;
  }
}

}  // namespace kelto::com
