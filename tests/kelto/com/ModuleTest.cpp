// libkelto.so as a host meets it: registration in a temporary settings store,
// creation of the three classes by class id and ProgID, and the module's
// lock (DllCanUnloadNow).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FaceFixtures.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/Guid.h"
#include "platform/com/RegistryText.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

const std::string kModulePath = KELTO_MODULE_PATH;

struct EntryPoints {
  HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT (*canUnloadNow)() = nullptr;
  HRESULT (*registerServer)() = nullptr;
  HRESULT (*unregisterServer)() = nullptr;
};

// The module's own entry points. The handle is never closed: the runtime
// may still list the module.
EntryPoints OpenModule() {
  void* handle = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(handle, nullptr) << dlerror();
  EntryPoints e;
  if (!handle) return e;
  e.getClassObject =
      reinterpret_cast<decltype(e.getClassObject)>(dlsym(handle, "DllGetClassObject"));
  e.canUnloadNow = reinterpret_cast<decltype(e.canUnloadNow)>(dlsym(handle, "DllCanUnloadNow"));
  e.registerServer =
      reinterpret_cast<decltype(e.registerServer)>(dlsym(handle, "DllRegisterServer"));
  e.unregisterServer =
      reinterpret_cast<decltype(e.unregisterServer)>(dlsym(handle, "DllUnregisterServer"));
  return e;
}

struct ClassRow {
  CLSID clsid;
  const char* progId;
  const char* versionIndependent;
  IID iid;
};

const std::vector<ClassRow> kClasses = {
    {kelto::clsid::KeltoFile, "Kelto.File.1", "Kelto.File", IidOf<IKeltoFile>()},
    {kelto::clsid::KeltoPathWalker, "Kelto.PathWalker.1", "Kelto.PathWalker",
     IidOf<IKeltoPathWalker>()},
    {kelto::clsid::KeltoSymbolCatalogue, "Kelto.SymbolCatalogue.1", "Kelto.SymbolCatalogue",
     IidOf<IKeltoSymbolCatalogue>()},
};

std::string ClsidKey(const CLSID& clsid) { return "CLSID\\" + kelto::com::FormatGuid(clsid); }

class Module : public ::testing::Test {
 protected:
  kelto::test::ScopedConfigHome home;
};

TEST_F(Module, RegistersCreatesAndUnregistersItsClasses) {
  const EntryPoints module = OpenModule();
  ASSERT_TRUE(module.registerServer && module.unregisterServer);
  ASSERT_EQ(module.registerServer(), S_OK);
  const std::string canonical = std::filesystem::canonical(kModulePath).string();
  for (const ClassRow& c : kClasses) {
    EXPECT_EQ(kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(c.clsid) + "\\InprocServer32",
                                        nullptr),
              canonical)
        << c.progId;
    EXPECT_EQ(kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(c.clsid) + "\\ProgID", nullptr),
              c.progId);
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(_bstr_t(c.versionIndependent), &found), S_OK);
    EXPECT_EQ(found, c.clsid);

    ComPtr<IDispatch> object;
    ASSERT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<IDispatch>(),
                               object.PutVoid()),
              S_OK)
        << c.progId;
    ComPtr<IUnknown> typed;
    EXPECT_EQ(object->QueryInterface(c.iid, typed.PutVoid()), S_OK) << c.progId;
  }
  // Created through the settings store alone, the module is listed by the
  // runtime. (Driving a file by name: LateBoundTest.)
  bool listed = false;
  for (const auto& m : kelto::com::LoadedModules()) listed = listed || m.path == canonical;
  EXPECT_TRUE(listed);
  ASSERT_EQ(module.unregisterServer(), S_OK);
  for (const ClassRow& c : kClasses)
    EXPECT_FALSE(kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(c.clsid), nullptr))
        << c.progId;
}

TEST_F(Module, CanUnloadOnlyWhenNoObjectIsAlive) {
  const EntryPoints module = OpenModule();
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

  ComPtr<IClassFactory> none;
  EXPECT_EQ(module.getClassObject(kelto::com::MakeGuid("01234567-89AB-CDEF-0123-456789ABCDEF"),
                                  IidOf<IClassFactory>(), none.PutVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
}

}  // namespace
}  // namespace faces_test
