#include "platform/com/Dispatch.h"

#include <cstring>
#include <new>

#include "platform/com/Api.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComError.h"
#include "platform/com/Strings.h"
#include "platform/com/VarTypeInfo.h"

namespace kelto::com {

namespace {

bool NameMatches(const char* ascii, std::u16string_view name) {
  std::size_t i = 0;
  for (; ascii[i]; ++i) {
    if (i >= name.size()) return false;
    if (detail::AsciiLower(static_cast<unsigned char>(ascii[i])) != detail::AsciiLower(name[i]) ||
        name[i] > 0x7F)
      return false;
  }
  return i == name.size();
}

const DispatchEntry* FindRow(std::span<const DispatchEntry> table, DISPID id, MemberKind kind) {
  for (const DispatchEntry& e : table)
    if (e.dispid == id && e.kind == kind) return &e;
  return nullptr;
}

bool IsMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// Bytes a VT_BYREF VARIANT of base type vt points at (0: not supported here).
// DECIMAL and VARIANT are handled before this: neither is copied through llVal.
std::size_t ByrefSize(VARTYPE vt) {
  if (vt & VT_ARRAY) return sizeof(SAFEARRAY*);
  if (vt == VT_DECIMAL || vt == VT_VARIANT) return 0;
  return detail::ValueSize(vt);
}

// A view of the value an argument stands for: by-reference arguments are
// read through. The view does not own anything; never clear it.
HRESULT Deref(const VARIANT& arg, VARIANT& view) {
  const VARIANT* v = &arg;
  // VT_BYREF|VT_VARIANT may not point at another by-reference VARIANT, but
  // tolerate one such level rather than misread it.
  for (int depth = 0; v->vt == (VT_BYREF | VT_VARIANT); ++depth) {
    if (!v->pvarVal || depth == 2) return DISP_E_TYPEMISMATCH;
    v = v->pvarVal;
  }
  if (!(v->vt & VT_BYREF)) {
    view = *v;
    return S_OK;
  }
  const VARTYPE base = static_cast<VARTYPE>(v->vt & ~VT_BYREF);
  if (!v->byref) return DISP_E_TYPEMISMATCH;
  if (base == VT_DECIMAL) {
    view.decVal = *v->pdecVal;
    view.vt = VT_DECIMAL;
    return S_OK;
  }
  const std::size_t size = ByrefSize(base);
  if (size == 0) return DISP_E_BADVARTYPE;
  VariantInit(&view);
  std::memcpy(&view.llVal, v->byref, size);
  view.vt = base;
  return S_OK;
}

// Makes slot (empty on entry) hold value as type vt, owning what it holds.
HRESULT Coerce(const VARIANT& value, const ParamInfo& p, VARIANT& slot) {
  if (p.vt == VT_VARIANT) return VariantCopy(&slot, &value);
  if (p.vt == VT_DISPATCH || p.vt == VT_UNKNOWN) {
    // Objects pass as they are, asked for the declared interface. An empty
    // VARIANT passes as a null object, as scripting hosts write "Nothing".
    IUnknown* object = nullptr;
    if (value.vt == VT_DISPATCH)
      object = value.pdispVal;
    else if (value.vt == VT_UNKNOWN)
      object = value.punkVal;
    else if (value.vt != VT_EMPTY)
      return DISP_E_TYPEMISMATCH;
    void* iface = nullptr;
    if (object) {
      const IID* want = p.iid;
      if (!want && p.vt == VT_DISPATCH && value.vt != VT_DISPATCH) want = &IidOf<IDispatch>();
      if (want) {
        if (FAILED(object->QueryInterface(*want, &iface)) || !iface) return DISP_E_TYPEMISMATCH;
      } else {
        object->AddRef();
        iface = object;
      }
    }
    slot.vt = p.vt;
    if (p.vt == VT_DISPATCH)
      slot.pdispVal = static_cast<IDispatch*>(iface);
    else
      slot.punkVal = static_cast<IUnknown*>(iface);
    return S_OK;
  }
  return VariantChangeType(&slot, &value, 0, p.vt);
}

HRESULT DefaultArgument(const DefaultValue& d, const ParamInfo& p, VARIANT& slot) {
  VARIANT v;
  VariantInit(&v);
  using K = DefaultValue::Kind;
  switch (d.kind) {
    case K::Missing:
      slot.vt = VT_ERROR;
      slot.scode = DISP_E_PARAMNOTFOUND;
      return S_OK;
    case K::None:
    case K::Empty:
      break;
    case K::Int:
      v.vt = VT_I4;
      v.lVal = d.i;
      break;
    case K::Real:
      v.vt = VT_R8;
      v.dblVal = d.d;
      break;
    case K::Bool:
      v.vt = VT_BOOL;
      v.boolVal = d.i ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case K::Text:
      v.vt = VT_BSTR;
      v.bstrVal = AllocBstr(std::string_view(d.s ? d.s : ""));
      if (!v.bstrVal) return E_OUTOFMEMORY;
      break;
  }
  const HRESULT hr = Coerce(v, p, slot);
  VariantClear(&v);
  return hr;
}

// Stores value (owned, of the parameter's type) into the variable a
// by-reference argument points at, releasing what the variable held.
// value is left empty.
HRESULT WriteBack(const VARIANT& arg, VARIANT& value) {
  const VARTYPE target = static_cast<VARTYPE>(arg.vt & ~VT_BYREF);
  if (!arg.byref) return DISP_E_TYPEMISMATCH;
  if (target == VT_VARIANT) {
    VariantClear(arg.pvarVal);
    *arg.pvarVal = value;
    VariantInit(&value);
    return S_OK;
  }
  const std::size_t size = ByrefSize(target);
  if (size == 0) return DISP_E_TYPEMISMATCH;
  VARIANT converted;
  VariantInit(&converted);
  const HRESULT hr = VariantChangeType(&converted, &value, 0, target);
  VariantClear(&value);
  if (FAILED(hr)) return hr;
  VARIANT old;
  VariantInit(&old);
  std::memcpy(&old.llVal, arg.byref, size);
  old.vt = target;
  VariantClear(&old);
  std::memcpy(arg.byref, &converted.llVal, size);  // ownership moves to the variable
  return S_OK;
}

void FillExcepInfo(EXCEPINFO* info, HRESULT hr) {
  *info = EXCEPINFO{};
  info->scode = hr;
  ComPtr<IErrorInfo> error;
  if (GetErrorInfo(0, error.Put()) == S_OK && error) {
    error->GetSource(&info->bstrSource);
    error->GetDescription(&info->bstrDescription);
    error->GetHelpFile(&info->bstrHelpFile);
    error->GetHelpContext(&info->dwHelpContext);
  }
  // A script shows the description to its user: never leave it blank.
  if (!info->bstrDescription || SysStringLen(info->bstrDescription) == 0) {
    SysFreeString(info->bstrDescription);
    try {
      info->bstrDescription = AllocBstr(std::string_view(DescribeHResult(hr)));
    } catch (...) {
      info->bstrDescription = nullptr;
    }
  }
}

// The VARIANT slots of one call, cleared on every path.
struct Slots {
  VARIANT v[kMaxDispatchParams];
  Slots() {
    for (VARIANT& s : v) VariantInit(&s);
  }
  Slots(const Slots&) = delete;
  Slots& operator=(const Slots&) = delete;
  ~Slots() {
    for (VARIANT& s : v) VariantClear(&s);
  }
};

const DispatchEntry* SelectRow(std::span<const DispatchEntry> table, DISPID id, WORD flags,
                               const DISPPARAMS& params) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    const DispatchEntry* put = FindRow(table, id, MemberKind::Put);
    const DispatchEntry* putRef = FindRow(table, id, MemberKind::PutRef);
    bool isObject = false;
    VARIANT value;
    if (params.cArgs > 0 && SUCCEEDED(Deref(params.rgvarg[0], value)))
      isObject = value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN;
    const bool askPut = flags & DISPATCH_PROPERTYPUT;
    const bool askRef = flags & DISPATCH_PROPERTYPUTREF;
    if (askRef && putRef && (isObject || !askPut || !put)) return putRef;
    if (askPut && put) return put;
    // A client without type information cannot know that a property is
    // assigned by reference; an object value makes the intent plain.
    if (askPut && putRef && isObject) return putRef;
    return nullptr;
  }
  if (flags & DISPATCH_METHOD)
    if (const DispatchEntry* m = FindRow(table, id, MemberKind::Method)) return m;
  if (flags & DISPATCH_PROPERTYGET)
    if (const DispatchEntry* g = FindRow(table, id, MemberKind::Get)) return g;
  return nullptr;
}

