#include "kelto/com/FaceDispatch.h"

#include "platform/com/Api.h"

namespace kelto::faces {

namespace {

using kelto::com::DispatchEntry;
using kelto::com::MemberKind;

// The parameterless, object-valued property get with this dispid, or null.
const DispatchEntry* CollectionProperty(std::span<const DispatchEntry> table, DISPID id) {
  for (const DispatchEntry& e : table) {
    if (e.dispid != id || e.kind != MemberKind::Get) continue;
    if (e.CallerArgs() != 0 || e.paramCount == 0) return nullptr;
    const VARTYPE vt = e.params[e.paramCount - 1].vt;
    return vt == VT_DISPATCH ? &e : nullptr;
  }
  return nullptr;
}

}  // namespace

HRESULT InvokeWithDefaultMember(std::span<const DispatchEntry> table, const IID& iid,
                                IDispatch* self, DISPID dispIdMember, REFIID riid, LCID lcid,
                                WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept {
  // A put, named arguments or no arguments at all: nothing to pass on.
  const bool plainGet = (wFlags & DISPATCH_PROPERTYGET) &&
                        !(wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
  if (!plainGet || !pDispParams || pDispParams->cArgs == 0 || pDispParams->cNamedArgs != 0 ||
      !CollectionProperty(table, dispIdMember)) {
    return kelto::com::DispatchInvoke(table, iid, self, dispIdMember, riid, wFlags, pDispParams,
                                      pVarResult, pExcepInfo, puArgErr);
  }

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT collection;
  VariantInit(&collection);
  HRESULT hr =
      kelto::com::DispatchInvoke(table, iid, self, dispIdMember, riid, DISPATCH_PROPERTYGET, &none,
                                 &collection, pExcepInfo, puArgErr);
  if (FAILED(hr)) return hr;
  if (collection.vt != VT_DISPATCH || !collection.pdispVal) {
    VariantClear(&collection);
    return E_POINTER;
  }
  hr = collection.pdispVal->Invoke(DISPID_VALUE, riid, lcid, wFlags, pDispParams, pVarResult,
                                   pExcepInfo, puArgErr);
  VariantClear(&collection);
  return hr;
}

}  // namespace kelto::faces
