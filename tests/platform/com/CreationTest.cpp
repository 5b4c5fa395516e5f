// Object creation through the runtime: the settings store, modules in memory,
// registered class objects, ProgIDs and GUID text. The test module
// (testmodule/) is the class provider; every test points the settings store
// at a fresh folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "Calculator.h"
#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Guid.h"
#include "platform/com/Object.h"
#include "platform/com/Registration.h"
#include "platform/com/RegistryText.h"
#include "platform/com/Strings.h"
#include "platform/registry/Key.h"
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

TEST_F(Creation, FindsClassesByProgIdFollowingCurVerAndByStrictGuidText) {
  RegisterInStore(kClsidCalculator, kModulePath, "KeltoTest.Calculator.1", "KeltoTest.Calculator");
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(u"keltotest.calculator", &clsid), S_OK);
  EXPECT_EQ(clsid, kClsidCalculator);
  ComPtr<ICalculator> calc;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IidOf<ICalculator>(), calc.PutVoid()),
            S_OK);
  EXPECT_EQ(AddWith(calc.Get(), 2, 3), 5);
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(kClsidCalculator, &progId), S_OK);
  EXPECT_EQ(kelto::com::Utf16ToUtf8(kelto::com::OleView(progId)), "KeltoTest.Calculator.1");
  CoTaskMemFree(progId);

  const CLSID a = MakeGuid("0A000000-0000-4000-8000-00000000000A");
  const CLSID b = MakeGuid("0B000000-0000-4000-8000-00000000000B");
  using kelto::com::WriteRegString;
  WriteRegString(HKEY_CLASSES_ROOT, "KT.V2\\CLSID", nullptr, FormatGuid(b));
  WriteRegString(HKEY_CLASSES_ROOT, "KT.WithClsid\\CLSID", nullptr, FormatGuid(a));
  WriteRegString(HKEY_CLASSES_ROOT, "KT.WithClsid\\CurVer", nullptr, "KT.V2");
  WriteRegString(HKEY_CLASSES_ROOT, "KT.Dangling\\CurVer", nullptr, "KT.Gone");
  ASSERT_EQ(CLSIDFromProgID(u"KT.WithClsid", &clsid), S_OK);
  EXPECT_EQ(clsid, b) << "CurVer wins over the ProgID's own CLSID";
  EXPECT_EQ(CLSIDFromProgID(u"KT.Dangling", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, GUID_NULL);

  const GUID g = MakeGuid("53208990-D5BA-46B7-A7E6-3FEE129F3474");  // text parses strictly
  struct Case {
    const char16_t* text;
    HRESULT hr;
    GUID value;
  } cases[] = {
      {u"{53208990-d5ba-46b7-a7e6-3fee129f3474}", S_OK, g},
      {u"{53208990-D5BA-46B7-A7E6-3FEE129F3474}x", CO_E_CLASSSTRING, GUID_NULL},
      {u"{53208990D5BA-46B7-A7E6-3FEE129F34745}", CO_E_CLASSSTRING, GUID_NULL},
      {u"Unknown.ProgID", CO_E_CLASSSTRING, GUID_NULL},
  };
  for (const Case& c : cases) {
    GUID parsed = g;
    EXPECT_EQ(CLSIDFromString(c.text, &parsed), c.hr) << kelto::com::Utf16ToUtf8(c.text);
    EXPECT_EQ(parsed, c.value) << kelto::com::Utf16ToUtf8(c.text);
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
  ASSERT_EQ(kelto::registry::Key::Create(HKEY_CLASSES_ROOT,
                                         "CLSID\\" + FormatGuid(expanded) + "\\InprocServer32")
                .SetString("",
                           "%KELTO_TEST_MODULE_DIR%/" +
                               std::filesystem::path(kModulePath).filename().string(),
                           REG_EXPAND_SZ),
            ERROR_SUCCESS);

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
}

// --- Modules held by a host ----------------------------------------------------------

TEST_F(Creation, AHostHoldingTheModuleFindsItsClassesWithoutTheStore) {
  const kelto::test::ModuleEntries module = OpenTestModule();
  ASSERT_TRUE(module.getClassObject);
  ComPtr<IClassFactory> factory, again;
  ASSERT_EQ(module.getClassObject(kClsidCalculator, IidOf<IClassFactory>(), factory.PutVoid()),
            S_OK);
  ASSERT_EQ(module.getClassObject(kClsidCalculator, IidOf<IClassFactory>(), again.PutVoid()), S_OK);
  EXPECT_EQ(factory, again) << "factories are cached per class";
  ComPtr<ICalculator> calc;
  EXPECT_EQ(CoCreateInstance(kClsidPlainCalculator, nullptr, CLSCTX_ALL, IidOf<ICalculator>(),
                             calc.PutVoid()),
            S_OK);
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
  HRESULT CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
    ++created;
    return QueryInterface(riid, ppv);  // any object will do
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
  int created = 0;
};

TEST_F(Creation, RegisteredClassObjectsAreFoundBeforeTheStore) {
  RegisterInStore(kClsidCalculator, kModulePath);
  auto factory = kelto::com::MakeObject<CountingFactory>();
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kClsidCalculator, factory.Get(), CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(
      CoCreateInstance(kClsidCalculator, nullptr, CLSCTX_ALL, IidOf<IUnknown>(), object.PutVoid()),
      S_OK);
  EXPECT_EQ(factory->created, 1);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

}  // namespace