HRESULT InvokeRow(const DispatchEntry& e, const IID& iid, IDispatch* self, DISPPARAMS& params,
                  VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  const std::size_t cArgs = params.cArgs;
  const std::size_t callerArgs = e.CallerArgs();
  const std::size_t required = callerArgs - e.optionalCount;
  if (cArgs > callerArgs || cArgs < required) return DISP_E_BADPARAMCOUNT;

  Slots slots;
  auto argIndex = [&](std::size_t param) { return static_cast<UINT>(cArgs - 1 - param); };
  auto fail = [&](HRESULT hr, std::size_t param) {
    if (argErr) *argErr = argIndex(param);
    return hr;
  };
  for (std::size_t p = 0; p < callerArgs; ++p) {
    const ParamInfo& info = e.params[p];
    if (info.out) continue;  // filled by the member
    const bool given = p < cArgs && !IsMissing(params.rgvarg[argIndex(p)]);
    HRESULT hr;
    if (given) {
      VARIANT value;
      hr = Deref(params.rgvarg[argIndex(p)], value);
      if (SUCCEEDED(hr)) hr = Coerce(value, info, slots.v[p]);
      if (FAILED(hr)) return fail(hr, p);
    } else if (p >= required) {
      hr = DefaultArgument(e.defaults[p], info, slots.v[p]);
      if (FAILED(hr)) return p < cArgs ? fail(hr, p) : hr;
    } else {
      return fail(DISP_E_PARAMNOTOPTIONAL, p);
    }
  }

  // A failure must report this call's error, not one left from before.
  ClearError();
  const HRESULT hr = Guard(GUID_NULL, iid, [&] { return e.call(self, slots.v); });
  for (std::size_t p = 0; p < e.paramCount; ++p) {
    const ParamInfo& info = e.params[p];
    if (!info.out) {
      VariantClear(&slots.v[p]);
    } else if (info.vt != VT_VARIANT) {
      slots.v[p].vt = info.vt;  // the member wrote the value field only
    }
  }
  if (FAILED(hr)) {
    if (excepInfo) FillExcepInfo(excepInfo, hr);
    return DISP_E_EXCEPTION;
  }

  HRESULT outcome = S_OK;
  for (std::size_t p = 0; p < callerArgs; ++p) {
    if (!e.params[p].out) continue;
    const VARIANT& arg = params.rgvarg[argIndex(p)];
    if (!(arg.vt & VT_BYREF)) continue;  // passed by value: nowhere to write
    const HRESULT w = WriteBack(arg, slots.v[p]);
    if (FAILED(w) && SUCCEEDED(outcome)) outcome = fail(w, p);
  }
  if (e.retval && result) {
    *result = slots.v[e.paramCount - 1];
    VariantInit(&slots.v[e.paramCount - 1]);
  }
  return outcome;
}

}  // namespace

