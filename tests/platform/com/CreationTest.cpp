// Object creation through the runtime: the settings store, modules in memory,
// registered class objects, ProgIDs and GUID text. The test module
// (testmodule/) is the class provider; every test points the settings store
// at a fresh folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "Calculator.h"
#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/Guid.h"
#include "platform/com/Object.h"
#include "platform/com/Registration.h"
#include "platform/com/RegistryText.h"
#include "platform/com/Strings.h"
#include "support/ModuleEntries.h"
#include "support/ScriptHost.h"
#include "support/TempDir.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::FormatGuid;
using kelto::com::IidOf;
using kelto::com::MakeGuid;
using kelto::testmodule::ICalculator;
using kelto::testmodule::kClsidCalculator;
using kelto::testmodule::kClsidPlainCalculator;

const std::string kModulePath = KELTO_TEST_MODULE_PATH;

std::string Canonical(const std::string& path) {
  return std::filesystem::weakly_canonical(path).string();
}

bool ModuleListed(bool openedByRuntime) {
  for (const auto& m : kelto::com::LoadedModules())
    if (m.path == Canonical(kModulePath) && m.openedByRuntime == openedByRuntime) return true;
  return false;
}

void RegisterInStore(REFCLSID clsid, const std::string& path, const char* progId = "",
                     const char* viProgId = "") {
  kelto::com::ClassRegistration reg;
  reg.clsid = clsid;
  reg.progId = progId;
  reg.versionIndependentProgId = viProgId;
  reg.description = "Test Object";
  reg.modulePath = path;
  ASSERT_EQ(kelto::com::RegisterClassKeys(reg), S_OK);
}

std::string Value(const std::string& key, const char* name = nullptr) {
  return kelto::com::ReadRegString(HKEY_CLASSES_ROOT, key, name).value_or("<missing>");
}

LONG AddWith(ICalculator* calc, LONG a, LONG b) {
  LONG sum = -1;
  EXPECT_EQ(calc->Add(a, b, &sum), S_OK);
  return sum;
}

// The module's own entry points, for tests that act as a host holding it.
// The handle is kept: closing would let the module go while the runtime may
// still list it.
kelto::test::ModuleEntries OpenTestModule() {
  return kelto::test::OpenModuleEntries(kModulePath.c_str());
}

class Creation : public ::testing::Test {
 protected:
  kelto::test::ScopedConfigHome home_;
};

// --- Creation by CLSID and ProgID ----------------------------------------------------

TEST_F(Creation, CreatesByClsidAndByProgId) {
  RegisterInStore(kClsidCalculator, kModulePath, "KeltoTest.Calculator.1", "KeltoTest.Calculator");

  CLSID byIndependent{}, byString{};
  ASSERT_EQ(CLSIDFromProgID(u"keltotest.calculator", &byIndependent), S_OK);
  ASSERT_EQ(CLSIDFromString(u"KeltoTest.Calculator", &byString), S_OK);
  EXPECT_EQ(byIndependent, kClsidCalculator);
  EXPECT_EQ(byString, kClsidCalculator);
  ComPtr<ICalculator> calc;
  ASSERT_EQ(
      CoCreateInstance(byIndependent, nullptr, CLSCTX_ALL, IidOf<ICalculator>(), calc.PutVoid()),
      S_OK);
  EXPECT_EQ(AddWith(calc.Get(), 2, 3), 5);
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(kClsidCalculator, &progId), S_OK);
  EXPECT_EQ(kelto::com::Utf16ToUtf8(kelto::com::OleView(progId)), "KeltoTest.Calculator.1");
  CoTaskMemFree(progId);
}

