// The scripting classes GroupColScheme and UserColScheme, driven the way a
// late-bound client drives them: GetIDsOfNames and IDispatch::Invoke.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PipingComponents.h"
#include "colour/ComGroupColScheme.h"
#include "colour/ComUserColScheme.h"
#include "platform/com/Api.h"
#include "platform/com/Guid.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto3d::IColourScheme;
using kelto3d::IGroupColScheme;
using kelto3d::IUserColScheme;

namespace {

DISPID IdOf(IDispatch* object, const char16_t* name) {
  std::u16string copy(name);
  LPOLESTR names[1] = {copy.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id), S_OK) << id;
  return id;
}

// Invokes as a method; args in the order written (reversed for rgvarg).
HRESULT Call(IDispatch* object, DISPID id, std::vector<VARIANT> args, _variant_t* result,
             EXCEPINFO* info = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  UINT argError = 0;
  return object->Invoke(id, GUID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, result,
                        info, &argError);
}

VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;  // borrowed: Invoke does not take it over
  return v;
}

// GetColour through Invoke, expecting success.
LONG ColourOf(IDispatch* scheme, IKeltoComponent* component) {
  _variant_t result;
  EXPECT_EQ(Call(scheme, 1, {ObjectArg(component)}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  return result.lVal;
}

// SetConfig through Invoke; returns the Errors text.
std::string SetConfig(IDispatch* scheme, const std::string& xml) {
  _variant_t config(xml);
  _bstr_t errors("stale");
  VARIANT errorsRef;
  VariantInit(&errorsRef);
  errorsRef.vt = VT_BYREF | VT_BSTR;
  errorsRef.pbstrVal = errors.GetAddress();
  _variant_t ignored;
  EXPECT_EQ(Call(scheme, IdOf(scheme, u"SetConfig"), {config, errorsRef}, &ignored), S_OK);
  EXPECT_NE(errors.GetBSTR(), nullptr);  // "" rather than null when all is well
  return errors.str();
}

std::string Text(BSTR b) { return kelto::com::BstrToUtf8(b); }

ComPtr<IDispatch> MakeGroup() {
  return ComPtr<IDispatch>(
      static_cast<IGroupColScheme*>(kelto::com::MakeObject<CComGroupColScheme>().Get()));
}
ComPtr<IDispatch> MakeUser() {
  return ComPtr<IDispatch>(
      static_cast<IUserColScheme*>(kelto::com::MakeObject<CComUserColScheme>().Get()));
}

TEST(ComColourScheme, DispatchIdsAreThoseOfTheTypeLibrary) {
  const ComPtr<IDispatch> group = MakeGroup();
  const ComPtr<IDispatch> user = MakeUser();
  EXPECT_EQ(IdOf(group.Get(), u"GetColour"), 1);
  EXPECT_EQ(IdOf(user.Get(), u"getcolour"), 1);
  EXPECT_EQ(IdOf(user.Get(), u"SetConfig"), 0x65);
  std::u16string name = u"SetConfig";
  LPOLESTR names[1] = {name.data()};
  DISPID id = 0;
  EXPECT_EQ(group->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
}

TEST(ComColourScheme, InterfacesAndErrorSupport) {
  const ComPtr<IDispatch> group = MakeGroup();
  const ComPtr<IDispatch> user = MakeUser();
  ComPtr<IUnknown> probe;
  EXPECT_EQ(group->QueryInterface(IidOf<IGroupColScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(group->QueryInterface(IidOf<IColourScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(group->QueryInterface(IidOf<IUserColScheme>(), probe.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(user->QueryInterface(IidOf<IUserColScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(user->QueryInterface(IidOf<IColourScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(user->QueryInterface(IidOf<IGroupColScheme>(), probe.PutVoid()), E_NOINTERFACE);

  for (const ComPtr<IDispatch>& scheme : {group, user}) {
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(scheme->QueryInterface(IidOf<ISupportErrorInfo>(), support.PutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IColourScheme>()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IDispatch>()), S_FALSE);
  }
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(user->QueryInterface(IidOf<ISupportErrorInfo>(), support.PutVoid()), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IUserColScheme>()), S_OK);
}

TEST(ComColourScheme, GroupColoursThroughInvoke) {
  const ComPtr<IDispatch> group = MakeGroup();
  EXPECT_EQ(ColourOf(group.Get(), colour_test::MakeComponent("Pipe").Get()), 0x00FF00);
  EXPECT_EQ(ColourOf(group.Get(), colour_test::MakeComponent("pipe").Get()), 0xFFFFFF);
  EXPECT_EQ(ColourOf(group.Get(), colour_test::MakeComponent("Instruments").Get()), 0xFF0000);
}

TEST(ComColourScheme, FailuresBecomeExceptionsWithDescriptions) {
  const ComPtr<IDispatch> group = MakeGroup();
  // A null component.
  VARIANT nothing;
  VariantInit(&nothing);
  _variant_t result;
  EXCEPINFO info{};
  EXPECT_EQ(Call(group.Get(), 1, {nothing}, &result, &info), DISP_E_EXCEPTION);
  EXPECT_EQ(info.scode, E_POINTER);
  EXPECT_EQ(Text(info.bstrDescription), "No component to colour.");
  EXPECT_EQ(Text(info.bstrSource), "{49CBA647-5AC5-405C-B4A8-5A7BFC8255E9}");
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);

  // A component whose Details fail: its failure and description pass on,
  // with the scheme class as the source.
  const colour_test::Gone gone = colour_test::MakeGone();
  info = EXCEPINFO{};
  EXPECT_EQ(Call(group.Get(), 1, {ObjectArg(gone.component.Get())}, &result, &info),
            DISP_E_EXCEPTION);
  EXPECT_EQ(info.scode, E_FAIL);
  EXPECT_EQ(Text(info.bstrDescription), colour_test::kGone);
  EXPECT_EQ(Text(info.bstrSource), "{49CBA647-5AC5-405C-B4A8-5A7BFC8255E9}");
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);

  // An object that is not a component is refused before the scheme runs.
  ComPtr<IKeltoItem> item;
  ASSERT_EQ(colour_test::MakeComponent("Pipe")->get_Details(item.Put()), S_OK);
  EXPECT_TRUE(FAILED(Call(group.Get(), 1, {ObjectArg(item.Get())}, &result)));
}

TEST(ComColourScheme, VtableCallsCheckTheirPointers) {
  auto group = kelto::com::MakeObject<CComGroupColScheme>();
  auto user = kelto::com::MakeObject<CComUserColScheme>();
  auto pipe = colour_test::MakeComponent("Pipe");
  EXPECT_EQ(group->GetColour(pipe.Get(), nullptr), E_POINTER);
  EXPECT_EQ(user->GetColour(pipe.Get(), nullptr), E_POINTER);
  EXPECT_EQ(user->GetColour(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(user->SetConfig(nullptr, nullptr), E_POINTER);
  // Success leaves no stale error behind.
  LONG colour = 0;
  EXPECT_EQ(group->GetColour(pipe.Get(), &colour), S_OK);
  IErrorInfo* stale = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &stale), S_FALSE);
  EXPECT_EQ(stale, nullptr);
}

TEST(ComColourScheme, UserSchemeConfiguredThroughInvoke) {
  const ComPtr<IDispatch> user = MakeUser();
  auto valve = colour_test::MakeComponent("Valves");
  auto pipe = colour_test::MakeComponent("Pipe");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0xFFFFFF) << "unconfigured";

  EXPECT_EQ(SetConfig(user.Get(), R"(<Colours>
      <Aspect Name="Group" Expression="Details.GroupName"/>
      <Lookup Group="Valves"><Tag Colour="RED"/></Lookup>
      <Lookup Group="Pipe"><Tag Colour="0, 256, 0"/></Lookup>
    </Colours>)"),
            "");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0x0000FF);
  EXPECT_EQ(ColourOf(user.Get(), pipe.Get()), 0x010000);

  // Every message comes back, each followed by a line feed; the call
  // succeeds and the earlier rules stay.
  EXPECT_EQ(SetConfig(user.Get(), "not xml"), "XML is not well formed.\n");
  EXPECT_EQ(SetConfig(user.Get(), R"(<C><Aspect Expression="Id"/><Lookup Shape="Round"/></C>)"),
            "Ignored unnamed aspect.\nUnknown aspect : Shape\n");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0x0000FF);
}

}  // namespace
