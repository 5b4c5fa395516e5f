// Drives scripting objects the way a late-bound host does: members are found
// by name with GetIDsOfNames (or called by dispid) and run through
// IDispatch::Invoke; a failure comes back with the EXCEPINFO text.
//
//   auto count = kelto::test::Get(children, u"Count");
//   ASSERT_TRUE(count.ok()) << count.error;
//   EXPECT_EQ(count.value.lVal, 2);
//   auto bad = kelto::test::Get(children, u"Item", {_variant_t(0)});
//   EXPECT_EQ(bad.error, "Invalid Position");
#pragma once

#include <string>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Interfaces.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace kelto::test {

struct ScriptResult {
  HRESULT hr = E_FAIL;   // what Invoke returned
  _variant_t value;      // the result
  std::string error;     // EXCEPINFO's description when Invoke failed
  HRESULT scode = S_OK;  // EXCEPINFO's scode (the member's failure code)
  std::string source;    // EXCEPINFO's source
  UINT argErr = 0xFFFF;  // the argument Invoke blamed (an index into rgvarg)
  bool ok() const { return hr == S_OK; }
};

inline DISPID DispidOf(IDispatch* object, const char16_t* name) {
  std::u16string copy(name);
  LPOLESTR names[1] = {copy.data()};
  DISPID id = DISPID_UNKNOWN;
  if (object->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id) != S_OK)
    return DISPID_UNKNOWN;
  return id;
}

// args in the order a script writes them; by-reference ones stay references.
inline ScriptResult InvokeId(IDispatch* object, DISPID id, WORD flags,
                             std::vector<_variant_t> args = {}) {
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it);
  DISPID putId = DISPID_PROPERTYPUT;
  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &putId : nullptr,
                    static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  ScriptResult r;
  EXCEPINFO info{};
  r.hr = object->Invoke(id, GUID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, &r.value, &info,
                        &r.argErr);
  if (r.hr == DISP_E_EXCEPTION) {
    r.error = kelto::com::BstrToUtf8(info.bstrDescription);
    r.source = kelto::com::BstrToUtf8(info.bstrSource);
    r.scode = info.scode;
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return r;
}

inline ScriptResult InvokeName(IDispatch* object, const char16_t* name, WORD flags,
                               std::vector<_variant_t> args = {}) {
  const DISPID id = DispidOf(object, name);
  if (id != DISPID_UNKNOWN) return InvokeId(object, id, flags, std::move(args));
  return {DISP_E_UNKNOWNNAME};
}

// A property read or a method call, as VBScript makes them (flags 3).
inline ScriptResult Get(IDispatch* object, const char16_t* name,
                        std::vector<_variant_t> args = {}) {
  return InvokeName(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}
inline ScriptResult Call(IDispatch* object, const char16_t* name,
                         std::vector<_variant_t> args = {}) {
  return InvokeName(object, name, DISPATCH_METHOD, std::move(args));
}
// args: the indices, then the value.
inline ScriptResult Put(IDispatch* object, const char16_t* name, std::vector<_variant_t> args) {
  return InvokeName(object, name, DISPATCH_PROPERTYPUT, std::move(args));
}
inline ScriptResult PutRef(IDispatch* object, const char16_t* name, std::vector<_variant_t> args) {
  return InvokeName(object, name, DISPATCH_PROPERTYPUTREF, std::move(args));
}

// member(text, Errors), as SetSpec and SetConfig are called: the Errors text
// handed back through the by-reference BSTR ("" rather than null when all is
// well).
inline std::string CallWithErrors(IDispatch* object, const char16_t* member,
                                  const std::string& text) {
  BSTR errors = SysAllocString(u"stale");
  VARIANT errorsRef;
  VariantInit(&errorsRef);
  errorsRef.vt = VT_BYREF | VT_BSTR;
  errorsRef.pbstrVal = &errors;
  const ScriptResult r = Call(object, member, {_variant_t(text), _variant_t(errorsRef)});
  std::string out = r.ok() && errors ? kelto::com::BstrToUtf8(errors) : "<failed or null>";
  SysFreeString(errors);
  return out;
}

// The calling thread's pending error information, taken (the slot is left
// empty), as a vtable caller reads it after a failure; empty texts when there
// is none.
struct Pending {
  std::string text, source;
  GUID guid{};
};
inline Pending TakePending() {
  Pending p;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return p;
  BSTR text = nullptr, source = nullptr;
  info->GetDescription(&text);
  info->GetSource(&source);
  info->GetGUID(&p.guid);
  info->Release();
  p.text = kelto::com::BstrToUtf8(text);
  p.source = kelto::com::BstrToUtf8(source);
  SysFreeString(text);
  SysFreeString(source);
  return p;
}

// The object a result holds (null when it holds none).
inline IDispatch* ObjectOf(const ScriptResult& r) {
  return r.value.vt == VT_DISPATCH ? r.value.pdispVal : nullptr;
}

}  // namespace kelto::test
