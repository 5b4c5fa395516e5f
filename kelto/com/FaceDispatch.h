// FaceDispatch<I>: Dual<I> plus the one late-binding rule scripts expect of
// collection-valued properties: `component.Attributes("SPINDLE-DIRECTION")`.
//
// Attributes is a property without parameters that returns a collection; a
// script (and the tag engine, which passes every parenthesised argument to the
// member it names) writes the collection's index right after it. Invoke then
// receives arguments the property does not take. Rather than failing with
// DISP_E_BADPARAMCOUNT, FaceDispatch gets the property and passes the
// arguments on to the returned object's default member (DISPID_VALUE, the
// collection's Item), as Basic-family script engines do when they resolve
// such an expression themselves. Only parameterless property gets that return
// an object are treated this way; every other call goes through Dual<I>
// unchanged.
#pragma once

#include <span>

#include "platform/com/Dispatch.h"

namespace kelto::faces {

// The rule above over any dispatch table; self is the object as the
// IDispatch of the table's interface. Never throws.
HRESULT InvokeWithDefaultMember(std::span<const kelto::com::DispatchEntry> table, const IID& iid,
                                IDispatch* self, DISPID dispIdMember, REFIID riid, LCID lcid,
                                WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept;

template <class I>
class FaceDispatch : public kelto::com::Dual<I> {
 public:
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    return InvokeWithDefaultMember(kelto::com::Dual<I>::Table(), kelto::com::IidOf<I>(),
                                   static_cast<IDispatch*>(static_cast<I*>(this)), dispIdMember,
                                   riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                   puArgErr);
  }

 protected:
  FaceDispatch() = default;
  ~FaceDispatch() = default;
};

}  // namespace kelto::faces

// QueryInterface finds FaceDispatch<I> under I's IID (and I's bases).
template <class I>
struct kelto::com::InterfaceId<kelto::faces::FaceDispatch<I>> {
  using parent = typename InterfaceId<I>::parent;
  static constexpr IID value = InterfaceId<I>::value;
};
