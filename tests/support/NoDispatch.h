// IDispatch members for test stand-ins that nobody calls late-bound:
// NoDispatch<I> implements I's four IDispatch members, so a stand-in derives
// from it and writes only I's own members. QueryInterface finds it under I.
#pragma once

#include "platform/com/Interfaces.h"
#include "platform/com/Object.h"

namespace kelto::test {

template <class I>
struct NoDispatch : I {
  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

}  // namespace kelto::test

template <class I>
struct kelto::com::InterfaceId<kelto::test::NoDispatch<I>> {
  using parent = typename InterfaceId<I>::parent;
  static constexpr IID value = InterfaceId<I>::value;
};
