// Late-bound calls as a scripting client makes them, keeping what the client
// sees of a failure (scode, description and source) and allowing by-reference
// arguments. Shared by the scripting-class tests of tags/ and colour/.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "support/ScriptHost.h"

namespace late_bound {

inline DISPID IdOf(IDispatch* object, const char16_t* name) {
  const DISPID id = kelto::test::DispidOf(object, name);
  EXPECT_NE(id, DISPID_UNKNOWN) << kelto::com::Utf16ToUtf8(name);
  return id;
}

struct Outcome {
  HRESULT hr = E_FAIL;
  _variant_t value;
  HRESULT scode = S_OK;  // EXCEPINFO's
  std::string description;
  std::string source;
};

// args in the order written (reversed for rgvarg); borrowed, not cleared.
inline Outcome Invoke(IDispatch* object, DISPID id, std::vector<VARIANT> args,
                      WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  Outcome r;
  EXCEPINFO info{};
  UINT argError = 0;
  r.hr = object->Invoke(id, GUID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, &r.value, &info,
                        &argError);
  r.scode = info.scode;
  if (info.bstrDescription) r.description = kelto::com::BstrToUtf8(info.bstrDescription);
  if (info.bstrSource) r.source = kelto::com::BstrToUtf8(info.bstrSource);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return r;
}

// A borrowed object argument (Invoke does not take it over).
inline VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  return v;
}

// member(text, Errors) as a method, e.g. SetSpec or SetConfig: the Errors
// text it hands back through its by-reference BSTR.
inline std::string CallWithErrors(IDispatch* object, const char16_t* member,
                                  const std::string& text) {
  _variant_t textArg(text);
  _bstr_t errors("stale");
  VARIANT errorsRef;
  VariantInit(&errorsRef);
  errorsRef.vt = VT_BYREF | VT_BSTR;
  errorsRef.pbstrVal = errors.GetAddress();
  EXPECT_EQ(Invoke(object, IdOf(object, member), {textArg, errorsRef}, DISPATCH_METHOD).hr, S_OK);
  EXPECT_NE(errors.GetBSTR(), nullptr);  // "" rather than null when all is well
  return errors.str();
}

}  // namespace late_bound
