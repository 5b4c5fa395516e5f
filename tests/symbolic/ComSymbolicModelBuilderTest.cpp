// The scripting class SymbolicModelBuilder as a host drives it: created
// through CoCreateInstance, called by name through IDispatch::Invoke (and by
// vtable where the HRESULT and the error information are the point): its
// own members and symbol files that cannot be read. The members it shares with
// SolidModelBuilder (one template, ComPipingModelBuilder.h) are tested there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "colour/ComGroupColScheme.h"
#include "com/ModuleLock.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComError.h"
#include "support/ModelBuilderFixture.h"
#include "support/ScriptHost.h"
#include "support/TempDir.h"
#include "symbolic/ComSymbolicModelBuilder.h"

namespace symbolic_test {
namespace {

namespace fs = std::filesystem;
using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::LastErrorDescription;
using kelto::test::ObjectOf;
using kelto::test::Put;

// The module classes the builder reaches through the runtime, made creatable
// as libkelto3d.so's class table makes them.
constexpr kelto::com::ClassEntry kBuilderEntry{
    kelto3d::kClsidSymbolicModelBuilder, "", "", "",
    &kelto::com::CreateInstanceOf<CComSymbolicModelBuilder>};
constexpr kelto::com::ClassEntry kGroupEntry{kelto3d::kClsidGroupColScheme, "", "", "",
                                             &kelto::com::CreateInstanceOf<CComGroupColScheme>};

class ComSymbolicModelBuilder
    : public kelto::test::ModelBuilderFixture<kelto3d::ISymbolicModelBuilder> {
 protected:
  ComSymbolicModelBuilder()
      : ModelBuilderFixture(kelto3d::kClsidSymbolicModelBuilder, {&kBuilderEntry, &kGroupEntry}) {}
};

TEST_F(ComSymbolicModelBuilder, MembersHaveTheirDispatchIdsAndTheEventsAConnectionPoint) {
  const std::pair<const char16_t*, DISPID> members[] = {
      {u"BuildModel", 2},       {u"SyncBelow", 3},           {u"SyncModel", 4},
      {u"AddSkeldaSymbols", 5}, {u"RemoveSkeldaSymbols", 6}, {u"SetExternalDimensionConfig", 7},
      {u"colourscheme", 0x65},  {u"OPTIONS", 0x66},
  };
  for (const auto& [name, id] : members) EXPECT_EQ(kelto::test::DispidOf(builder.Get(), name), id);
  EXPECT_EQ(kelto::test::DispidOf(builder.Get(), u"SetCGBConfig"), DISPID_UNKNOWN)
      << "the solid builder's own member";

  for (const IID& iid :
       {IidOf<kelto3d::IModelBuilder>(), IidOf<kelto3d::ISymbolicModelBuilder>()}) {
    ComPtr<IUnknown> face;
    EXPECT_EQ(builder->QueryInterface(iid, face.PutVoid()), S_OK);
  }
  ComPtr<kelto3d::ISolidModelBuilder> solid;
  EXPECT_EQ(builder->QueryInterface(IidOf<kelto3d::ISolidModelBuilder>(), solid.PutVoid()),
            E_NOINTERFACE);
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(builder->QueryInterface(IidOf<IConnectionPointContainer>(), container.PutVoid()), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(
      container->FindConnectionPoint(IidOf<kelto3d::_ISymbolicModelBuilderEvents>(), point.Put()),
      S_OK);
}

TEST_F(ComSymbolicModelBuilder, SymbolFilesComeAndGoByName) {
  kelto::test::TempDir dir;
  const fs::path good = dir.path() / "empty.sym";
  std::ofstream(good) << "\n";
  const fs::path shortLine = dir.path() / "short.sym";
  std::ofstream(shortLine) << "   501VAGA\n";
  const fs::path missing = dir.path() / "missing.sym";

  struct Case {
    fs::path file;
    bool ok;
  };
  for (const Case& c : {Case{good, true}, Case{shortLine, false}, Case{missing, false}}) {
    SCOPED_TRACE(c.file.string());
    auto added = Call(builder.Get(), u"AddSkeldaSymbols", {_variant_t(c.file.string().c_str())});
    if (c.ok) {
      EXPECT_TRUE(added.ok()) << added.error;
      continue;
    }
    EXPECT_EQ(added.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(added.scode, E_FAIL);
    EXPECT_NE(added.error.find(c.file.filename().string()), std::string::npos) << added.error;
    // By vtable: a failure HRESULT and the same message as error information.
    const HRESULT hr = Vtable()->AddSkeldaSymbols(_bstr_t(c.file.string()).GetBSTR());
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_NE(LastErrorDescription().find(c.file.filename().string()), std::string::npos);
  }
  for (const fs::path& name : {good, missing, dir.path() / "never.sym"})
    EXPECT_TRUE(
        Call(builder.Get(), u"RemoveSkeldaSymbols", {_variant_t(name.string().c_str())}).ok());
  EXPECT_EQ(Vtable()->RemoveSkeldaSymbols(nullptr), S_OK) << "an empty name was never added";
}

TEST_F(ComSymbolicModelBuilder, FailuresBecomeResultsWithErrorInfo) {
  // The null-argument paths shared with SolidModelBuilder are tested there.
  const ComPtr<kelto3d::ISymbolicModelBuilder> symbolic = Vtable();
  EXPECT_EQ(symbolic->SyncModel(nullptr), E_INVALIDARG);
  EXPECT_EQ(LastErrorDescription(), "Bad model node.");
  EXPECT_EQ(symbolic->SetExternalDimensionConfig(nullptr, nullptr), E_POINTER);

  // Success clears what an earlier failure left.
  ComPtr<kelto3d::IOptions> options;
  EXPECT_EQ(symbolic->get_Options(options.Put()), S_OK);
  EXPECT_EQ(LastErrorDescription(), "");
}

}  // namespace
}  // namespace symbolic_test