TEST_F(Creation, CurVerLeadsToTheCurrentVersion) {
  const CLSID a = MakeGuid("0A000000-0000-4000-8000-00000000000A");
  const CLSID b = MakeGuid("0B000000-0000-4000-8000-00000000000B");
  using kelto::com::WriteRegString;
  WriteRegString(HKEY_CLASSES_ROOT, "KT.V2\\CLSID", nullptr, FormatGuid(b));
  WriteRegString(HKEY_CLASSES_ROOT, "KT.WithClsid\\CLSID", nullptr, FormatGuid(a));
  WriteRegString(HKEY_CLASSES_ROOT, "KT.WithClsid\\CurVer", nullptr, "KT.V2");
  WriteRegString(HKEY_CLASSES_ROOT, "KT.Dangling\\CurVer", nullptr, "KT.Gone");

  struct Case {
    const char16_t* progId;
    HRESULT hr;
    CLSID clsid;
  } cases[] = {
      {u"KT.WithClsid", S_OK, b},  // CurVer wins over the ProgID's own CLSID
      {u"KT.Dangling", CO_E_CLASSSTRING, GUID_NULL},
  };
  for (const Case& c : cases) {
    const std::string name = kelto::com::Utf16ToUtf8(c.progId);
    CLSID clsid = MakeGuid("FFFFFFFF-0000-4000-8000-00000000FFFF");
    EXPECT_EQ(CLSIDFromProgID(c.progId, &clsid), c.hr) << name;
    EXPECT_EQ(clsid, c.clsid) << name;
  }
}

// --- Failures ------------------------------------------------------------------------

TEST_F(Creation, ReportsWhyAClassCannotBeCreated) {
  const CLSID unknown = MakeGuid("0C000000-0000-4000-8000-00000000000C");
  const CLSID missingFile = MakeGuid("0D000000-0000-4000-8000-00000000000D");
  const CLSID noEntryPoint = MakeGuid("0E000000-0000-4000-8000-00000000000E");
  const CLSID notServed = MakeGuid("0F000000-0000-4000-8000-00000000000F");
  const CLSID expanded = MakeGuid("10000000-0000-4000-8000-000000000010");
  RegisterInStore(missingFile, (home_.path() / "no-such-module.so").string());
  // The runtime itself is a shared library without DllGetClassObject.
  RegisterInStore(noEntryPoint,
                  kelto::com::ModulePathOf(reinterpret_cast<const void*>(&CoCreateInstance)));
  RegisterInStore(notServed, kModulePath);
  // REG_EXPAND_SZ paths name environment variables.
  setenv("KELTO_TEST_MODULE_DIR", std::filesystem::path(kModulePath).parent_path().c_str(), 1);
  {
    const std::string key = "CLSID\\" + FormatGuid(expanded) + "\\InprocServer32";
    const std::string value =
        "%KELTO_TEST_MODULE_DIR%/" + std::filesystem::path(kModulePath).filename().string();
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExA(k, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)),
        ERROR_SUCCESS);
    RegCloseKey(k);
  }

  struct Case {
    const char* what;
    CLSID clsid;
    DWORD context;
    HRESULT hr;
  } cases[] = {
      {"not registered", unknown, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
      {"library missing", missingFile, CLSCTX_ALL, CO_E_DLLNOTFOUND},
      {"no entry point", noEntryPoint, CLSCTX_ALL, CO_E_ERRORINDLL},
      {"module does not serve it", notServed, CLSCTX_INPROC_SERVER, CLASS_E_CLASSNOTAVAILABLE},
      {"expanded path opens the module", expanded, CLSCTX_ALL, CLASS_E_CLASSNOTAVAILABLE},
      {"no in-process context", kClsidCalculator, CLSCTX_LOCAL_SERVER, REGDB_E_CLASSNOTREG},
  };
  for (const Case& c : cases) {
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, c.context, IidOf<IUnknown>(), &object), c.hr)
        << c.what;
    EXPECT_EQ(object, nullptr) << c.what;
  }
  unsetenv("KELTO_TEST_MODULE_DIR");

  // A module that cannot be opened leaves the loader's message behind.
  SetErrorInfo(0, nullptr);
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(missingFile, nullptr, CLSCTX_ALL, IidOf<IUnknown>(), &object),
            CO_E_DLLNOTFOUND);
  const std::string description = kelto::test::TakePending().text;
  EXPECT_NE(description.find("no-such-module.so"), std::string::npos) << description;

  RegisterInStore(kClsidCalculator, kModulePath);
  void* inner = nullptr;
  EXPECT_EQ(CoCreateInstance(kClsidCalculator, nullptr, CLSCTX_ALL, IidOf<IStream>(), &inner),
            E_NOINTERFACE);
}

