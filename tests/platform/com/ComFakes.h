// Shared pieces of the runtime tests. Hand-rolled objects count references
// without ever deleting themselves (they live on the test's stack), so a test
// can assert exactly how many AddRef/Release calls the runtime made.
#pragma once

#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Interfaces.h"
#include "platform/com/Strings.h"

namespace kelto::com::test {

// A by-reference VARIANT of type vt pointing at target (not owned).
inline VARIANT Ref(VARTYPE vt, void* target) {
  VARIANT v{};
  v.vt = VT_BYREF | vt;
  v.byref = target;
  return v;
}

// Answers IUnknown and, for FakeDispatch, IDispatch; counts references.
template <class I>
class Counting : public I {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IidOf<IUnknown>() && riid != IidOf<I>()) return E_NOINTERFACE;
    *ppv = static_cast<I*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

  ULONG refs = 1;
};

using FakeUnknown = Counting<IUnknown>;

// Invoke of DISPID_VALUE returns `value` (or fails with `failWith`).
class FakeDispatch : public Counting<IDispatch> {
 public:
  FakeDispatch() { VariantInit(&value); }
  ~FakeDispatch() { VariantClear(&value); }

  HRESULT GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, UINT*) override {
    ++invokes;
    lastId = id;
    lastFlags = flags;
    lastArgCount = params ? params->cArgs : ~0u;
    if (FAILED(failWith)) return failWith;
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    return result ? VariantCopy(result, &value) : S_OK;
  }

  VARIANT value;
  HRESULT failWith = S_OK;
  int invokes = 0;
  DISPID lastId = -1;
  WORD lastFlags = 0;
  UINT lastArgCount = 0;
};

}  // namespace kelto::com::test
