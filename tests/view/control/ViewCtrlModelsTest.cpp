// The control's models, camera calls and events without a window: what
// AutoFit moves, how files and script-made models come and go, the error
// texts, and which calls fire ViewChanged.

#include "ViewCtrlFixture.h"

namespace kelto::test {
namespace {

using Events = std::vector<std::string>;

IKeltoFile* AsFile(IDispatch* file) { return static_cast<IKeltoFile*>(file); }

// The first component of the first pipeline of a file's model.
ComPtr<IDispatch> FirstComponent(IDispatch* model) {
  ComPtr<IDispatch> node(model);
  for (int level = 0; level < 3; ++level) {  // file, pipeline, component
    const ScriptResult children = Get(node.Get(), u"Children");
    node = ComPtr<IDispatch>(ObjectOf(Get(ObjectOf(children), u"Item", {_variant_t(1)})));
  }
  return ComPtr<IDispatch>(ObjectOf(Get(node.Get(), u"Object")));
}

// AutoFit fits the first file once and ignores it when added again; without
// it only the fit methods move the camera.
TEST_F(ViewCtrlTest, AutoFitFitsTheFirstFileOnceAndOnlyFitMovesTheCameraWithoutIt) {
  Connect();
  const auto file = LoadExample("drain-spool.json");
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSymbolic), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});

  ASSERT_TRUE(Put(Script(), u"AutoFit", {_variant_t(false)}).ok());
  ASSERT_EQ(control->RemoveKeltoFile(AsFile(file.Get())), S_OK);
  const auto rack = LoadExample("pipe-rack.json");
  ASSERT_EQ(control->AddKeltoFile(AsFile(rack.Get()), kelto3d::rtSolid), S_OK);
  ASSERT_EQ(control->Update(rack.Get(), kelto3d::rtSolid), S_OK);
  ASSERT_EQ(control->UpdateAll(kelto3d::rtSymbolic), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});
  ASSERT_EQ(control->FitView(), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
}

// Each removes what it names; a second removal of what is gone is ignored.
// A script holding a removed subtree keeps it, whole, after the control goes.
TEST_F(ViewCtrlTest, RemoveKeltoFileAndRemoveModelAreTheSameAndAScriptKeepsWhatWasRemoved) {
  const auto a = LoadExample("drain-spool.json");
  const auto b = LoadExample("pump-station.json");
  control->AddKeltoFile(AsFile(a.Get()), kelto3d::rtSolid);
  control->AddKeltoFile(AsFile(b.Get()), kelto3d::rtSolid);
  const ScriptResult model = Get(Script(), u"Model");
  const auto count = [](IDispatch* node) {
    return Get(ObjectOf(Get(node, u"Children")), u"Count").value.lVal;
  };
  const ScriptResult node = Call(ObjectOf(model), u"SearchSubtree", {_variant_t(a.Get())});
  const std::string before = kelto::com::BstrToUtf8(Call(ObjectOf(node), u"Dump").value.bstrVal);
  for (int twice = 0; twice < 2; ++twice)
    ASSERT_EQ(control->RemoveKeltoFile(AsFile(a.Get())), S_OK);
  EXPECT_EQ(count(ObjectOf(model)), 1);
  for (int twice = 0; twice < 2; ++twice) ASSERT_EQ(control->RemoveModel(b.Get()), S_OK);
  EXPECT_EQ(count(ObjectOf(model)), 0);
  control = nullptr;  // the control and its tree go; the removed subtree stays
  EXPECT_EQ(kelto::com::BstrToUtf8(Call(ObjectOf(node), u"Dump").value.bstrVal), before);
  EXPECT_GT(count(ObjectOf(node)), 0);
}

// Script-made roots are taken (every windowless test shows one); another
// control's root lives in C++ hands, and null is no node at all.
TEST_F(ViewCtrlTest, AddModelRefusesRootsItCannotTakeWithTheirTexts) {
  const auto other = Create(kelto3d::kClsidPipeline3DViewCtrl);
  ComPtr<kelto3d::IModelNode> otherRoot;
  ObjectOf(Get(other.Get(), u"Model"))
      ->QueryInterface(kelto::com::IidOf<kelto3d::IModelNode>(), otherRoot.PutVoid());
  for (const auto& [node, text] :
       {std::pair{otherRoot.Get(), "Unable to add child node [Non-owned root]"},
        {nullptr, "Bad child node."}}) {
    EXPECT_TRUE(FAILED(control->AddModel(node)));
    EXPECT_EQ(ErrorText(), text);
  }
}

