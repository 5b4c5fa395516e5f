// kelto3d register / unregister / classes in a temporary settings store.

#include <filesystem>

#include "ToolTestSupport.h"

namespace kelto::cli {
namespace {

using test::Result;
using test::RunTool;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
bool Registered() { return !Has(RunTool({"classes"}).out, "no classes are registered"); }

class RegisterCommand : public ::testing::Test {
 protected:
  kelto::test::ScopedConfigHome home_;
};

TEST_F(RegisterCommand, ModulesThatCannotBeRegisteredAreNamedWithTheReason) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"register", "/no/such/libthing.so"}, "module not found: /no/such/libthing.so"},
      {{"register", KELTO_RUNTIME_PATH},
       "is not a component module (it exports no DllRegisterServer)"},
      {{"unregister", KELTO_SOURCE_DIR "/README.md"}, "cannot open module"}};
  for (const auto& [args, message] : cases) {
    const Result r = RunTool(args);
    EXPECT_EQ(r.code, 1) << args.back();
    EXPECT_TRUE(Has(r.err, message)) << r.err;
  }
  // A mistyped module leaves no machine store behind.
  EXPECT_EQ(RunTool({"register", "--system", "/no/such/lib.so"}).code, 1);
  EXPECT_FALSE(std::filesystem::exists(home_.machinePath()));
  // One bad module does not stop the others.
  const Result both = RunTool({"register", "/no/such/lib.so", KELTO_COMPONENT_MODULE_PATH});
  EXPECT_EQ(both.code, 1);
  EXPECT_TRUE(Has(both.out, "registered ")) << both.out;
}

TEST_F(RegisterCommand, ClassesListsWhatRegisterWroteUntilUnregister) {
  EXPECT_FALSE(Registered());
  const Result reg = RunTool({"register", KELTO_COMPONENT_MODULE_PATH});
  ASSERT_EQ(reg.code, 0) << reg.err;
  EXPECT_TRUE(Has(reg.out, "for you (" + (home_.path() / "kelto3d/registry.sqlite").string()))
      << reg.out;
  const Result classes = RunTool({"classes"});
  for (const char* part :
       {"ModelNode Class\n  class id  {53208990-D5BA-46B7-A7E6-3FEE129F3474}",
        "ProgID    Oxbay3Support.ModelNode.1, Oxbay3Support.ModelNode", "members of IModelNode",
        "    AddChild(ChildNode)\n", "    Object  (get, putref)\n",
        "Add3DLine(StartX, StartY, StartZ, EndX, EndY, EndZ, [Colour])"})
    EXPECT_TRUE(Has(classes.out, part)) << part << "\n" << classes.out;
  ASSERT_EQ(RunTool({"unregister", KELTO_COMPONENT_MODULE_PATH}).code, 0);
  EXPECT_FALSE(Registered());
}

// A user's unregistration leaves the machine's registration alone.
TEST_F(RegisterCommand, ASystemRegistrationGoesToTheMachinesStore) {
  const Result reg = RunTool({"register", "--system", KELTO_COMPONENT_MODULE_PATH});
  ASSERT_EQ(reg.code, 0) << reg.err;
  EXPECT_TRUE(
      Has(reg.out, "for every user (" + (home_.machinePath() / "kelto3d/registry.sqlite").string()))
      << reg.out;
  ASSERT_EQ(RunTool({"unregister", KELTO_COMPONENT_MODULE_PATH}).code, 0);
  EXPECT_TRUE(Registered());
  ASSERT_EQ(RunTool({"unregister", "--system", KELTO_COMPONENT_MODULE_PATH}).code, 0);
  EXPECT_FALSE(Registered());
}

}  // namespace
}  // namespace kelto::cli
