// The scripting classes GroupColScheme and UserColScheme, driven the way a
// late-bound client drives them: GetIDsOfNames and IDispatch::Invoke.
#include <gtest/gtest.h>

#include "PipingComponents.h"
#include "colour/ComGroupColScheme.h"
#include "colour/ComUserColScheme.h"
#include "support/ScriptHost.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto3d::IColourScheme;
using kelto3d::IGroupColScheme;
using kelto3d::IUserColScheme;
using kelto::test::InvokeId;

namespace {

constexpr const char* kSchemeSource = "{49CBA647-5AC5-405C-B4A8-5A7BFC8255E9}";

// GetColour through Invoke, expecting success.
LONG ColourOf(IDispatch* scheme, IKeltoComponent* component) {
  const auto r = InvokeId(scheme, 1, DISPATCH_METHOD, {_variant_t(component)});
  EXPECT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.vt, VT_I4);
  return r.value.lVal;
}

ComPtr<IDispatch> MakeGroup() {
  return ComPtr<IDispatch>(
      static_cast<IGroupColScheme*>(kelto::com::MakeObject<CComGroupColScheme>().Get()));
}
ComPtr<IDispatch> MakeUser() {
  return ComPtr<IDispatch>(
      static_cast<IUserColScheme*>(kelto::com::MakeObject<CComUserColScheme>().Get()));
}

TEST(ComColourScheme, DispatchIdsInterfacesAndErrorSupport) {
  const ComPtr<IDispatch> group = MakeGroup();
  const ComPtr<IDispatch> user = MakeUser();
  EXPECT_EQ(kelto::test::DispidOf(group.Get(), u"GetColour"), 1);
  EXPECT_EQ(kelto::test::DispidOf(user.Get(), u"getcolour"), 1);
  EXPECT_EQ(kelto::test::DispidOf(user.Get(), u"SetConfig"), 0x65);
  EXPECT_EQ(kelto::test::DispidOf(group.Get(), u"SetConfig"), DISPID_UNKNOWN);

  ComPtr<IUnknown> probe;
  EXPECT_EQ(group->QueryInterface(IidOf<IGroupColScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(group->QueryInterface(IidOf<IUserColScheme>(), probe.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(user->QueryInterface(IidOf<IColourScheme>(), probe.PutVoid()), S_OK);
  EXPECT_EQ(user->QueryInterface(IidOf<IGroupColScheme>(), probe.PutVoid()), E_NOINTERFACE);

  for (const ComPtr<IDispatch>& scheme : {group, user}) {
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(scheme->QueryInterface(IidOf<ISupportErrorInfo>(), support.PutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IColourScheme>()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IUserColScheme>()),
              scheme == user ? S_OK : S_FALSE);
  }
}

TEST(ComColourScheme, FailuresBecomeExceptionsWithDescriptions) {
  const ComPtr<IDispatch> group = MakeGroup();
  // A null component.
  auto r = InvokeId(group.Get(), 1, DISPATCH_METHOD, {_variant_t()});
  EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, E_POINTER);
  EXPECT_EQ(r.error, "No component to colour.");
  EXPECT_EQ(r.source, kSchemeSource);

  // A component whose Details fail: its failure and description pass on,
  // with the scheme class as the source.
  const colour_test::Gone gone = colour_test::MakeGone();
  r = InvokeId(group.Get(), 1, DISPATCH_METHOD, {_variant_t(gone.component.Get())});
  EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, E_FAIL);
  EXPECT_EQ(r.error, colour_test::kGone);
  EXPECT_EQ(r.source, kSchemeSource);

  // An object that is not a component is refused before the scheme runs.
  ComPtr<IKeltoItem> item;
  ASSERT_EQ(colour_test::MakeComponent("Pipe")->get_Details(item.Put()), S_OK);
  EXPECT_TRUE(FAILED(InvokeId(group.Get(), 1, DISPATCH_METHOD, {_variant_t(item.Get())}).hr));
}

TEST(ComColourScheme, VtableCallsCheckTheirPointers) {
  auto group = kelto::com::MakeObject<CComGroupColScheme>();
  auto user = kelto::com::MakeObject<CComUserColScheme>();
  auto pipe = colour_test::MakeComponent("Pipe");
  EXPECT_EQ(user->GetColour(pipe.Get(), nullptr), E_POINTER);
  EXPECT_EQ(user->SetConfig(nullptr, nullptr), E_POINTER);
  // Success leaves no stale error behind.
  LONG colour = 0;
  EXPECT_EQ(group->GetColour(pipe.Get(), &colour), S_OK);
  IErrorInfo* stale = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &stale), S_FALSE);
}

TEST(ComColourScheme, UserSchemeConfiguredThroughInvoke) {
  const ComPtr<IDispatch> user = MakeUser();
  const auto setConfig = [&](const std::string& xml) {
    return kelto::test::CallWithErrors(user.Get(), u"SetConfig", xml);
  };
  auto valve = colour_test::MakeComponent("Valves");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0xFFFFFF) << "unconfigured";
  EXPECT_EQ(setConfig(R"(<C><Aspect Name="G" Expression="Details.GroupName"/>
                           <Lookup G="Valves"><Tag Colour="RED"/></Lookup></C>)"),
            "");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0x0000FF);

  // Every message comes back, each followed by a line feed; the call
  // succeeds and the earlier rules stay.
  EXPECT_EQ(setConfig(R"(<C><Aspect Expression="Id"/><Lookup Shape="Round"/></C>)"),
            "Ignored unnamed aspect.\nUnknown aspect : Shape\n");
  EXPECT_EQ(ColourOf(user.Get(), valve.Get()), 0x0000FF);
}

}  // namespace
