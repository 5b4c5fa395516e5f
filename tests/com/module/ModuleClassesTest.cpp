// libkelto3d.so as a host meets it: loaded at run time, registered in a
// temporary settings store, a model built by ProgID and driven through the
// public headers and the runtime alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "kelto3d/ModelTree.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "support/ModuleEntries.h"
#include "support/ScriptHost.h"
#include "support/TempDir.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;

// Opened once and kept: the runtime lists the module while it is in memory.
const kelto::test::ModuleEntries& TheModule() {
  static const kelto::test::ModuleEntries module =
      kelto::test::OpenModuleEntries(KELTO_COMPONENT_MODULE_PATH);
  return module;
}

class ModuleClasses : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(TheModule().getClassObject, nullptr) << dlerror(); }
  kelto::test::ScopedConfigHome home_;
};

}  // namespace

TEST_F(ModuleClasses, AHostBuildsAndWalksAModelByProgId) {
  ASSERT_EQ(TheModule().registerServer(), S_OK);
  CLSID nodeClass{};
  ASSERT_EQ(CLSIDFromProgID(u"Oxbay3Support.ModelNode", &nodeClass), S_OK);
  ComPtr<kelto3d::IModelNode> root;
  ASSERT_EQ(CoCreateInstance(nodeClass, nullptr, CLSCTX_ALL, IidOf<kelto3d::IModelNode>(),
                             root.PutVoid()),
            S_OK);
  EXPECT_EQ(TheModule().canUnloadNow(), S_FALSE);

  // Two children keyed by standalone primitives (any object will do).
  ComPtr<IDispatch> keys[2];
  for (auto& key : keys)
    ASSERT_EQ(CoCreateInstance(kelto3d::kClsidCircle, nullptr, CLSCTX_ALL, IidOf<IDispatch>(),
                               key.PutVoid()),
              S_OK);
  for (auto& key : keys) {
    ComPtr<kelto3d::IModelNode> child;
    ASSERT_EQ(CoCreateInstance(nodeClass, nullptr, CLSCTX_ALL, IidOf<kelto3d::IModelNode>(),
                               child.PutVoid()),
              S_OK);
    ASSERT_EQ(child->putref_Object(key.Get()), S_OK);
    ComPtr<kelto3d::IPrimitives> geometry;
    ASSERT_EQ(child->get_Geometry(geometry.Put()), S_OK);
    ASSERT_EQ(geometry->Add3DLine(0, 0, 0, 1, 2, 3, 0xFF), S_OK);
    ASSERT_EQ(root->AddChild(child.Get()), S_OK);
  }
  ComPtr<kelto3d::IModelNodes> children;
  ASSERT_EQ(root->get_Children(children.Put()), S_OK);
  LONG count = 0;
  ASSERT_EQ(children->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2);
  ComPtr<kelto3d::IModelNode> first;
  ASSERT_EQ(children->get_Item(_variant_t(1), first.Put()), S_OK);
  EXPECT_NE(first, nullptr);
  ComPtr<kelto3d::IModelNode> none;
  EXPECT_EQ(children->get_Item(_variant_t(0), none.Put()), DISP_E_BADINDEX);

  // And late-bound, as a script would.
  auto dump = Call(root.Get(), u"Dump");
  ASSERT_TRUE(dump.ok());
  EXPECT_NE(dump.value.ToString().find("Line : (0, 0, 0) to (1, 2, 3)"), std::string::npos);
  auto circleType = Get(keys[0].Get(), u"Type");
  EXPECT_EQ(circleType.value.lVal, ptCircle);

  children.Reset();
  first.Reset();
  for (auto& key : keys) key.Reset();
  root.Reset();
  EXPECT_EQ(TheModule().canUnloadNow(), S_OK);
  ASSERT_EQ(TheModule().unregisterServer(), S_OK);
}
