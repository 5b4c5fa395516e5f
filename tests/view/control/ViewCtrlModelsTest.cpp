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
  ScriptResult node(Get(model, u"Children"));
  for (int level = 0; level < 3; ++level) {
    node = Get(ObjectOf(Get(ObjectOf(node), u"Item", {_variant_t(1)})), u"Children");
    if (level == 1) break;
  }
  const ScriptResult item = Get(ObjectOf(node), u"Item", {_variant_t(1)});
  return ComPtr<IDispatch>(ObjectOf(Get(ObjectOf(item), u"Object")));
}

TEST_F(ViewCtrlTest, AutoFitFitsTheFirstFileOnceAndIgnoresItWhenAddedAgain) {
  Connect();
  const auto file = LoadExample("drain-spool.json");
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid), S_OK);
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  ASSERT_EQ(control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSymbolic), S_OK);
  EXPECT_EQ(TakeEvents(), Events{});
  EXPECT_EQ(Get(ObjectOf(Get(Script(), u"Model", {})), u"Children").ok(), true);
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

TEST_F(ViewCtrlTest, RemoveKeltoFileAndRemoveModelAreTheSame) {
  const auto a = LoadExample("drain-spool.json");
  const auto b = LoadExample("pump-station.json");
  std::vector<std::string> dumps;
  for (bool byFile : {true, false}) {
    ComPtr<kelto3d::IPipeline3DViewCtrl> view;
    ASSERT_EQ(CoCreateInstance(kelto3d::kClsidPipeline3DViewCtrl, nullptr, CLSCTX_INPROC_SERVER,
                               kelto::com::IidOf<kelto3d::IPipeline3DViewCtrl>(), view.PutVoid()),
              S_OK);
    view->AddKeltoFile(AsFile(a.Get()), kelto3d::rtSolid);
    view->AddKeltoFile(AsFile(b.Get()), kelto3d::rtSolid);
    ASSERT_EQ(byFile ? view->RemoveKeltoFile(AsFile(a.Get())) : view->RemoveModel(a.Get()), S_OK);
    // A second removal of what is gone is silently ignored.
    ASSERT_EQ(byFile ? view->RemoveKeltoFile(AsFile(a.Get())) : view->RemoveModel(a.Get()), S_OK);
    const ScriptResult model = Get(view.Get(), u"Model");
    EXPECT_EQ(Get(ObjectOf(Get(ObjectOf(model), u"Children")), u"Count").value.lVal, 1);
    dumps.push_back(kelto::com::BstrToUtf8(Call(ObjectOf(model), u"Dump").value.bstrVal));
  }
  EXPECT_EQ(dumps[0], dumps[1]);
  EXPECT_NE(dumps[0].find("Cone"), std::string::npos) << dumps[0];
}

TEST_F(ViewCtrlTest, AScriptKeepsARemovedSubtreeAliveAndValid) {
  const auto file = LoadExample("drain-spool.json");
  control->AddKeltoFile(AsFile(file.Get()), kelto3d::rtSolid);
  const ScriptResult model = Get(Script(), u"Model");
  ScriptResult node = Call(ObjectOf(model), u"SearchSubtree", {_variant_t(file.Get())});
  ASSERT_NE(ObjectOf(node), nullptr);
  const std::string before = kelto::com::BstrToUtf8(Call(ObjectOf(node), u"Dump").value.bstrVal);
  ASSERT_EQ(control->RemoveKeltoFile(AsFile(file.Get())), S_OK);
  control = nullptr;  // the control and its tree go; the removed subtree stays
  EXPECT_EQ(kelto::com::BstrToUtf8(Call(ObjectOf(node), u"Dump").value.bstrVal), before);
  EXPECT_GT(Get(ObjectOf(Get(ObjectOf(node), u"Children")), u"Count").value.lVal, 0);
}

