// The scripting colour schemes: GroupColScheme and UserColScheme driven the
// way a late-bound client drives them (GetIDsOfNames and IDispatch::Invoke),
// and schemes moved between scripting objects and the builders' internal
// pointers: sharing of the module's own schemes, proxies for host schemes,
// and the way back for a builder's ColourScheme property get.
#include "colour/ColourSchemeLink.h"

#include <gtest/gtest.h>

#include "PipingComponents.h"
#include "colour/ComGroupColScheme.h"
#include "colour/ComIFColourSchemeProxy.h"
#include "colour/ComUserColScheme.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "support/ClassRegistration.h"
#include "support/ScriptHost.h"

using kelto::colour::InterfaceFromScheme;
using kelto::colour::SchemeFromInterface;
using kelto::colour::SchemePtr;
using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto3d::IColourScheme;

namespace {

// A scheme as a host writes it: its own class, known to the module only
// through IColourScheme.
class HostScheme : public kelto::com::Object<HostScheme, kelto::com::Dual<kelto3d::IColourScheme>> {
 public:
  std::map<IKeltoComponent*, LONG> answers;
  std::vector<IKeltoComponent*> asked;
  HRESULT result = S_OK;
  bool writes = true;

  HRESULT GetColour(IKeltoComponent* pComp, LONG* pColour) override {
    asked.push_back(pComp);
    if (writes) *pColour = answers[pComp];
    if (FAILED(result)) kelto::com::SetError(GUID_NULL, IidOf<IColourScheme>(), "Host failed.");
    return result;
  }
};

// The module's two classes made available to CoCreateInstance, as the
// module's class table does when libkelto3d.so is loaded.
constexpr kelto::com::ClassEntry kGroupEntry{kelto3d::kClsidGroupColScheme, "", "", "",
                                             &kelto::com::CreateInstanceOf<CComGroupColScheme>};
constexpr kelto::com::ClassEntry kUserEntry{kelto3d::kClsidUserColScheme, "", "", "",
                                            &kelto::com::CreateInstanceOf<CComUserColScheme>};

class ComColourScheme : public ::testing::Test {
 protected:
  kelto::test::ClassRegistration<kelto3d::ModuleLock> classes{&kGroupEntry, &kUserEntry};
  ComPtr<IKeltoComponent> pipe = colour_test::MakeComponent("Pipe");
  ComPtr<IKeltoComponent> valve = colour_test::MakeComponent("Valves");
};

TEST_F(ComColourScheme, BuiltInSchemeGivesItsOneScriptingFace) {
  auto user = kelto::com::MakeObject<CComUserColScheme>();
  SchemePtr builder = SchemeFromInterface(static_cast<kelto3d::IUserColScheme*>(user.Get()));

  // While the scripting object lives, the way back gives that same object.
  ComPtr<IColourScheme> face = InterfaceFromScheme(builder);
  ASSERT_TRUE(face);
  EXPECT_EQ(kelto::com::Identity(face.Get()),
            kelto::com::Identity(static_cast<kelto3d::IUserColScheme*>(user.Get())));
  face.Reset();
  user.Reset();

  // Afterwards a new face is made and attached to the builder's scheme, and
  // rules loaded through it reach the builder.
  face = InterfaceFromScheme(builder);
  ASSERT_TRUE(face);
  EXPECT_EQ(builder.use_count(), 2u);
  ComPtr<kelto3d::IUserColScheme> asUser;
  ASSERT_EQ(face->QueryInterface(IidOf<kelto3d::IUserColScheme>(), asUser.PutVoid()), S_OK);
  _bstr_t errors;
  ASSERT_EQ(asUser->SetConfig(_bstr_t("<C><Lookup><Tag Colour='0,0,255'/></Lookup></C>"),
                              errors.GetAddress()),
            S_OK);
  EXPECT_EQ(builder->GetColour(pipe.Get()), 0xFF0000);
  EXPECT_EQ(SchemeFromInterface(face.Get()).get(), builder.get());

  // The builder may let go first; the face keeps the scheme.
  IFColourScheme* const internal = builder.get();
  builder.reset();
  SchemePtr again = SchemeFromInterface(face.Get());
  EXPECT_EQ(again.get(), internal);
  EXPECT_EQ(again->GetColour(pipe.Get()), 0xFF0000);
}

TEST_F(ComColourScheme, HostSchemeIsAskedForEachComponentAndUsedUnchanged) {
  auto host = kelto::com::MakeObject<HostScheme>();
  host->answers = {{pipe.Get(), 0x123456}, {valve.Get(), -1}};

  SchemePtr builder = SchemeFromInterface(static_cast<IColourScheme*>(host.Get()));
  ASSERT_TRUE(builder);
  EXPECT_NE(dynamic_cast<CComIFColourSchemeProxy*>(builder.get()), nullptr);
  EXPECT_EQ(builder->GetColour(pipe.Get()), 0x123456);
  EXPECT_EQ(builder->GetColour(valve.Get()), -1);
  EXPECT_EQ(host->asked, (std::vector<IKeltoComponent*>{pipe.Get(), valve.Get()}));

  // The way back gives the host's own object.
  EXPECT_EQ(InterfaceFromScheme(builder).Get(), static_cast<IColourScheme*>(host.Get()));

  // The proxy keeps the host object alive.
  HostScheme* raw = host.Get();
  host.Reset();
  EXPECT_EQ(builder->GetColour(pipe.Get()), 0x123456);
  EXPECT_EQ(raw->asked.size(), 3u);
}

TEST_F(ComColourScheme, FailingHostSchemeGivesWhite) {
  auto host = kelto::com::MakeObject<HostScheme>();
  host->answers = {{pipe.Get(), 0x000001}};
  SchemePtr builder = SchemeFromInterface(static_cast<IColourScheme*>(host.Get()));

  host->result = E_FAIL;  // writes a colour, then fails: the colour is not used
  EXPECT_EQ(builder->GetColour(pipe.Get()), 0xFFFFFF);
  IErrorInfo* stale = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &stale), S_FALSE) << "the host's failure must not linger";

  host->result = S_OK;
  host->writes = false;  // succeeds without an answer
  EXPECT_EQ(builder->GetColour(pipe.Get()), 0xFFFFFF);
}