HRESULT DispatchGetTypeInfoCount(UINT* pctinfo) noexcept {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

HRESULT DispatchGetTypeInfo(const InterfaceDescription& desc, UINT iTInfo,
                            ITypeInfo** ppTInfo) noexcept {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  return TypeInfoOf(desc, ppTInfo);
}

HRESULT DefaultArgumentValue(const DefaultValue& d, const ParamInfo& p, VARIANT* value) noexcept {
  VariantInit(value);
  try {
    return DefaultArgument(d, p, *value);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

const DispatchEntry* FindDispatchEntry(std::span<const DispatchEntry> table,
                                       std::u16string_view name) noexcept {
  for (const DispatchEntry& e : table)
    if (NameMatches(e.name, name)) return &e;
  return nullptr;
}

HRESULT DispatchGetIDsOfNames(std::span<const DispatchEntry> table, REFIID riid,
                              LPOLESTR* rgszNames, UINT cNames, DISPID* rgDispId) noexcept {
  if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (cNames == 0) return E_INVALIDARG;
  if (!rgszNames || !rgDispId) return E_POINTER;
  // The first name is the member; the others would name its parameters,
  // which this runtime does not match (named arguments are unsupported).
  for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  const DispatchEntry* e = FindDispatchEntry(table, OleView(rgszNames[0]));
  if (!e) return DISP_E_UNKNOWNNAME;
  rgDispId[0] = e->dispid;
  return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchInvoke(std::span<const DispatchEntry> table, const IID& iid, IDispatch* self,
                       DISPID dispIdMember, REFIID riid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept {
  if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!pDispParams) return E_INVALIDARG;
  DISPPARAMS& params = *pDispParams;
  if ((params.cArgs && !params.rgvarg) || params.cNamedArgs > params.cArgs ||
      (params.cNamedArgs && !params.rgdispidNamedArgs))
    return E_INVALIDARG;
  if (pVarResult) VariantInit(pVarResult);

  const DispatchEntry* row = SelectRow(table, dispIdMember, wFlags, params);
  if (!row) return DISP_E_MEMBERNOTFOUND;
  // The one named argument understood is the value of a property put; it is
  // rgvarg[0], which is where the value sits positionally too.
  const bool isPut = row->kind == MemberKind::Put || row->kind == MemberKind::PutRef;
  if (params.cNamedArgs > 1 ||
      (params.cNamedArgs == 1 && !(isPut && params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)))
    return DISP_E_NONAMEDARGS;
  try {
    return InvokeRow(*row, iid, self, params, pVarResult, pExcepInfo, puArgErr);
  } catch (...) {
    return E_OUTOFMEMORY;  // only allocation can throw here; members run guarded
  }
}

}  // namespace kelto::com