// --- Module lifetime -----------------------------------------------------------------

TEST_F(Creation, ModuleCountsLiveObjectsAndServerLocks) {
  const kelto::test::ModuleEntries module = OpenTestModule();
  ASSERT_TRUE(module.getClassObject && module.canUnloadNow);
  ASSERT_EQ(module.canUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory, again;
  ASSERT_EQ(module.getClassObject(kClsidCalculator, IidOf<IClassFactory>(), factory.PutVoid()),
            S_OK);
  ASSERT_EQ(module.getClassObject(kClsidCalculator, IidOf<IClassFactory>(), again.PutVoid()), S_OK);
  EXPECT_EQ(factory, again) << "factories are cached per class";
  EXPECT_EQ(module.canUnloadNow(), S_OK) << "held factories do not keep the module busy";

  ComPtr<ICalculator> calc;
  ASSERT_EQ(factory->CreateInstance(nullptr, IidOf<ICalculator>(), calc.PutVoid()), S_OK);
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);
  // A host holding the module finds its classes without the store.
  ComPtr<ICalculator> viaRuntime;
  ASSERT_EQ(CoCreateInstance(kClsidPlainCalculator, nullptr, CLSCTX_ALL, IidOf<ICalculator>(),
                             viaRuntime.PutVoid()),
            S_OK);
  EXPECT_TRUE(ModuleListed(false) || ModuleListed(true));
  calc.Reset();
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);
  viaRuntime.Reset();
  EXPECT_EQ(module.canUnloadNow(), S_OK);
}

// The module's own table and the caller's locale are the module tests'; here
// the runtime's part: both class families, replacing, sharing ProgIDs.
TEST_F(Creation, ModuleRegistersAndUnregistersItsClasses) {
  const kelto::test::ModuleEntries module = OpenTestModule();
  ASSERT_TRUE(module.registerServer && module.unregisterServer);
  ASSERT_EQ(module.registerServer(), S_OK);

  const std::string key = "CLSID\\" + FormatGuid(kClsidCalculator);
  const std::string plain = "CLSID\\" + FormatGuid(kClsidPlainCalculator);
  EXPECT_EQ(Value(key + "\\InprocServer32"), Canonical(kModulePath));
  EXPECT_EQ(Value(plain + "\\InprocServer32", "ThreadingModel"), "Both");

  // Registering again replaces the CLSID key rather than merging into it.
  kelto::com::WriteRegString(HKEY_CLASSES_ROOT, key + "\\Stale", nullptr, "x");
  ASSERT_EQ(module.registerServer(), S_OK);
  EXPECT_FALSE(kelto::com::RegKeyExists(HKEY_CLASSES_ROOT, key + "\\Stale"));

  // A ProgID another class has taken over since survives unregistration.
  kelto::com::WriteRegString(HKEY_CLASSES_ROOT, "KeltoTest.Calculator.1\\CLSID", nullptr,
                             "{12000000-0000-4000-8000-000000000012}");
  ASSERT_EQ(module.unregisterServer(), S_OK);
  EXPECT_FALSE(kelto::com::RegKeyExists(HKEY_CLASSES_ROOT, key));
  EXPECT_FALSE(kelto::com::RegKeyExists(HKEY_CLASSES_ROOT, plain));
  EXPECT_FALSE(kelto::com::RegKeyExists(HKEY_CLASSES_ROOT, "KeltoTest.Calculator"));
  EXPECT_TRUE(kelto::com::RegKeyExists(HKEY_CLASSES_ROOT, "KeltoTest.Calculator.1"));
  EXPECT_EQ(module.unregisterServer(), S_OK) << "unregistering twice is harmless";
}