TEST_F(ComColourScheme, NullConvertsToNullAndSchemesWithoutASafeFaceAreRefused) {
  EXPECT_FALSE(SchemeFromInterface(nullptr));
  EXPECT_FALSE(InterfaceFromScheme(SchemePtr()));
  // A built-in scheme that was (wrongly) given an external count cannot be
  // shared with a scripting face: that would make a second count.
  auto counted = CGroupColScheme::Create();
  SchemePtr external(counted.Detach());
  EXPECT_THROW(InterfaceFromScheme(external), std::logic_error);
  EXPECT_EQ(external->GetColour(pipe.Get()), 0x00FF00);

  // A scheme of some other kind has no scripting face at all.
  struct Plain : IFColourScheme {
    std::int32_t GetColour(IKeltoComponent*) override { return 0; }
  };
  EXPECT_THROW(InterfaceFromScheme(SchemePtr(new Plain())), std::logic_error);
}

TEST_F(ComColourScheme, FailuresThroughInvokeBecomeExceptionsWithDescriptions) {
  const ComPtr<IDispatch> group(
      static_cast<kelto3d::IGroupColScheme*>(kelto::com::MakeObject<CComGroupColScheme>().Get()));
  const auto r = kelto::test::InvokeId(group.Get(), 1, DISPATCH_METHOD, {_variant_t()});
  EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, E_POINTER);
  EXPECT_EQ(r.error, "No component to colour.");
  EXPECT_EQ(r.source, "{49CBA647-5AC5-405C-B4A8-5A7BFC8255E9}");
  // The component's own failures and descriptions are GroupColScheme's test.
  // An object that is not a component is refused before the scheme runs.
  ComPtr<IKeltoItem> item;
  ASSERT_EQ(pipe->get_Details(item.Put()), S_OK);
  EXPECT_TRUE(
      FAILED(kelto::test::InvokeId(group.Get(), 1, DISPATCH_METHOD, {_variant_t(item.Get())}).hr));
}

TEST_F(ComColourScheme, UserSchemeConfiguredThroughInvoke) {
  const ComPtr<IDispatch> user(
      static_cast<kelto3d::IUserColScheme*>(kelto::com::MakeObject<CComUserColScheme>().Get()));
  const auto setConfig = [&](const std::string& xml) {
    return kelto::test::CallWithErrors(user.Get(), u"SetConfig", xml);
  };
  const auto colour = [&] {
    return kelto::test::InvokeId(user.Get(), 1, DISPATCH_METHOD, {_variant_t(valve.Get())})
        .value.lVal;
  };
  EXPECT_EQ(colour(), 0xFFFFFF) << "unconfigured";
  EXPECT_EQ(setConfig(R"(<C><Aspect Name="G" Expression="Details.GroupName"/>
                           <Lookup G="Valves"><Tag Colour="RED"/></Lookup></C>)"),
            "");
  EXPECT_EQ(colour(), 0x0000FF);
  // Every message comes back, each followed by a line feed; the call
  // succeeds and the earlier rules stay.
  EXPECT_EQ(setConfig(R"(<C><Aspect Expression="Id"/><Lookup Shape="Round"/></C>)"),
            "Ignored unnamed aspect.\nUnknown aspect : Shape\n");
  EXPECT_EQ(colour(), 0x0000FF);
}

}  // namespace
