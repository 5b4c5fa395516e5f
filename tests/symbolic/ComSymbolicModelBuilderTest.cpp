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
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "support/ModelBuilderFixture.h"
#include "support/ScriptHost.h"
#include "support/TempDir.h"
#include "symbolic/ComSymbolicModelBuilder.h"

namespace symbolic_test {
namespace {

using kelto::com::ComPtr;
using kelto::test::Call;

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

TEST_F(ComSymbolicModelBuilder, MembersHaveTheirDispatchIds) {
  const std::pair<const char16_t*, DISPID> members[] = {
      {u"BuildModel", 2},       {u"SyncBelow", 3},           {u"SyncModel", 4},
      {u"AddSkeldaSymbols", 5}, {u"RemoveSkeldaSymbols", 6}, {u"SetExternalDimensionConfig", 7},
      {u"colourscheme", 0x65},  {u"OPTIONS", 0x66},
  };
  for (const auto& [name, id] : members) EXPECT_EQ(kelto::test::DispidOf(builder.Get(), name), id);
  EXPECT_EQ(kelto::test::DispidOf(builder.Get(), u"SetCGBConfig"), DISPID_UNKNOWN)
      << "the solid builder's own member";
}

TEST_F(ComSymbolicModelBuilder, SymbolFilesComeAndGoByName) {
  kelto::test::TempDir dir;
  const auto path = [&](const char* name) { return _variant_t((dir.path() / name).c_str()); };
  std::ofstream(dir.path() / "empty.sym") << "\n";
  std::ofstream(dir.path() / "short.sym") << "   501VAGA\n";
  EXPECT_TRUE(Call(builder.Get(), u"AddSkeldaSymbols", {path("empty.sym")}).ok());
  // A record that fails the file and a file that is not there: the message names the file.
  for (const char* name : {"short.sym", "missing.sym"}) {
    const auto added = Call(builder.Get(), u"AddSkeldaSymbols", {path(name)});
    EXPECT_EQ(added.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(added.scode, E_FAIL);
    EXPECT_NE(added.error.find(name), std::string::npos) << added.error;
  }
  for (const char* name : {"empty.sym", "missing.sym", "never.sym"})
    EXPECT_TRUE(Call(builder.Get(), u"RemoveSkeldaSymbols", {path(name)}).ok()) << name;
  EXPECT_EQ(Vtable()->RemoveSkeldaSymbols(nullptr), S_OK) << "an empty name was never added";
}

}  // namespace
}  // namespace symbolic_test
