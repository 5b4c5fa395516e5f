// The scripting class SolidModelBuilder as a host drives it: created through
// CoCreateInstance, called by name through IDispatch::Invoke (and by vtable
// where an [out] parameter or the error information is the point), on an
// example plant loaded by the piping-data module and on fake data that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
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
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::LastErrorDescription;
using kelto::test::ObjectOf;
using kelto::test::Put;
using kelto::test::PutRef;

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
// An example is built through the dispatch face, and the option and the
// refreshes reach the model.
TEST_F(ComSolidModelBuilder, BuildsAnExampleAndMarkersFollowTheOptionAndTheRefresh) {
  EXPECT_EQ(kelto::test::DispidOf(builder.Get(), u"SetCGBConfig"), 5);
  const ComPtr<IDispatch> file = LoadExample("pump-station.json");
  auto model = Call(builder.Get(), u"BuildModel", {_variant_t(file.Get())});
  ASSERT_TRUE(model.ok()) << model.error;
  IDispatch* root = ObjectOf(model);
  ASSERT_TRUE(root);
  EXPECT_EQ(kelto::com::Identity(ObjectOf(Get(root, u"Object"))).Get(),
            kelto::com::Identity(file.Get()).Get());
  auto pipelines = Get(file.Get(), u"Pipelines");
  const std::vector<LONG> before = ChildGeometryCounts(root);
  ASSERT_EQ(static_cast<LONG>(before.size()), Get(ObjectOf(pipelines), u"Count").value.lVal);
  EXPECT_EQ(before, std::vector<LONG>(before.size(), 0)) << "markers are off by default";

  auto options = Get(builder.Get(), u"Options");
  ASSERT_TRUE(
      Put(ObjectOf(options), u"Item", {_variant_t("PipelineMarkers"), _variant_t(true)}).ok());
  EXPECT_EQ(ChildGeometryCounts(root), before) << "nothing changes before a refresh";
  // SyncBelow the first pipeline gives it a mast and an arrow; SyncModel all.
  auto first = Get(ObjectOf(pipelines), u"Item", {_variant_t(0)});
  ASSERT_TRUE(Call(builder.Get(), u"SyncBelow", {_variant_t(root), first.value}).ok());
  auto found = Call(root, u"SearchSubtree", {first.value});
  EXPECT_EQ(Get(ObjectOf(Get(ObjectOf(found), u"Geometry")), u"Count").value.lVal, 2);
  std::vector<LONG> counts = ChildGeometryCounts(root);
  std::sort(counts.begin(), counts.end());
  EXPECT_EQ(counts.back(), 2);
  EXPECT_EQ(counts[counts.size() - 2], 0) << "only that pipeline";
  ASSERT_TRUE(Call(builder.Get(), u"SyncModel", {_variant_t(root)}).ok());
  EXPECT_EQ(ChildGeometryCounts(root), std::vector<LONG>(before.size(), 2));
  EXPECT_EQ(ObjectOf(Get(builder.Get(), u"Options")), ObjectOf(options)) << "one Options object";
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(builder->QueryInterface(IidOf<IConnectionPointContainer>(), container.PutVoid()), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(
      container->FindConnectionPoint(IidOf<kelto3d::_ISolidModelBuilderEvents>(), point.Put()),
      S_OK);
}

TEST_F(ComSolidModelBuilder, ConfigurationMessagesComeBackOrAreShown) {
  std::vector<std::string> shown;
  kelto::window::ScopedMessageBoxHandler boxes(
      [&](std::string_view title, std::string_view) { shown.emplace_back(title); });
  const ComPtr<kelto3d::ISolidModelBuilder> solid = Vtable();

  struct Case {
    const char* xml;
    bool errors;
  };
  for (const Case& c : {Case{"<TagRules/>", false}, Case{"<TagRules", true}}) {
    BSTR errors = nullptr;
    ASSERT_EQ(solid->SetExternalDimensionConfig(_bstr_t(c.xml).GetBSTR(), &errors), S_OK);
    ASSERT_NE(errors, nullptr) << "an empty string, never null";
    const std::string text = kelto::com::BstrToUtf8(errors);
    SysFreeString(errors);
    EXPECT_EQ(!text.empty(), c.errors) << c.xml << ": " << text;
    if (c.errors) {
      EXPECT_EQ(text.back(), '\n');
    }
  }

  // The type-table configuration reports through the message box and
  // succeeds; a valid one shows nothing.
  EXPECT_TRUE(Call(builder.Get(), u"SetCGBConfig", {_variant_t("<Component-Geometry")}).ok());
  EXPECT_EQ(shown, std::vector<std::string>{"XML Error"});
  const char* valid =
      "<Component-Geometry><Component-Processing><Component-Type-Handler>"
      "<Component-Type-Entry Component-Type=\"Gate-Valve\" Construction-Function=\"Valve\"/>"
      "</Component-Type-Handler></Component-Processing></Component-Geometry>";
  EXPECT_TRUE(Call(builder.Get(), u"SetCGBConfig", {_variant_t(valid)}).ok());
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(ComSolidModelBuilder, ColourSchemeRoundTrips) {
  ComPtr<kelto3d::IGroupColScheme> group;  // the default
  ASSERT_TRUE(ObjectOf(Get(builder.Get(), u"ColourScheme")));
  EXPECT_EQ(ObjectOf(Get(builder.Get(), u"ColourScheme"))
                ->QueryInterface(IidOf<kelto3d::IGroupColScheme>(), group.PutVoid()),
            S_OK);
  ComPtr<IDispatch> mine;
  ASSERT_EQ(CoCreateInstance(kelto3d::kClsidGroupColScheme, nullptr, CLSCTX_INPROC_SERVER,
                             IidOf<IDispatch>(), mine.PutVoid()),
            S_OK);
  // Null is allowed (everything white) and reads back as null.
  for (IDispatch* scheme : {mine.Get(), static_cast<IDispatch*>(nullptr)}) {
    ASSERT_TRUE(PutRef(builder.Get(), u"ColourScheme", {_variant_t(scheme)}).ok());
    auto back = Get(builder.Get(), u"ColourScheme");
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(kelto::com::Identity(ObjectOf(back)).Get(), kelto::com::Identity(scheme).Get());
  }
}

TEST_F(ComSolidModelBuilder, FailuresBecomeResultsWithErrorInfo) {
  const ComPtr<kelto3d::ISolidModelBuilder> solid = Vtable();

  // A null file: no model, E_POINTER and a description.
  kelto3d::IModelNode* model = reinterpret_cast<kelto3d::IModelNode*>(0x1);
  EXPECT_EQ(solid->BuildModel(nullptr, &model), E_POINTER);
  EXPECT_EQ(model, nullptr);
  EXPECT_EQ(LastErrorDescription(), "No piping file.");
  EXPECT_EQ(solid->BuildModel(nullptr, nullptr), E_POINTER);
  auto script = Call(builder.Get(), u"BuildModel", {_variant_t(static_cast<IDispatch*>(nullptr))});
  EXPECT_EQ(script.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(script.scode, E_POINTER);

  // A ModelNode of another implementation, or none, cannot be refreshed.
  EXPECT_EQ(solid->SyncModel(nullptr), E_INVALIDARG);
  EXPECT_EQ(LastErrorDescription(), "Bad model node.");
  EXPECT_EQ(solid->SyncBelow(nullptr, nullptr), E_INVALIDARG);

  // Piping data that fails during a build, then during a refresh.
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
  auto children = Get(root.Get(), u"Children");
  EXPECT_EQ(Get(ObjectOf(children), u"Count").value.lVal, 1);
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
