// VariantInit, VariantClear, VariantCopy and VariantCopyInd, and the
// out-of-line members of the _variant_t and _bstr_t wrappers.
//
// Ownership rules: a VARIANT owns its BSTR, its interface reference and its
// SAFEARRAY unless VT_BYREF is set, in which case it only points at storage
// that someone else owns. Copies are deep: strings are duplicated (keeping
// their byte length, so odd-length byte strings survive), interfaces gain a
// reference, arrays are copied element by element.
#include "platform/com/Variant.h"

#include <cstring>

#include "platform/com/VarTypeInfo.h"

namespace {

using kelto::com::detail::IsValidVariantType;
using kelto::com::detail::ValueSize;

// A copy of the string that keeps its exact byte length (a BSTR may hold
// arbitrary bytes); a null BSTR stays null.
HRESULT CopyBstr(BSTR src, BSTR* out) {
  *out = nullptr;
  if (!src) return S_OK;
  *out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src), SysStringByteLen(src));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Fills *dst (assumed empty) with an owned copy of the value of type vt found
// at src. vt carries no VT_BYREF bit; src points at the value's storage.
HRESULT CopyValue(VARTYPE vt, const void* src, VARIANT* dst) {
  VARIANT tmp;
  VariantInit(&tmp);
  if (vt & VT_ARRAY) {
    SAFEARRAY* copy = nullptr;
    const HRESULT hr = SafeArrayCopy(*static_cast<SAFEARRAY* const*>(src), &copy);
    if (FAILED(hr)) return hr;
    tmp.parray = copy;
  } else if (vt == VT_BSTR) {
    const HRESULT hr = CopyBstr(*static_cast<const BSTR*>(src), &tmp.bstrVal);
    if (FAILED(hr)) return hr;
  } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    tmp.punkVal = *static_cast<IUnknown* const*>(src);
    if (tmp.punkVal) tmp.punkVal->AddRef();
  } else if (vt == VT_DECIMAL) {
    // DECIMAL overlays the whole VARIANT, including vt; vt is set below.
    std::memcpy(&tmp.decVal, src, sizeof(DECIMAL));
  } else {
    std::memcpy(&tmp.llVal, src, ValueSize(vt));
  }
  tmp.vt = vt;
  *dst = tmp;
  return S_OK;
}

}  // namespace

KELTO_API void VariantInit(VARIANTARG* pvarg) {
  if (!pvarg) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
}

KELTO_API HRESULT VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  const VARTYPE vt = pvarg->vt;
  if (!IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  if (!(vt & VT_BYREF)) {
    if (vt & VT_ARRAY) {
      // A locked array stays with the variant rather than leaking: the caller
      // sees the failure and can unlock and clear again.
      const HRESULT hr = SafeArrayDestroy(pvarg->parray);
      if (FAILED(hr)) return hr;
    } else if (vt == VT_BSTR) {
      SysFreeString(pvarg->bstrVal);
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
      if (pvarg->punkVal) pvarg->punkVal->Release();
    }
  }
  pvarg->vt = VT_EMPTY;
  pvarg->llVal = 0;
  return S_OK;
}

KELTO_API HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  if (!IsValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  if (pvargDest == pvargSrc) return S_OK;
  // Copy first, then clear the destination: the source may live inside what
  // the destination owns (an array element, a by-reference target).
  VARIANT copy;
  VariantInit(&copy);
  const VARTYPE vt = pvargSrc->vt;
  if (vt & VT_BYREF) {
    copy = *pvargSrc;  // a reference is copied as a reference
  } else if (vt == VT_DECIMAL) {
    copy = *pvargSrc;
  } else if (vt == VT_EMPTY || vt == VT_NULL) {
    copy.vt = vt;
  } else {
    const HRESULT hr = CopyValue(vt, &pvargSrc->llVal, &copy);
    if (FAILED(hr)) return hr;
  }
  const HRESULT hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *pvargDest = copy;
  return S_OK;
}

