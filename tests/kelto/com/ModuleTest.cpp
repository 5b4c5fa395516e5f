// libkelto.so as a host meets it: registration in a temporary settings store,
// creation of the three classes by class id and ProgID, and the module's
// lock (DllCanUnloadNow). Keys are checked the way a host uses them: a ProgID
// leads to the class id, the class id to a working object.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaceFixtures.h"
#include "platform/com/Guid.h"
#include "platform/com/RegistryText.h"
#include "support/ModuleEntries.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

// The module's own entry points (the library stays loaded: the runtime may
// still list it).
kelto::test::ModuleEntries OpenModule() {
  const kelto::test::ModuleEntries entries = kelto::test::OpenModuleEntries(KELTO_MODULE_PATH);
  EXPECT_NE(entries.getClassObject, nullptr) << dlerror();
  return entries;
}

struct ClassRow {
  CLSID clsid;
  const char* progId;  // version-independent
  IID iid;
};

const std::vector<ClassRow> kClasses = {
    {kelto::clsid::KeltoFile, "Kelto.File", IidOf<IKeltoFile>()},
    {kelto::clsid::KeltoPathWalker, "Kelto.PathWalker", IidOf<IKeltoPathWalker>()},
    {kelto::clsid::KeltoSymbolCatalogue, "Kelto.SymbolCatalogue", IidOf<IKeltoSymbolCatalogue>()},
};

std::string ClsidKey(const CLSID& clsid) { return "CLSID\\" + kelto::com::FormatGuid(clsid); }

class Module : public ::testing::Test {
 protected:
  kelto::test::ScopedConfigHome home;
};

TEST_F(Module, RegistersCreatesAndUnregistersItsClasses) {
  const kelto::test::ModuleEntries module = OpenModule();
  ASSERT_TRUE(module.registerServer && module.unregisterServer);
  ASSERT_EQ(module.registerServer(), S_OK);
  for (const ClassRow& c : kClasses) {
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(_bstr_t(c.progId), &found), S_OK);
    EXPECT_EQ(found, c.clsid);
    ComPtr<IDispatch> object;
    ASSERT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<IDispatch>(),
                               object.PutVoid()),
              S_OK)
        << c.progId;
    ComPtr<IUnknown> typed;
    EXPECT_EQ(object->QueryInterface(c.iid, typed.PutVoid()), S_OK) << c.progId;
  }
  ASSERT_EQ(module.unregisterServer(), S_OK);
  for (const ClassRow& c : kClasses)
    EXPECT_FALSE(kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(c.clsid), nullptr))
        << c.progId;
}

TEST_F(Module, CanUnloadOnlyWhenNoObjectIsAlive) {
  const kelto::test::ModuleEntries module = OpenModule();
  ASSERT_TRUE(module.getClassObject && module.canUnloadNow);
  ASSERT_EQ(module.canUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(
      module.getClassObject(kelto::clsid::KeltoFile, IidOf<IClassFactory>(), factory.PutVoid()),
      S_OK);
  EXPECT_EQ(module.canUnloadNow(), S_OK);  // a cached factory does not count
  ComPtr<IKeltoFile> file;
  ASSERT_EQ(factory->CreateInstance(nullptr, IidOf<IKeltoFile>(), file.PutVoid()), S_OK);
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);

  ASSERT_EQ(file->Load(_bstr_t(Example("drain-spool.json"))), S_OK);
  ComPtr<IKeltoPoint> point = PointOf(FindComponent(file.Get(), "D401-V1").Get(), "Run_1");
  file = nullptr;
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);  // the point holds the file
  EXPECT_EQ(OwnerIdOf(point.Get()), "D401-V1");
  point = nullptr;
  EXPECT_EQ(module.canUnloadNow(), S_OK);

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(module.canUnloadNow(), S_OK);

}

}  // namespace
}  // namespace faces_test
