// What libkelto3d.so's registration writes and removes, key by key, read back
// through the registry functions. Every class with type information is made
// through these keys by TypeInfoTest.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Registration.h"
#include "platform/com/Strings.h"
#include "platform/registry/Key.h"
#include "platform/registry/Registry.h"
#include "support/ModuleEntries.h"
#include "support/RegistryDump.h"
#include "support/TempDir.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::DumpRegistry;

const kelto::test::ModuleEntries& Module() {
  static const kelto::test::ModuleEntries entries =
      kelto::test::OpenModuleEntries(KELTO_COMPONENT_MODULE_PATH);
  return entries;
}

// Registered by code ("X Object", "apartment"), by script ("X Class",
// "Apartment"), or as a property page (its CLSID key only).
enum class Family { Code, Script, Page };

struct ClassRow {
  const char* clsid;
  const char* name;
  const char* progId;  // version-independent
  Family family;
};

// The module's classes in registration order.
const ClassRow kClasses[] = {
    {"{49CBA647-5AC5-405C-B4A8-5A7BFC8255E9}", "GroupColScheme", "Kelto3D.GroupColScheme", Family::Code},
    {"{7CE2469F-2CCA-4B53-9203-6D65A993F6CF}", "UserColScheme", "Kelto3D.UserColScheme", Family::Code},
    {"{C18E2BC0-C4D2-458D-A297-8E56A3978EA4}", "TagSet", "Kelto3D.TagSet", Family::Code},
    {"{7DDC46BF-A56B-470A-8740-5E3D75FD77C4}", "TagEngine", "Kelto3D.TagEngine", Family::Code},
    {"{53208990-D5BA-46B7-A7E6-3FEE129F3474}", "ModelNode", "Oxbay3Support.ModelNode", Family::Script},
    {"{49892BDC-B1DD-4D7B-B761-53B511D6773C}", "Line", "Kelto3D.Line", Family::Code},
    {"{8B1BD0EB-86DF-4849-9450-EB4B474A61A1}", "Cone", "Kelto3D.Cone", Family::Code},
    {"{EB3D3F66-0E75-4186-AF5C-4C5B5F12D268}", "CurvedCone", "Kelto3D.CurvedCone", Family::Code},
    {"{5059DF8D-3A4E-4392-9805-D6DCA4A7A315}", "Snout", "Kelto3D.Snout", Family::Code},
    {"{B597D460-0167-4509-8608-54D2D5782D70}", "Circle", "Kelto3D.Circle", Family::Code},
    {"{D5B69544-8201-4943-AF16-8A215971A52C}", "Primitives", "Kelto3D.Primitives", Family::Code},
    {"{E66853D1-018E-402B-8508-546CE2521DBB}", "ModelNodes", "Kelto3D.ModelNodes", Family::Script},
    {"{6CC9F30F-DB44-4278-9F9F-87A60E07E6BA}", "DragActionTable", "Kelto3D.DragActionTable", Family::Code},
    {"{0FEB6171-A2F5-46B7-804B-7B8CB6B99657}", "PickActionTable", "Kelto3D.PickActionTable", Family::Code},
    {"{0892B37F-E2A4-461A-91FE-80244BF35EA7}", "WheelActionTable", "Kelto3D.WheelActionTable", Family::Code},
    {"{63B37CF0-B2D0-451C-8883-48DE63C55CCE}", "Options", "Oxbay3Support.Options", Family::Script},
    {"{DF430037-4234-4DC5-9ADF-E6176DAA13B4}", "SolidModelBuilder", "Oxbay3Support.SolidModelBuilder", Family::Script},
    {"{CD06A39D-6A54-4AA3-A87A-159D8C818488}", "SymbolicModelBuilder", "Kelto3D.SymbolicModelBuilder", Family::Script},
    {"{375DB1C4-2F2D-4A5E-AFD4-93B8E44A89D6}", "PipeItems", "Oxbay3Support.PipeItems", Family::Script},
    {"{50F41F64-9919-44F3-B147-E9CB24C6EBD6}", "Pipeline3DViewCtrl", "Oxbay3Support.Pipeline3DViewCtrl", Family::Script},
    {"{3BD88B05-A71A-410B-BB3C-6882EAD3204E}", "RendererPropPg", nullptr, Family::Page},
};

const char* kLibId = "{FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC}";

