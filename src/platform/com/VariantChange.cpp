// VariantChangeType and VariantChangeTypeEx: the conversion rules of the
// scripting platform for the types the module uses. docs/runtime-variants.md
// holds the full table; the numeric and text rules live in VariantNumber and
// VariantDate.
//
// The whole runtime works in the C locale: the LCID argument only travels on
// to IDispatch::Invoke when a default value is fetched. Scripts that pass
// "1.5" mean one and a half whatever the host's regional settings say.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/VarTypeInfo.h"
#include "platform/com/VariantDate.h"
#include "platform/com/VariantNumber.h"

namespace {

using kelto::com::detail::Int128;
using kelto::com::detail::Number;

// An object whose default value is itself an object is followed this deep.
constexpr int kMaxValueDepth = 8;

enum class Target { Bad, Mismatch, Ok };

Target ClassifyTarget(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return Target::Bad;
  const VARTYPE base = vt & VT_TYPEMASK;
  Target t = Target::Bad;
  if (vt & VT_ARRAY) {
    t = kelto::com::detail::ValueSize(base) ? Target::Ok : Target::Bad;
  } else if (base == VT_VARIANT || base == VT_RECORD) {
    t = Target::Mismatch;
  } else if (base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT)) {
    t = Target::Ok;
  }
  // A by-reference target names storage the caller does not give.
  if (t == Target::Ok && (vt & VT_BYREF)) t = Target::Mismatch;
  return t;
}

// The value a variant holds, read through VT_BYREF, as a borrowed VARIANT
// (nothing in *view is owned).
HRESULT View(const VARIANT& src, VARIANT* view, bool nested = false) {
  if (!(src.vt & VT_BYREF)) {
    *view = src;
    return S_OK;
  }
  if (!src.byref) return DISP_E_TYPEMISMATCH;
  const VARTYPE base = src.vt & ~VT_BYREF;
  if (base == VT_VARIANT) {
    if (nested) return DISP_E_TYPEMISMATCH;  // one level of indirection only
    return View(*src.pvarVal, view, true);
  }
  VariantInit(view);
  if (base & VT_ARRAY)
    view->parray = *src.pparray;
  else if (base == VT_DECIMAL)
    std::memcpy(&view->decVal, src.byref, sizeof(DECIMAL));
  else
    std::memcpy(&view->llVal, src.byref, kelto::com::detail::ValueSize(base));
  view->vt = base;
  return S_OK;
}