TEST_F(ViewCtrlTest, CameraCallsFireViewChangedOnlyWhenTheViewChanged) {
  Connect();
  const auto file = LoadExample("drain-spool.json");
  control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid);
  TakeEvents();
  using V = _variant_t;
  const std::tuple<const char16_t*, std::vector<V>, Events> cases[] = {
      {u"SetStandardViewDir", {V(4L)}, {"ViewChanged"}},  // look down
      {u"SetStandardViewDir", {V(4L)}, {}},               // again
      {u"SetStandardViewDir", {V(10L)}, {}},              // out of range, either side
      {u"SetStandardViewDir", {V(-1L)}, {}},
      {u"SetViewDir", {V(0.0), V(0.0), V(-1.0), V(0.0), V(1.0), V(0.0)}, {}},  // the same
      {u"FitViewToSelection", {}, {}},                    // nothing selected
      {u"CentreViewOnSelection", {}, {}},
      {u"FitView", {}, {}},                               // fitted already
  };
  for (const auto& [member, args, expected] : cases) {
    EXPECT_TRUE(Call(Script(), member, args).ok()) << kelto::com::Utf16ToUtf8(member);
    EXPECT_EQ(TakeEvents(), expected) << kelto::com::Utf16ToUtf8(member);
  }
}

TEST_F(ViewCtrlTest, CopyViewSettingsTakesAnotherControlsViewAndRefusesAnythingElse) {
  Connect();
  const auto other = Create<kelto3d::IPipeline3DViewCtrl>(kelto3d::kClsidPipeline3DViewCtrl);
  other->SetStandardViewDir(kelto3d::svdLookEast);
  ASSERT_EQ(control->CopyViewSettings(other.Get()), S_OK);
  control->SetStandardViewDir(kelto3d::svdLookEast);  // equal now: no change
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  const auto notAView = NewNode("x");
  for (IDispatch* source : {notAView.Get(), static_cast<IDispatch*>(nullptr)}) {
    EXPECT_TRUE(FAILED(control->CopyViewSettings(source)));
    EXPECT_EQ(ErrorText(), "Unable to Copy View Settings.");
  }
}

TEST_F(ViewCtrlTest, SelectingByScriptKeepsOneEntryPerObjectAndFiresNothing) {
  Connect();
  const auto file = LoadExample("drain-spool.json");
  control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid);
  TakeEvents();
  const auto component = FirstComponent(ObjectOf(Get(Script(), u"Model")));
  ASSERT_NE(component.Get(), nullptr);
  names[kelto::com::Identity(component.Get()).Get()] = "c";
  const auto stranger = NewNode("stranger");  // an object not in the tree

  control->Select(component.Get());
  control->Select(component.Get());
  control->Select(Object("stranger"));
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{"c"});
  control->Unselect(component.Get());
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{});
  EXPECT_EQ(TakeEvents(), Events{});

  // A selected component whose file leaves the tree leaves the selection,
  // silently: the hook reaches the file's node, not the component below it.
  control->Select(component.Get());
  ASSERT_EQ(SelectedNames(), std::vector<std::string>{"c"});
  control->RemoveKeltoFile(AsFile(file.Get()));
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{});
  EXPECT_EQ(TakeEvents(), Events{});
}

// An Options object the host made is bound to the renderer's settings.
TEST_F(ViewCtrlTest, GraphicsOptionsTakesAnOptionsObjectOfTheHostAndNothingElse) {
  const auto mine = Create(kelto3d::kClsidOptions);
  ASSERT_TRUE(Put(Script(), u"GraphicsOptions", {_variant_t(mine.Get())}).ok());
  ASSERT_TRUE(Put(mine.Get(), u"Item", {_variant_t("Edges"), _variant_t(32)}).ok());
  EXPECT_EQ(
      Get(ObjectOf(Get(Script(), u"GraphicsOptions")), u"Item", {_variant_t("Edges")}).value.lVal,
      32);

  EXPECT_FALSE(Put(Script(), u"GraphicsOptions", {_variant_t(NewNode("n").Get())}).ok());
}

}  // namespace
}  // namespace kelto::test
