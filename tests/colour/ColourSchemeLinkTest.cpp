// Moving schemes between scripting objects and the builders' internal
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

class ColourSchemeLink : public ::testing::Test {
 protected:
  kelto::test::ClassRegistration<kelto3d::ModuleLock> classes{&kGroupEntry, &kUserEntry};
  ComPtr<IKeltoComponent> pipe = colour_test::MakeComponent("Pipe");
  ComPtr<IKeltoComponent> valve = colour_test::MakeComponent("Valves");
};

TEST_F(ColourSchemeLink, ModuleSchemesShareTheirInternalObject) {
  auto group = kelto::com::MakeObject<CComGroupColScheme>();
  SchemePtr fromGroup = SchemeFromInterface(static_cast<kelto3d::IGroupColScheme*>(group.Get()));
  ASSERT_TRUE(fromGroup);
  EXPECT_EQ(fromGroup.get(), static_cast<IFColourScheme*>(group->PeekObject()));
  EXPECT_EQ(fromGroup.use_count(), 2u) << "the scripting object and the builder share one count";
  EXPECT_EQ(fromGroup->GetColour(pipe.Get()), 0x00FF00);

  // The scripting object goes; the builder's scheme stays.
  group.Reset();
  EXPECT_EQ(fromGroup.use_count(), 1u);
  EXPECT_EQ(fromGroup->GetColour(valve.Get()), 0xFF00FF);
}

TEST_F(ColourSchemeLink, BuiltInSchemeGivesItsOneScriptingFace) {
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

TEST_F(ColourSchemeLink, HostSchemeIsAskedForEachComponentAndUsedUnchanged) {
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

TEST_F(ColourSchemeLink, FailingHostSchemeGivesWhite) {
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

TEST_F(ColourSchemeLink, NullConvertsToNullAndSchemesWithoutASafeFaceAreRefused) {
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

}  // namespace