HRESULT ToNumber(const VARIANT& v, Number* n) {
  switch (v.vt) {
    case VT_EMPTY:
      *n = Number::Int(0);
      return S_OK;
    case VT_I1:
      *n = Number::Int(static_cast<signed char>(v.cVal));
      return S_OK;
    case VT_UI1:
      *n = Number::Int(v.bVal);
      return S_OK;
    case VT_I2:
      *n = Number::Int(v.iVal);
      return S_OK;
    case VT_UI2:
      *n = Number::Int(v.uiVal);
      return S_OK;
    case VT_I4:
    case VT_INT:
      *n = Number::Int(v.lVal);
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      *n = Number::Int(v.ulVal);
      return S_OK;
    case VT_I8:
      *n = Number::Int(v.llVal);
      return S_OK;
    case VT_UI8:
      *n = Number::Int(v.ullVal);
      return S_OK;
    case VT_BOOL:
      *n = Number::Int(v.boolVal);
      n->wraps = true;
      return S_OK;
    case VT_R4:
      *n = Number::Float(v.fltVal);
      return S_OK;
    case VT_R8:
    case VT_DATE:
      *n = Number::Float(v.dblVal);
      return S_OK;
    case VT_CY:
      *n = Number::Fixed(v.cyVal.int64, 4);
      return S_OK;
    case VT_DECIMAL:
      return kelto::com::detail::FromDecimal(v.decVal, n);
    case VT_BSTR:
      return kelto::com::detail::ParseNumber(kelto::com::BstrView(v.bstrVal), n);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT FromNumber(const Number& n, VARTYPE target, VARIANT* out) {
  using kelto::com::detail::ToInteger;
  Int128 i = 0;
  HRESULT hr = S_OK;
  VARIANT r;
  VariantInit(&r);
  switch (target) {
    case VT_I1:
      if (SUCCEEDED(hr = ToInteger(n, -128, 127, &i))) r.cVal = static_cast<CHAR>(i);
      break;
    case VT_UI1:
      if (SUCCEEDED(hr = ToInteger(n, 0, 0xFF, &i))) r.bVal = static_cast<BYTE>(i);
      break;
    case VT_I2:
      if (SUCCEEDED(hr = ToInteger(n, -32768, 32767, &i))) r.iVal = static_cast<SHORT>(i);
      break;
    case VT_UI2:
      if (SUCCEEDED(hr = ToInteger(n, 0, 0xFFFF, &i))) r.uiVal = static_cast<USHORT>(i);
      break;
    case VT_I4:
    case VT_INT:
      if (SUCCEEDED(hr = ToInteger(n, INT32_MIN, INT32_MAX, &i))) r.lVal = static_cast<LONG>(i);
      break;
    case VT_UI4:
    case VT_UINT:
      if (SUCCEEDED(hr = ToInteger(n, 0, UINT32_MAX, &i))) r.ulVal = static_cast<ULONG>(i);
      break;
    case VT_I8:
      if (SUCCEEDED(hr = ToInteger(n, INT64_MIN, INT64_MAX, &i)))
        r.llVal = static_cast<LONGLONG>(i);
      break;
    case VT_UI8:
      if (SUCCEEDED(hr = ToInteger(n, 0, UINT64_MAX, &i))) r.ullVal = static_cast<ULONGLONG>(i);
      break;
    case VT_R4: {
      const double d = kelto::com::detail::ToDouble(n);
      if (std::fabs(d) > FLT_MAX) hr = DISP_E_OVERFLOW;  // also infinities; NaN stays NaN
      r.fltVal = static_cast<float>(d);
      break;
    }
    case VT_R8:
      r.dblVal = kelto::com::detail::ToDouble(n);
      break;
    case VT_DATE:
      r.date = kelto::com::detail::ToDouble(n);
      if (!kelto::com::detail::IsValidDate(r.date)) hr = DISP_E_OVERFLOW;
      break;
    case VT_CY:
      hr = kelto::com::detail::ToCurrency(n, &r.cyVal.int64);
      break;
    case VT_BOOL:
      r.boolVal = kelto::com::detail::IsNonZero(n) ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_DECIMAL:
      hr = kelto::com::detail::ToDecimal(n, &r.decVal);  // overlays vt, set below
      break;
    default:
      hr = DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  r.vt = target;
  *out = r;
  return S_OK;
}

HRESULT ToText(const VARIANT& v, USHORT flags, std::string* text) {
  using namespace kelto::com::detail;
  switch (v.vt) {
    case VT_EMPTY:
      text->clear();
      return S_OK;
    case VT_BOOL:
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
        *text = v.boolVal ? "True" : "False";
      } else {
        *text = FormatInteger(v.boolVal);  // the platform writes -1 / 0 unless asked for words
      }
      return S_OK;
    case VT_R4:
      *text = FormatReal(v.fltVal, 7);
      return S_OK;
    case VT_R8:
      *text = FormatReal(v.dblVal, 15);
      return S_OK;
    case VT_DATE:
      return FormatDate(v.date, text);
    case VT_CY:
      *text = FormatScaled(v.cyVal.int64, 4);
      return S_OK;
    case VT_DECIMAL: {
      Number n;
      const HRESULT hr = FromDecimal(v.decVal, &n);
      if (FAILED(hr)) return hr;
      *text = FormatScaled(n.integer, n.kind == Number::Kind::Scaled ? n.scale : 0);
      return S_OK;
    }
    default: {
      Number n;
      const HRESULT hr = ToNumber(v, &n);
      if (FAILED(hr)) return hr;
      *text = FormatInteger(n.integer);
      return S_OK;
    }
  }
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::u16string_view Trim(std::u16string_view s) {
  auto space = [](char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

// Text to VT_BOOL: "#TRUE#"/"#FALSE#" exactly, "True"/"False" in any case,
// else a number (non-zero is true).
HRESULT TextToBool(BSTR b, VARIANT_BOOL* out) {
  const std::u16string_view s = Trim(kelto::com::BstrView(b));
  if (s == u"#TRUE#" || EqualsNoCase(s, u"true")) {
    *out = VARIANT_TRUE;
    return S_OK;
  }
  if (s == u"#FALSE#" || EqualsNoCase(s, u"false")) {
    *out = VARIANT_FALSE;
    return S_OK;
  }
  Number n;
  const HRESULT hr = kelto::com::detail::ParseNumber(s, &n);
  if (FAILED(hr)) return hr;
  *out = kelto::com::detail::IsNonZero(n) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// The object's default value: property get of DISPID_VALUE without arguments.
HRESULT DefaultValue(IDispatch* d, LCID lcid, VARIANT* result) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXCEPINFO info{};
  UINT argErr = 0;
  VariantInit(result);
  const HRESULT hr =
      d->Invoke(DISPID_VALUE, GUID_NULL, lcid, DISPATCH_PROPERTYGET, &none, result, &info, &argErr);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  // A failing Invoke may have left anything in the result; it is not ours.
  if (FAILED(hr)) VariantInit(result);
  return hr;
}

HRESULT QueryInto(IUnknown* p, const IID& iid, VARTYPE vt, VARIANT* out) {
  void* q = nullptr;
  if (p) {
    const HRESULT hr = p->QueryInterface(iid, &q);
    if (FAILED(hr)) return hr;
  }
  VariantInit(out);
  out->vt = vt;
  out->byref = q;
  return S_OK;
}

// Converts view (no VT_BYREF; borrowed) into a new owned value in *out,
// which is written only on success.
HRESULT Coerce(const VARIANT& view, VARTYPE target, USHORT flags, LCID lcid, int depth,
               VARIANT* out) {
  const VARTYPE from = view.vt;
  if ((from | target) & VT_ARRAY) {
    // Arrays convert only to their own type.
    return from == target ? VariantCopy(out, &view) : DISP_E_TYPEMISMATCH;
  }
  if (from == target) return VariantCopy(out, &view);

  switch (target) {
    case VT_EMPTY:
    case VT_NULL:
      if (from == VT_ERROR || (target == VT_EMPTY && from == VT_NULL)) return DISP_E_TYPEMISMATCH;
      VariantInit(out);
      out->vt = target;
      return S_OK;
    case VT_ERROR:
      return DISP_E_TYPEMISMATCH;
    case VT_DISPATCH:
      if (from != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
      return QueryInto(view.punkVal, kelto::com::IidOf<IDispatch>(), VT_DISPATCH, out);
    case VT_UNKNOWN:
      if (from != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
      return QueryInto(view.punkVal, kelto::com::IidOf<IUnknown>(), VT_UNKNOWN, out);
    default:
      break;
  }

  // From here on the target is a value type.
  if (from == VT_NULL || from == VT_ERROR || from == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (from == VT_DISPATCH) {
    if ((flags & VARIANT_NOVALUEPROP) || !view.pdispVal || depth >= kMaxValueDepth)
      return DISP_E_TYPEMISMATCH;
    VARIANT value;
    HRESULT hr = DefaultValue(view.pdispVal, lcid, &value);
    if (FAILED(hr)) return hr;
    VARIANT inner;
    hr = View(value, &inner);
    if (SUCCEEDED(hr)) hr = Coerce(inner, target, flags, lcid, depth + 1, out);
    VariantClear(&value);
    return hr;
  }

  if (target == VT_BSTR) {
    std::string text;
    const HRESULT hr = ToText(view, flags, &text);
    if (FAILED(hr)) return hr;
    BSTR b = kelto::com::AllocBstr(std::string_view(text));
    if (!b) return E_OUTOFMEMORY;
    VariantInit(out);
    out->vt = VT_BSTR;
    out->bstrVal = b;
    return S_OK;
  }
  if (from == VT_BSTR && target == VT_BOOL) {
    VARIANT_BOOL b = VARIANT_FALSE;
    const HRESULT hr = TextToBool(view.bstrVal, &b);
    if (FAILED(hr)) return hr;
    VariantInit(out);
    out->vt = VT_BOOL;
    out->boolVal = b;
    return S_OK;
  }
  if (from == VT_BSTR && target == VT_DATE) {
    DATE d = 0;
    const HRESULT hr = kelto::com::detail::ParseDate(kelto::com::BstrView(view.bstrVal), &d);
    if (FAILED(hr)) return hr;
    VariantInit(out);
    out->vt = VT_DATE;
    out->date = d;
    return S_OK;
  }
  Number n;
  const HRESULT hr = ToNumber(view, &n);
  if (FAILED(hr)) return hr;
  return FromNumber(n, target, out);
}

}  // namespace

KELTO_API HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid,
                                      USHORT wFlags, VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  if (!kelto::com::detail::IsValidVariantType(pvarSrc->vt)) return DISP_E_BADVARTYPE;
  switch (ClassifyTarget(vt)) {
    case Target::Bad:
      return DISP_E_BADVARTYPE;
    case Target::Mismatch:
      return DISP_E_TYPEMISMATCH;
    case Target::Ok:
      break;
  }
  VARIANT view;
  HRESULT hr = View(*pvarSrc, &view);
  if (FAILED(hr)) return hr;
  // The result is complete before the destination is touched, so a failure
  // leaves the destination as it was and dest == src works.
  VARIANT result;
  VariantInit(&result);
  hr = Coerce(view, vt, wFlags, lcid, 0, &result);
  if (FAILED(hr)) return hr;
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *pvargDest = result;
  return S_OK;
}

KELTO_API HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                                    VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
