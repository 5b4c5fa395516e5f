// The control's models, camera calls and events without a window: what
// AutoFit moves, how files and script-made models come and go, the error
// texts, and which calls fire ViewChanged.
#include <gtest/gtest.h>

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

TEST_F(ViewCtrlTest, AutoFitFitsTheFirstFileOnceAndIgnoresItWhenAddedAgain) {
  Connect();
  const auto file = LoadExample("drain-spool.json");
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSymbolic), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});
}

TEST_F(ViewCtrlTest, WithoutAutoFitOnlyTheFitMethodsMoveTheCamera) {
  Connect();
  ASSERT_TRUE(Put(Script(), u"AutoFit", {_variant_t(false)}).ok());
  EXPECT_EQ(Get(Script(), u"AutoFit").value.boolVal, VARIANT_FALSE);
  const auto file = LoadExample("pipe-rack.json");
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid), S_OK);
  ASSERT_EQ(control->Update(file.Get(), kelto3d::rtSolid), S_OK);
  ASSERT_EQ(control->UpdateAll(kelto3d::rtSymbolic), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});
  ASSERT_EQ(control->FitView(), S_OK);
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
  const struct {
    const char* name;
    HRESULT (*call)(kelto3d::IPipeline3DViewCtrl*);
    Events expected;
  } cases[] = {
      {"look down",
       [](auto* c) { return c->SetStandardViewDir(kelto3d::svdLookDown); },
       {"ViewChanged"}},
      {"look down again", [](auto* c) { return c->SetStandardViewDir(kelto3d::svdLookDown); }, {}},
      {"direction 10",
       [](auto* c) { return c->SetStandardViewDir(kelto3d::StandardViewDir(10)); },
       {}},
      {"direction -1",
       [](auto* c) { return c->SetStandardViewDir(kelto3d::StandardViewDir(-1)); },
       {}},
      {"same direction by vectors", [](auto* c) { return c->SetViewDir(0, 0, -1, 0, 1, 0); }, {}},
      {"fit to an empty selection", [](auto* c) { return c->FitViewToSelection(); }, {}},
      {"centre on an empty selection", [](auto* c) { return c->CentreViewOnSelection(); }, {}},
      {"fit when fitted", [](auto* c) { return c->FitView(); }, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(control.Get()), S_OK);
    EXPECT_EQ(TakeEvents(), c.expected);
  }
}

TEST_F(ViewCtrlTest, CopyViewSettingsTakesAnotherControlsViewAndRefusesAnythingElse) {
  Connect();
  const auto other = Create<kelto3d::IPipeline3DViewCtrl>(kelto3d::kClsidPipeline3DViewCtrl);
  other->SetStandardViewDir(kelto3d::svdLookEast);
  ASSERT_EQ(control->CopyViewSettings(other.Get()), S_OK);
  ASSERT_EQ(control->CopyViewSettings(other.Get()), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  // Now equal: looking east again changes nothing.
  control->SetStandardViewDir(kelto3d::svdLookEast);
  EXPECT_EQ(TakeEvents(), Events{});

  const auto notAView = NewNode("x");
  for (IDispatch* source : {notAView.Get(), static_cast<IDispatch*>(nullptr)}) {
    EXPECT_TRUE(FAILED(control->CopyViewSettings(source)));
    EXPECT_EQ(ErrorText(), "Unable to Copy View Settings.");
  }
}

// Changes through one face reach the display's table, seen through the next.
TEST_F(ViewCtrlTest, EachMouseTableIsOneLiveObjectWhileHeld) {
  for (const char16_t* name : {u"MouseDragActions", u"MouseClickActions",
                               u"MouseDoubleClickActions", u"MouseWheelActions"}) {
    const ScriptResult first = Get(Script(), name);
    ASSERT_NE(ObjectOf(first), nullptr);
    EXPECT_EQ(ObjectOf(Get(Script(), name)), ObjectOf(first));
    const LONG count = Get(ObjectOf(first), u"Count").value.lVal;
    ASSERT_TRUE(Call(ObjectOf(first), u"RemoveAll").ok());
    EXPECT_EQ(Get(ObjectOf(Get(Script(), name)), u"Count").value.lVal, 0) << count;
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
  control->Select(component.Get());
  control->UnselectAll();
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{});
  EXPECT_EQ(TakeEvents(), Events{});

  // A selected component whose file leaves the tree leaves the selection,
  // silently: the hook reaches the file's node, not the component below it.
  control->Select(component.Get());
  ASSERT_EQ(SelectedNames(), std::vector<std::string>{"c"});
  control->RemoveKeltoFile(AsFile(file.Get()));
  EXPECT_EQ(SelectedNames(), std::vector<std::string>{});
  EXPECT_EQ(TakeEvents(), Events{});
  EXPECT_EQ(control->FitViewToSelection(), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});
}

TEST_F(ViewCtrlTest, PipeItemsCountsAtItsDispidAndRefusesPositionsOutsideIt) {
  const auto file = LoadExample("drain-spool.json");
  control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid);
  control->Select(FirstComponent(ObjectOf(Get(Script(), u"Model"))).Get());
  ComPtr<kelto3d::IPipeItems> items;
  ASSERT_EQ(control->get_SelectedItems(items.Put()), S_OK);

  const ScriptResult count = InvokeId(items.Get(), 0x60020000, DISPATCH_PROPERTYGET);
  ASSERT_TRUE(count.ok());
  EXPECT_EQ(count.value.lVal, 1);
  EXPECT_EQ(DispidOf(items.Get(), u"Count"), 0x60020000);
  IDispatch* item = nullptr;
  ASSERT_EQ(items->get_Item(1, &item), S_OK);
  item->Release();
  IDispatch** none = nullptr;
  for (const auto& [n, out, expected] : {std::tuple{0, &item, E_INVALIDARG},
                                         {-3, &item, E_INVALIDARG},
                                         {2, &item, E_FAIL},
                                         {1, none, E_POINTER}})
    EXPECT_EQ(items->get_Item(n, out), expected) << n;
  EXPECT_EQ(items->get_Count(nullptr), E_POINTER);
  EXPECT_EQ(items->get__NewEnum(nullptr), E_POINTER);
}

TEST_F(ViewCtrlTest, GraphicsOptionsIsTheRenderersRegistryAndTakesOnlyOptionsObjects) {
  const ScriptResult options = Get(Script(), u"GraphicsOptions");
  ASSERT_NE(ObjectOf(options), nullptr);
  EXPECT_EQ(ObjectOf(Get(Script(), u"GraphicsOptions")), ObjectOf(options));
  EXPECT_EQ(Get(ObjectOf(options), u"Item", {_variant_t("Edges")}).value.lVal, 16);

  // An Options object the host made, bound to the renderer's settings.
  const auto mine = Create(kelto3d::kClsidOptions);
  ASSERT_TRUE(Put(Script(), u"GraphicsOptions", {_variant_t(mine.Get())}).ok());
  ASSERT_TRUE(Put(mine.Get(), u"Item", {_variant_t("Edges"), _variant_t(32)}).ok());
  EXPECT_EQ(
      Get(ObjectOf(Get(Script(), u"GraphicsOptions")), u"Item", {_variant_t("Edges")}).value.lVal,
      32);

  const ScriptResult refused = Put(Script(), u"GraphicsOptions", {_variant_t(NewNode("n").Get())});
  EXPECT_FALSE(refused.ok());
}

}  // namespace
}  // namespace kelto::test