KELTO_API HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (!pvarDest || !pvargSrc) return E_INVALIDARG;
  const VARTYPE vt = pvargSrc->vt;
  if (!IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  if (!(vt & VT_BYREF)) return VariantCopy(pvarDest, pvargSrc);
  if (!pvargSrc->byref) return E_INVALIDARG;

  VARIANT copy;
  VariantInit(&copy);
  const VARTYPE base = vt & ~VT_BYREF;
  if (base == VT_VARIANT) {
    // One level of indirection only: a reference to a variant that is itself
    // a reference is refused, as the platform does.
    const VARIANT* inner = pvargSrc->pvarVal;
    if (inner->vt & VT_BYREF) return E_INVALIDARG;
    const HRESULT hr = VariantCopy(&copy, inner);
    if (FAILED(hr)) return hr;
  } else {
    const HRESULT hr = CopyValue(base, pvargSrc->byref, &copy);
    if (FAILED(hr)) return hr;
  }
  // pvarDest may be pvargSrc itself (in-place dereference): the value has
  // been copied already, and clearing a by-reference variant frees nothing.
  const HRESULT hr = VariantClear(pvarDest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *pvarDest = copy;
  return S_OK;
}

// --- Wrappers ---------------------------------------------------------------------

_bstr_t::_bstr_t(const VARIANT& v) {
  if (v.vt == VT_BSTR) {
    b_ = Copy(v.bstrVal);
    return;
  }
  _variant_t text;
  kelto::com::ThrowIfFailed(VariantChangeType(&text, &v, 0, VT_BSTR));
  b_ = std::exchange(text.bstrVal, nullptr);
}

_variant_t::_variant_t(VARIANT& v, bool fCopy) : _variant_t() {
  if (fCopy) {
    kelto::com::ThrowIfFailed(VariantCopy(this, &v));
  } else {
    static_cast<VARIANT&>(*this) = v;
    VariantInit(&v);
  }
}

_variant_t::_variant_t(std::int32_t i, VARTYPE tag) : _variant_t() {
  if (tag != VT_I4 && tag != VT_INT && tag != VT_ERROR && tag != VT_BOOL)
    kelto::com::ThrowComError(E_INVALIDARG);
  vt = tag;
  if (tag == VT_BOOL)
    boolVal = i ? VARIANT_TRUE : VARIANT_FALSE;
  else
    lVal = i;
}

_variant_t::_variant_t(double d, VARTYPE tag) : _variant_t() {
  if (tag != VT_R8 && tag != VT_DATE) kelto::com::ThrowComError(E_INVALIDARG);
  vt = tag;
  dblVal = d;
}

void _variant_t::Attach(VARIANT& v) {
  Clear();
  static_cast<VARIANT&>(*this) = v;
  VariantInit(&v);
}

void _variant_t::ChangeType(VARTYPE type, const VARIANT* src, USHORT flags) {
  kelto::com::ThrowIfFailed(VariantChangeType(this, src ? src : this, flags, type));
}

_variant_t _variant_t::Converted(VARTYPE type) const {
  _variant_t out;
  kelto::com::ThrowIfFailed(VariantChangeType(&out, this, 0, type));
  return out;
}

std::int32_t _variant_t::ToInt32() const { return vt == VT_I4 ? lVal : Converted(VT_I4).lVal; }

double _variant_t::ToDouble() const { return vt == VT_R8 ? dblVal : Converted(VT_R8).dblVal; }

bool _variant_t::ToBool() const {
  return (vt == VT_BOOL ? boolVal : Converted(VT_BOOL).boolVal) != VARIANT_FALSE;
}

_bstr_t _variant_t::ToBstr() const { return _bstr_t(static_cast<const VARIANT&>(*this)); }

bool operator==(const _variant_t& a, const _variant_t& b) noexcept {
  if (a.vt != b.vt) return false;
  const VARTYPE vt = a.vt;
  if (vt & (VT_BYREF | VT_ARRAY)) return a.byref == b.byref;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BSTR:
      return kelto::com::BstrView(a.bstrVal) == kelto::com::BstrView(b.bstrVal);
    case VT_R4:
      return a.fltVal == b.fltVal;
    case VT_R8:
    case VT_DATE:
      return a.dblVal == b.dblVal;
    case VT_DECIMAL:
      return std::memcmp(&a.decVal.scale, &b.decVal.scale,
                         sizeof(DECIMAL) - offsetof(DECIMAL, scale)) == 0;
    default: {
      const std::size_t size = kelto::com::detail::ValueSize(vt);
      return std::memcmp(&a.llVal, &b.llVal, size ? size : sizeof(void*)) == 0;
    }
  }
}