// --- Registered class objects ------------------------------------------------------

class CountingFactory : public kelto::com::Object<CountingFactory, IClassFactory> {
 public:
  explicit CountingFactory(bool* destroyed) : destroyed_(destroyed) {}
  ~CountingFactory() override { *destroyed_ = true; }
  HRESULT CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
    ++created;
    return QueryInterface(riid, ppv);  // any object will do
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
  int created = 0;

 private:
  bool* destroyed_;
};

TEST_F(Creation, RegisteredClassObjectsAreFoundFirst) {
  RegisterInStore(kClsidCalculator, kModulePath);
  bool destroyed = false;
  DWORD cookie = 0;
  {
    auto factory = kelto::com::MakeObject<CountingFactory>(&destroyed);
    ASSERT_EQ(CoRegisterClassObject(kClsidCalculator, factory.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(kClsidCalculator, nullptr, CLSCTX_ALL, IidOf<IUnknown>(),
                               object.PutVoid()),
              S_OK);
    EXPECT_EQ(factory->created, 1);
  }
  EXPECT_FALSE(destroyed) << "the registration holds a reference";
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);

  // After revocation the module behind the store serves the class again.
  ComPtr<ICalculator> calc;
  ASSERT_EQ(
      CoCreateInstance(kClsidCalculator, nullptr, CLSCTX_ALL, IidOf<ICalculator>(), calc.PutVoid()),
      S_OK);
  EXPECT_EQ(AddWith(calc.Get(), 1, 1), 2);
}

// --- GUID text, apartment, thread locale ---------------------------------------------

TEST(CreationText, GuidTextParsesAndFormats) {
  const GUID g = MakeGuid("53208990-D5BA-46B7-A7E6-3FEE129F3474");
  OLECHAR buffer[39];
  EXPECT_EQ(StringFromGUID2(g, buffer, 38), 0);  // no room for the terminator
  ASSERT_EQ(StringFromGUID2(g, buffer, 39), 39);
  EXPECT_EQ(std::u16string(buffer), u"{53208990-D5BA-46B7-A7E6-3FEE129F3474}");
  EXPECT_EQ(FormatGuid(g), "{53208990-D5BA-46B7-A7E6-3FEE129F3474}");
  EXPECT_EQ(kelto::com::ParseGuid("53208990-d5ba-46b7-a7e6-3fee129f3474"), g);
  kelto::test::ScopedConfigHome home;
  struct Case {
    const char16_t* text;
    HRESULT clsidHr;
    HRESULT iidHr;
    GUID value;
  } cases[] = {
      {u"{53208990-d5ba-46b7-a7e6-3fee129f3474}", S_OK, S_OK, g},
      {u"{53208990-D5BA-46B7-A7E6-3FEE129F3474}x", CO_E_CLASSSTRING, E_INVALIDARG, GUID_NULL},
      {u"{53208990D5BA-46B7-A7E6-3FEE129F34745}", CO_E_CLASSSTRING, E_INVALIDARG, GUID_NULL},
      {u"Unknown.ProgID", CO_E_CLASSSTRING, E_INVALIDARG, GUID_NULL},
      {u"", S_OK, E_INVALIDARG, GUID_NULL},
      {nullptr, S_OK, S_OK, GUID_NULL},
  };
  for (const Case& c : cases) {
    const std::string what = c.text ? kelto::com::Utf16ToUtf8(c.text) : "(null)";
    GUID clsid = g, iid = g;
    EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.clsidHr) << what;
    EXPECT_EQ(clsid, c.value) << what;
    EXPECT_EQ(IIDFromString(c.text, &iid), c.iidHr) << what;
    EXPECT_EQ(iid, c.value) << what;
  }
}

}  // namespace
