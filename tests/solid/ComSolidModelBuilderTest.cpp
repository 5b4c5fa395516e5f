// The scripting class SolidModelBuilder as a host drives it: created through
// CoCreateInstance, called by name through IDispatch::Invoke (and by vtable
// where an [out] parameter or the error information is the point), on an
// example plant loaded by the piping-data module and on fake data that fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "BrokenPiping.h"
#include "colour/ComGroupColScheme.h"
#include "com/faces/ComModelNode.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComError.h"
#include "platform/window/MessageBox.h"
#include "solid/ComSolidModelBuilder.h"
#include "support/ModelBuilderFixture.h"
#include "support/ScriptHost.h"

namespace solid_test {
namespace {

using kelto::com::ComPtr;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::LastErrorDescription;
using kelto::test::ObjectOf;
using kelto::test::Put;

// The two module classes the builder reaches through the runtime, made
// creatable as libkelto3d.so's class table makes them.
constexpr kelto::com::ClassEntry kBuilderEntry{
    kelto3d::kClsidSolidModelBuilder, "", "", "",
    &kelto::com::CreateInstanceOf<CComSolidModelBuilder>};
constexpr kelto::com::ClassEntry kGroupEntry{kelto3d::kClsidGroupColScheme, "", "", "",
                                             &kelto::com::CreateInstanceOf<CComGroupColScheme>};

class ComSolidModelBuilder : public kelto::test::ModelBuilderFixture<kelto3d::ISolidModelBuilder> {
 protected:
  ComSolidModelBuilder()
      : ModelBuilderFixture(kelto3d::kClsidSolidModelBuilder, {&kBuilderEntry, &kGroupEntry}) {}
};

// The numbers of the members both builders share are pinned in
// ComSymbolicModelBuilderTest (one template); here the solid builder's own.
// An example is built through the dispatch face, and the option reaches the
// model at the refresh: SyncBelow at the root's own object reaches it all.
TEST_F(ComSolidModelBuilder, BuildsAnExampleAndMarkersFollowTheOptionAtTheRefresh) {
  EXPECT_EQ(kelto::test::DispidOf(builder.Get(), u"SetCGBConfig"), 5);
  const ComPtr<IDispatch> file = LoadExample("pump-station.json");
  auto model = Call(builder.Get(), u"BuildModel", {_variant_t(file.Get())});
  ASSERT_TRUE(model.ok()) << model.error;
  IDispatch* root = ObjectOf(model);
  ASSERT_TRUE(root);
  EXPECT_EQ(kelto::com::Identity(ObjectOf(Get(root, u"Object"))).Get(),
            kelto::com::Identity(file.Get()).Get());
  const std::vector<LONG> before = ChildGeometryCounts(root);
  ASSERT_EQ(static_cast<LONG>(before.size()),
            Get(ObjectOf(Get(file.Get(), u"Pipelines")), u"Count").value.lVal);
  EXPECT_EQ(before, std::vector<LONG>(before.size(), 0)) << "markers are off by default";

  auto options = Get(builder.Get(), u"Options");
  ASSERT_TRUE(
      Put(ObjectOf(options), u"Item", {_variant_t("PipelineMarkers"), _variant_t(true)}).ok());
  EXPECT_EQ(ChildGeometryCounts(root), before) << "nothing changes before a refresh";
  ASSERT_TRUE(Call(builder.Get(), u"SyncBelow", {_variant_t(root), _variant_t(file.Get())}).ok());
  EXPECT_EQ(ChildGeometryCounts(root), std::vector<LONG>(before.size(), 2));
  EXPECT_EQ(ObjectOf(Get(builder.Get(), u"Options")), ObjectOf(options)) << "one Options object";
}

// The dimension rules' messages come back as a string (never null); the
// type table's go to the message box, and the call still succeeds.
TEST_F(ComSolidModelBuilder, ConfigurationMessagesComeBackOrAreShown) {
  std::vector<std::string> shown;
  kelto::window::ScopedMessageBoxHandler boxes(
      [&](std::string_view title, std::string_view) { shown.emplace_back(title); });
  for (const auto& [xml, errors] :
       {std::pair{"<TagRules/>", false}, std::pair{"<TagRules", true}}) {
    BSTR text = nullptr;
    ASSERT_EQ(Vtable()->SetExternalDimensionConfig(_bstr_t(xml).GetBSTR(), &text), S_OK);
    ASSERT_NE(text, nullptr) << "an empty string, never null";
    const std::string message = kelto::com::BstrToUtf8(text);
    SysFreeString(text);
    EXPECT_EQ(!message.empty(), errors) << xml << ": " << message;
    EXPECT_TRUE(!errors || message.back() == '\n') << message;
  }
  EXPECT_TRUE(Call(builder.Get(), u"SetCGBConfig", {_variant_t("<Component-Geometry")}).ok());
  EXPECT_EQ(shown, std::vector<std::string>{"XML Error"});
}

// Failures of the base both builders share: a model node of no tree of
// this module, a null file, and piping data that fails during a build and
// during a refresh.
TEST_F(ComSolidModelBuilder, FailuresBecomeResultsWithErrorInfo) {
  const ComPtr<kelto3d::ISolidModelBuilder> solid = Vtable();
  EXPECT_EQ(solid->SyncModel(nullptr), E_INVALIDARG);
  EXPECT_EQ(LastErrorDescription(), "Bad model node.");
  kelto3d::IModelNode* model = reinterpret_cast<kelto3d::IModelNode*>(0x1);
  EXPECT_EQ(solid->BuildModel(nullptr, &model), E_POINTER);
  EXPECT_EQ(model, nullptr);
  EXPECT_EQ(LastErrorDescription(), "No piping file.");

  auto broken = kelto::com::MakeObject<StandInFile>();
  broken->nullPipelines = true;
  EXPECT_EQ(solid->BuildModel(broken.Get(), &model), E_POINTER);
  EXPECT_EQ(model, nullptr);
  EXPECT_FALSE(LastErrorDescription().empty());

  auto file = kelto::com::MakeObject<StandInFile>();
  file->pipelines.push_back(
      kelto::com::MakeObject<StandInPipeline>("L1", std::vector<ComPtr<IKeltoComponent>>{}));
  ASSERT_EQ(solid->BuildModel(file.Get(), &model), S_OK);
  ComPtr<kelto3d::IModelNode> root = ComPtr<kelto3d::IModelNode>::Adopt(model);
  file->nullPipelines = true;
  EXPECT_EQ(solid->SyncModel(root.Get()), E_POINTER);
  EXPECT_FALSE(LastErrorDescription().empty());
  // What was refreshed before stays: the pipeline node is still there.
  EXPECT_EQ(Get(ObjectOf(Get(root.Get(), u"Children")), u"Count").value.lVal, 1);
}

TEST_F(ComSolidModelBuilder, TheModelOutlivesTheBuilderAndOwnsItsTree) {
  const ComPtr<IDispatch> file = LoadExample("drain-spool.json");
  auto model = Call(builder.Get(), u"BuildModel", {_variant_t(file.Get())});
  ASSERT_TRUE(model.ok()) << model.error;
  builder = nullptr;
  EXPECT_FALSE(kelto::com::BstrToUtf8(Call(ObjectOf(model), u"Dump").value.bstrVal).empty());
  // The root is the script's own: unlike a root that C++ code holds, it can
  // be added under another node.
  auto parent = kelto::com::MakeObject<CComModelNode>();
  auto added = Call(static_cast<kelto3d::IModelNode*>(parent.Get()), u"AddChild", {model.value});
  EXPECT_TRUE(added.ok()) << added.error;
}

}  // namespace
}  // namespace solid_test
