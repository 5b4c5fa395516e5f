// libkelto3d.so as a host meets it: loaded at run time, registered in a
// temporary settings store, its classes created by ProgID and driven through
// the public headers and the runtime alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/Registry.h"
#include "support/ModuleEntries.h"
#include "support/ScriptHost.h"
#include "support/TempDir.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::ObjectOf;

// Opened once and kept: the runtime lists the module while it is in memory.
const kelto::test::ModuleEntries& TheModule() {
  static const kelto::test::ModuleEntries module =
      kelto::test::OpenModuleEntries(KELTO_COMPONENT_MODULE_PATH);
  return module;
}

std::optional<std::string> ReadString(const std::string& key, const char* value = nullptr) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
    return std::nullopt;
  char buffer[1024] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  const LSTATUS status =
      RegQueryValueExA(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(k);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(buffer);
}

struct ClassInfo {
  CLSID clsid;
  const char16_t* progId;
  const char* versionedProgId;
  const char* description;
  const char* threadingModel;
};

const ClassInfo kClasses[] = {
    {kelto3d::kClsidModelNode, u"Oxbay3Support.ModelNode", "Oxbay3Support.ModelNode.1",
     "ModelNode Class", "Apartment"},
    {kelto3d::kClsidLine, u"Kelto3D.Line", "Kelto3D.Line.1", "Line Object", "apartment"},
    {kelto3d::kClsidCone, u"Kelto3D.Cone", "Kelto3D.Cone.1", "Cone Object", "apartment"},
    {kelto3d::kClsidCurvedCone, u"Kelto3D.CurvedCone", "Kelto3D.CurvedCone.1", "CurvedCone Object",
     "apartment"},
    {kelto3d::kClsidSnout, u"Kelto3D.Snout", "Kelto3D.Snout.1", "Snout Object", "apartment"},
    {kelto3d::kClsidCircle, u"Kelto3D.Circle", "Kelto3D.Circle.1", "Circle Object", "apartment"},
    {kelto3d::kClsidPrimitives, u"Kelto3D.Primitives", "Kelto3D.Primitives.1", "Primitives Object",
     "apartment"},
    {kelto3d::kClsidModelNodes, u"Kelto3D.ModelNodes", "Kelto3D.ModelNodes.1", "ModelNodes Class",
     "Apartment"},
    {kelto3d::kClsidOptions, u"Oxbay3Support.Options", "Oxbay3Support.Options.1", "Options Class",
     "Apartment"},
    // SymbolicModelBuilder, by its class id (its header would bring the piping
    // interfaces into this host-only test).
    {kelto::com::MakeGuid("CD06A39D-6A54-4AA3-A87A-159D8C818488"), u"Kelto3D.SymbolicModelBuilder",
     "Kelto3D.SymbolicModelBuilder.1", "SymbolicModelBuilder Class", "Apartment"},
};

std::string ClsidText(const CLSID& clsid) {
  char16_t text[64] = {};
  StringFromGUID2(clsid, text, 64);
  return kelto::com::Utf16ToUtf8(text);
}

class ModuleClasses : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(TheModule().getClassObject, nullptr) << dlerror(); }
  kelto::test::ScopedConfigHome home_;
};

}  // namespace

TEST_F(ModuleClasses, RegisteredClassesAreCreatedByProgId) {
  ASSERT_EQ(TheModule().registerServer(), S_OK);
  for (const ClassInfo& c : kClasses) {
    const std::string key = "CLSID\\" + ClsidText(c.clsid);
    EXPECT_EQ(ReadString(c.versionedProgId), c.description);
    EXPECT_EQ(ReadString(key), c.description);
    EXPECT_EQ(ReadString(key + "\\InprocServer32", "ThreadingModel"), c.threadingModel);
    EXPECT_NE(ReadString(key + "\\InprocServer32"), std::nullopt);
    CLSID resolved{};
    ASSERT_EQ(CLSIDFromProgID(c.progId, &resolved), S_OK) << c.versionedProgId;
    EXPECT_EQ(resolved, c.clsid);
    ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(resolved, nullptr, CLSCTX_ALL, IidOf<IDispatch>(), object.PutVoid()),
              S_OK)
        << c.versionedProgId;
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(TheModule().getClassObject(c.clsid, IidOf<IClassFactory>(), factory.PutVoid()), S_OK);
  }
  ASSERT_EQ(TheModule().unregisterServer(), S_OK);
  EXPECT_EQ(ReadString("Oxbay3Support.ModelNode.1"), std::nullopt);
  EXPECT_EQ(ReadString("CLSID\\" + ClsidText(kelto3d::kClsidCircle)), std::nullopt);
}

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

TEST_F(ModuleClasses, AHostCreatedOptionsObjectPersistsNothing) {
  ComPtr<kelto3d::IOptions> options;
  ASSERT_EQ(CoCreateInstance(kelto3d::kClsidOptions, nullptr, CLSCTX_ALL,
                             IidOf<kelto3d::IOptions>(), options.PutVoid()),
            S_OK);
  _variant_t contents;
  ASSERT_EQ(options->TestGetContents(&contents), S_OK);
  EXPECT_EQ(contents.vt, VT_ARRAY | VT_VARIANT);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(options->QueryInterface(IidOf<IPersistStreamInit>(), persist.PutVoid()), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
}