void AddProgIdKeys(const ClassRow& c, const std::string& description, std::set<std::string>* out) {
  const std::string versioned = std::string(c.progId) + ".1";
  for (const std::string& key : {versioned, std::string(c.progId)}) {
    out->insert(key);
    out->insert(key + " @ = " + description);
    out->insert(key + "\\CLSID");
    out->insert(key + "\\CLSID @ = " + c.clsid);
  }
  out->insert(std::string(c.progId) + "\\CurVer");
  out->insert(std::string(c.progId) + "\\CurVer @ = " + versioned);
}

std::set<std::string> Expected(const std::string& modulePath) {
  std::set<std::string> out{"CLSID", "TypeLib"};
  for (const ClassRow& c : kClasses) {
    const bool code = c.family == Family::Code;
    const std::string description = std::string(c.name) + (code ? " Object" : " Class");
    const std::string key = std::string("CLSID\\") + c.clsid;
    for (const std::string& line :
         {key, key + " @ = " + description, key + "\\Programmable", key + "\\InprocServer32",
          key + "\\InprocServer32 @ = " + modulePath,
          key + "\\InprocServer32 ThreadingModel = " + (code ? "apartment" : "Apartment")})
      out.insert(line);
    if (c.family == Family::Page) continue;
    AddProgIdKeys(c, description, &out);
    for (const std::string& line :
         {key + "\\ProgID", key + "\\ProgID @ = " + c.progId + ".1", key + "\\VersionIndependentProgID",
          key + "\\VersionIndependentProgID @ = " + c.progId, key + "\\TypeLib",
          key + "\\TypeLib @ = " + kLibId})
      out.insert(line);
  }
  // The view control's own keys (see ControlKeysAreWrittenAndRemoved).
  const std::string ctrl = "CLSID\\{50F41F64-9919-44F3-B147-E9CB24C6EBD6}";
  for (const std::string& line :
       {ctrl + "\\Control", ctrl + "\\Insertable", ctrl + "\\ToolboxBitmap32",
        ctrl + "\\ToolboxBitmap32 @ = " + modulePath + ", 106", ctrl + "\\MiscStatus",
        ctrl + "\\MiscStatus @ = 0", ctrl + "\\MiscStatus\\1", ctrl + "\\MiscStatus\\1 @ = 131473",
        ctrl + "\\Version", ctrl + "\\Version @ = 1.0"})
    out.insert(line);
  const std::string lib = std::string("TypeLib\\") + kLibId;
  const std::string folder = modulePath.substr(0, modulePath.rfind('/'));
  for (const std::string& line :
       {lib, lib + "\\1.0", lib + "\\1.0 @ = Corvane KeltoFile 3D Library version 1", lib + "\\1.0\\0",
        lib + "\\1.0\\0\\linux64", lib + "\\1.0\\0\\linux64 @ = " + modulePath, lib + "\\1.0\\FLAGS",
        lib + "\\1.0\\FLAGS @ = 0", lib + "\\1.0\\HELPDIR", lib + "\\1.0\\HELPDIR @ = " + folder})
    out.insert(line);
  return out;
}

std::string ModulePath() {
  void* handle = dlopen(KELTO_COMPONENT_MODULE_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  const std::string path =
      kelto::com::ModulePathOf(handle ? dlsym(handle, "DllGetClassObject") : nullptr);
  if (handle) dlclose(handle);
  return path;
}

std::vector<std::string> Difference(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::vector<std::string> out;
  for (const std::string& line : a)
    if (!b.count(line)) out.push_back(line);
  return out;
}

class ModuleRegistration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(Module().registerServer, nullptr) << dlerror(); }
  kelto::test::ScopedConfigHome home_;
};

TEST_F(ModuleRegistration, WritesExactlyTheTableAndRemovesAllButTheRoots) {
  const LCID before = 0x0409;
  ASSERT_TRUE(SetThreadLocale(before));
  ASSERT_EQ(Module().registerServer(), S_OK);
  EXPECT_EQ(GetThreadLocale(), before);
  const std::set<std::string> written = DumpRegistry(HKEY_CLASSES_ROOT);
  const std::set<std::string> expected = Expected(ModulePath());
  EXPECT_EQ(Difference(written, expected), std::vector<std::string>{}) << "written, not expected";
  EXPECT_EQ(Difference(expected, written), std::vector<std::string>{}) << "expected, not written";

  ASSERT_EQ(Module().unregisterServer(), S_OK);
  EXPECT_EQ(GetThreadLocale(), before);
  EXPECT_EQ(DumpRegistry(HKEY_CLASSES_ROOT), (std::set<std::string>{"CLSID"}));
  // A second unregistration finds nothing to remove and is no error.
  EXPECT_EQ(Module().unregisterServer(), S_OK);
}

}  // namespace