TEST_F(ViewCtrlTest, AddModelTakesAScriptRootAndRefusesOthersWithTheirTexts) {
  Connect();
  // A root the script made: the control takes it over.
  {
    const auto root = NewNode("root");
    const auto pipe = NewNode("pipe");
    AddCone(pipe.Get(), 0, 0, 10, 0, 1);
    ASSERT_TRUE(Call(root.Get(), u"AddChild", {_variant_t(pipe.Get())}).ok());
    const ScriptResult added = Call(Script(), u"AddModel", {_variant_t(root.Get())});
    ASSERT_TRUE(added.ok()) << added.error;
  }
  EXPECT_EQ(TakeEvents(), Events{"ViewChanged"});
  const ScriptResult model = Get(Script(), u"Model");
  EXPECT_NE(ObjectOf(Call(ObjectOf(model), u"SearchSubtree", {_variant_t(Object("pipe"))})),
            nullptr);

  // Another control's root lives in C++ hands, and null is no node at all.
  ComPtr<IDispatch> other;
  ASSERT_EQ(CoCreateInstance(kelto3d::kClsidPipeline3DViewCtrl, nullptr, CLSCTX_INPROC_SERVER,
                             kelto::com::IidOf<IDispatch>(), other.PutVoid()),
            S_OK);
  const ScriptResult otherRoot = Get(other.Get(), u"Model");
  const struct {
    IDispatch* model;
    const char* text;
  } refused[] = {{ObjectOf(otherRoot), "Unable to add child node [Non-owned root]"},
                 {nullptr, "Bad child node."}};
  for (const auto& c : refused) {
    ComPtr<kelto3d::IModelNode> node;
    if (c.model)
      c.model->QueryInterface(kelto::com::IidOf<kelto3d::IModelNode>(), node.PutVoid());
    EXPECT_TRUE(FAILED(control->AddModel(node.Get())));
    EXPECT_EQ(ErrorText(), c.text);
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
      {"look down", [](auto* c) { return c->SetStandardViewDir(kelto3d::svdLookDown); },
       {"ViewChanged"}},
      {"look down again", [](auto* c) { return c->SetStandardViewDir(kelto3d::svdLookDown); }, {}},
      {"direction 10", [](auto* c) { return c->SetStandardViewDir(kelto3d::StandardViewDir(10)); },
       {}},
      {"direction -1", [](auto* c) { return c->SetStandardViewDir(kelto3d::StandardViewDir(-1)); },
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
  ComPtr<kelto3d::IPipeline3DViewCtrl> other;
  ASSERT_EQ(CoCreateInstance(kelto3d::kClsidPipeline3DViewCtrl, nullptr, CLSCTX_INPROC_SERVER,
                             kelto::com::IidOf<kelto3d::IPipeline3DViewCtrl>(), other.PutVoid()),
            S_OK);
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

TEST_F(ViewCtrlTest, EachMouseTableIsOneLiveObjectWhileHeld) {
  for (const char16_t* name : {u"MouseDragActions", u"MouseClickActions",
                               u"MouseDoubleClickActions", u"MouseWheelActions"}) {
    const ScriptResult first = Get(Script(), name);
    const ScriptResult second = Get(Script(), name);
    ASSERT_NE(ObjectOf(first), nullptr);
    EXPECT_EQ(ObjectOf(first), ObjectOf(second));
  }
  // Changes through one reach the display's table, seen through the other.
  const ScriptResult drag = Get(Script(), u"MouseDragActions");
  const LONG count = Get(ObjectOf(drag), u"Count").value.lVal;
  EXPECT_EQ(count, 7);
  ASSERT_TRUE(Call(ObjectOf(drag), u"Remove", {_variant_t(1)}).ok());
  EXPECT_EQ(Get(ObjectOf(Get(Script(), u"MouseDragActions")), u"Count").value.lVal, count - 1);
  EXPECT_NE(ObjectOf(Get(Script(), u"MouseClickActions")),
            ObjectOf(Get(Script(), u"MouseDoubleClickActions")));
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
  const struct {
    LONG n;
    IDispatch** out;
    HRESULT expected;
  } cases[] = {{1, &item, S_OK},           {0, &item, E_INVALIDARG}, {-3, &item, E_INVALIDARG},
               {2, &item, E_FAIL},         {1, nullptr, E_POINTER}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(items->get_Item(c.n, c.out), c.expected);
    if (c.expected == S_OK && item) item->Release();
    item = nullptr;
  }
  EXPECT_EQ(items->get_Count(nullptr), E_POINTER);
  EXPECT_EQ(items->get__NewEnum(nullptr), E_POINTER);

  ComPtr<IUnknown> unknown;
  ASSERT_EQ(items->get__NewEnum(unknown.Put()), S_OK);
  ComPtr<IEnumVARIANT> e;
  ASSERT_EQ(unknown->QueryInterface(kelto::com::IidOf<IEnumVARIANT>(), e.PutVoid()), S_OK);
  VARIANT v[2];
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(2, v, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(v[0].vt, VT_DISPATCH);
  VariantClear(&v[0]);
}

TEST_F(ViewCtrlTest, GraphicsOptionsIsTheRenderersRegistryAndTakesOnlyOptionsObjects) {
  const ScriptResult options = Get(Script(), u"GraphicsOptions");
  ASSERT_NE(ObjectOf(options), nullptr);
  EXPECT_EQ(ObjectOf(Get(Script(), u"GraphicsOptions")), ObjectOf(options));
  EXPECT_EQ(Get(ObjectOf(options), u"Item", {_variant_t("Edges")}).value.lVal, 16);

  // An Options object the host made, bound to the renderer's settings.
  ComPtr<IDispatch> mine;
  ASSERT_EQ(CoCreateInstance(kelto3d::kClsidOptions, nullptr, CLSCTX_INPROC_SERVER,
                             kelto::com::IidOf<IDispatch>(), mine.PutVoid()),
            S_OK);
  ASSERT_TRUE(Put(Script(), u"GraphicsOptions", {_variant_t(mine.Get())}).ok());
  ASSERT_TRUE(Put(mine.Get(), u"Item", {_variant_t("Edges"), _variant_t(32)}).ok());
  EXPECT_EQ(Get(ObjectOf(Get(Script(), u"GraphicsOptions")), u"Item", {_variant_t("Edges")})
                .value.lVal,
            32);

  const ScriptResult refused = Put(Script(), u"GraphicsOptions", {_variant_t(NewNode("n").Get())});
  EXPECT_FALSE(refused.ok());
}

}  // namespace
}  // namespace kelto::test
