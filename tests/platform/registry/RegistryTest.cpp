#include "platform/registry/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/registry/Key.h"
#include "support/TempDir.h"

using kelto::registry::Key;

namespace {

using Bytes = std::vector<BYTE>;

// Every test runs against a store of its own in a temporary config folder.
class RegistryTest : public ::testing::Test {
 protected:
  // Creates (or opens) a key below HKEY_CURRENT_USER; fails the test otherwise.
  static HKEY Make(const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY h = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &h, nullptr),
              ERROR_SUCCESS)
        << path;
    return h;
  }
  static LSTATUS Open(HKEY parent, const char* path, REGSAM access, HKEY* out) {
    return RegOpenKeyExA(parent, path, 0, access, out);
  }
  static LSTATUS SetSz(HKEY h, const char* name, const char* text) {
    return RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
  }
  static LSTATUS SetDword(HKEY h, const char* name, DWORD v) {
    return RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  // The value's type and bytes, or the failure status in `status`.
  static Bytes Query(HKEY h, const char* name, DWORD* type = nullptr, LSTATUS* status = nullptr) {
    DWORD size = 0;
    LSTATUS s = RegQueryValueExA(h, name, nullptr, type, nullptr, &size);
    Bytes data(size);
    if (s == ERROR_SUCCESS) s = RegQueryValueExA(h, name, nullptr, type, data.data(), &size);
    if (status) *status = s;
    return s == ERROR_SUCCESS ? data : Bytes{};
  }
  static std::vector<std::string> SubKeys(HKEY h) {
    std::vector<std::string> names;
    char buf[300];
    for (DWORD i = 0;; ++i) {
      DWORD cch = sizeof buf;
      const LSTATUS s = RegEnumKeyExA(h, i, buf, &cch, nullptr, nullptr, nullptr, nullptr);
      if (s == ERROR_NO_MORE_ITEMS) break;
      EXPECT_EQ(s, ERROR_SUCCESS);
      if (s != ERROR_SUCCESS) break;
      names.emplace_back(buf, cch);
    }
    return names;
  }

  kelto::test::ScopedConfigHome config_;
};

Bytes Sz(const char* text) { return Bytes(text, text + std::strlen(text) + 1); }

}  // namespace

TEST_F(RegistryTest, PathsAreFoundWithoutCaseAndChecked) {
  struct Case {
    const char* path;
    LSTATUS open;    // RegOpenKeyExA below HKCU, where "A\B" exists
    LSTATUS create;  // RegCreateKeyExA
  };
  RegCloseKey(Make("A\\B"));  // with its parent
  EXPECT_TRUE(std::filesystem::exists(config_.path() / "kelto3d" / "registry.sqlite"));
  const std::string tooLong(256, 'x');
  const Case cases[] = {
      {"a\\b\\", ERROR_SUCCESS, ERROR_SUCCESS},
      {"A\\Missing", ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"\\A", ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
      {tooLong.c_str(), ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
      {"", ERROR_SUCCESS, ERROR_SUCCESS},  // a new handle to the key itself
      {nullptr, ERROR_SUCCESS, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    HKEY h = nullptr;
    EXPECT_EQ(Open(HKEY_CURRENT_USER, c.path, KEY_READ, &h), c.open) << (c.path ? c.path : "null");
    EXPECT_EQ(RegCloseKey(h), c.open == ERROR_SUCCESS ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    h = nullptr;
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, c.path, 0, nullptr, 0, KEY_READ, nullptr, &h, nullptr),
        c.create)
        << (c.path ? c.path : "null");
    RegCloseKey(h);
  }
  // The roots are separate trees of the one store.
  HKEY h = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "A", KEY_READ, &h), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytesAndTheDefaultValueHasNoName) {
  HKEY h = Make("Values");
  struct Case {
    const char* name;
    DWORD type;
    Bytes in;
    Bytes stored;
  };
  const Case cases[] = {
      {"Text", REG_SZ, Sz("AxesRight"), Sz("AxesRight")},
      {"Flag", REG_DWORD, Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"Blob", REG_BINARY, Bytes{0, 1, 0}, Bytes{0, 1, 0}},
      // A string whose count leaves out the terminator still reads back terminated.
      {"Unterminated", REG_SZ, Bytes{'a', 'b'}, Sz("ab")},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExA(h, c.name, 0, c.type, c.in.data(), static_cast<DWORD>(c.in.size())),
              ERROR_SUCCESS)
        << c.name;
    DWORD type = 99;
    EXPECT_EQ(Query(h, c.name, &type), c.stored) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
  }
  // Names compare without case; a rewrite may change the type.
  EXPECT_EQ(SetDword(h, "TEXT", 5), ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(Query(h, "text", &type), (Bytes{5, 0, 0, 0}));
  EXPECT_EQ(type, REG_DWORD);
  // A missing value, and the default value (null or empty name) before it is set.
  LSTATUS status = 0;
  Query(h, "Missing", nullptr, &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  Query(h, nullptr, nullptr, &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);  // not set yet
  ASSERT_EQ(SetSz(h, nullptr, "ModelNode Class"), ERROR_SUCCESS);
  EXPECT_EQ(Query(h, ""), Sz("ModelNode Class"));
  RegCloseKey(h);
}

TEST_F(RegistryTest, EnumerationIsSortedWithoutCaseAndReportsSmallBuffers) {
  HKEY h = Make("Enum");
  for (const char* name : {"beta", "Alpha", "_under", "Gamma", "alpha2"})
    RegCloseKey(Make((std::string("Enum\\") + name).c_str()));
  // Upper-case folding puts '_' after the letters, as the platform sorts.
  const std::vector<std::string> sorted{"Alpha", "alpha2", "beta", "Gamma", "_under"};
  EXPECT_EQ(SubKeys(h), sorted);
  char name[5];  // "Alpha" needs 6 with its terminator
  DWORD cch = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(cch, 5u);  // the length the name needs, without the terminator
  RegCloseKey(h);
}

TEST_F(RegistryTest, DeleteTreeTakesTheSubkeysOrEmptiesTheKeyItself) {
  RegCloseKey(Make("Tree\\A\\B"));
  RegCloseKey(Make("Tree\\D"));
  HKEY tree = Make("Tree");
  ASSERT_EQ(SetSz(tree, "Own", "value"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeA(tree, "A"), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(tree), std::vector<std::string>{"D"});
  // Without a subkey the key is emptied but stays.
  EXPECT_EQ(RegDeleteTreeA(tree, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(tree), std::vector<std::string>{});
  LSTATUS status = 0;
  Query(tree, "Own", nullptr, &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  RegCloseKey(tree);
}

TEST_F(RegistryTest, HandlesSurviveATripThroughA32BitInteger) {
  HKEY h = Make("Handles");
  const auto asInt = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h));
  EXPECT_EQ(SetDword(reinterpret_cast<HKEY>(static_cast<std::intptr_t>(asInt)), "Length", 14),
            ERROR_SUCCESS);
  // A predefined root zero-extended, as a host holding an unsigned 32-bit
  // value passes it.
  HKEY viaUnsigned = nullptr;
  const HKEY zeroExtended = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
  ASSERT_EQ(Open(zeroExtended, "Handles", KEY_READ, &viaUnsigned), ERROR_SUCCESS);
  EXPECT_EQ(Query(viaUnsigned, "Length"), (Bytes{14, 0, 0, 0}));
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);  // closing a root is harmless
  for (HKEY k : {h, viaUnsigned}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);

  for (std::uintptr_t bogus : {std::uintptr_t{0x7FFFFFF0}, std::uintptr_t{0x180000001}})
    EXPECT_EQ(SetDword(reinterpret_cast<HKEY>(bogus), "X", 1), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ConcurrentWritersInSeveralProcessesLoseNothing) {
  RegCloseKey(Make("Busy"));
  constexpr int kWriters = 3;
  constexpr int kValuesEach = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    children.push_back(fork());
    if (children.back() != 0) continue;
    int failures = 0;  // the child's exit code
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Busy", 0, KEY_WRITE, &k) != ERROR_SUCCESS) _exit(100);
    for (int i = 0; i < kValuesEach; ++i)
      failures += SetDword(k, ("w" + std::to_string(w) + "." + std::to_string(i)).c_str(),
                           static_cast<DWORD>(w * 1000 + i)) != ERROR_SUCCESS;
    _exit(failures);
  }
  for (pid_t child : children) {
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  Key key = Key::Open(HKEY_CURRENT_USER, "Busy");
  ASSERT_TRUE(key);
  EXPECT_EQ(key.ValueNames().size(), static_cast<std::size_t>(kWriters * kValuesEach));
  EXPECT_EQ(key.GetDword("w2.39"), 2039u);
}

TEST_F(RegistryTest, AStoreThatCannotBeOpenedFailsReadsAndWrites) {
  const auto blocker = config_.path() / "not-a-folder";
  std::FILE* f = std::fopen(blocker.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);  // the fixture restores it
  HKEY h = nullptr;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "Software", KEY_READ, &h), ERROR_CANTREAD);
  EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "X", 1), ERROR_CANTWRITE);
  EXPECT_EQ(h, nullptr);
}

// --- HKEY_CLASSES_ROOT: the user's classes merged over the machine's --------

namespace {

constexpr const char* kMachineClasses = "Software\\Classes";

class ClassesView : public ::testing::Test {
 protected:
  static void Write(HKEY root, const std::string& path, const char* value, const char* text) {
    Key key = Key::Create(root, path);
    ASSERT_TRUE(key) << path;
    ASSERT_EQ(key.SetString(value ? value : "", text), ERROR_SUCCESS) << path;
  }
  static std::optional<std::string> Read(HKEY root, const std::string& path,
                                         const char* value = "") {
    Key key = Key::Open(root, path);
    return key ? key.GetString(value) : std::nullopt;
  }
  static std::vector<std::string> Children(HKEY root, const std::string& path) {
    Key key = Key::Open(root, path);
    return key ? key.SubKeyNames() : std::vector<std::string>{};
  }
  static std::string Machine(const std::string& path) {
    return std::string(kMachineClasses) + "\\" + path;
  }

  kelto::test::ScopedConfigHome config_;
};

TEST_F(ClassesView, TheUsersKeysShadowTheMachinesAndSubkeysMerge) {
  // Without a machine store the view reads the user's alone and makes no file.
  Write(HKEY_CLASSES_ROOT, "CLSID\\{C}", nullptr, "user C");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{C}"), "user C");
  EXPECT_FALSE(std::filesystem::exists(config_.machinePath()));

  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{A}\\InprocServer32"), nullptr, "/usr/lib/a.so");
  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{A}\\InprocServer32"), "ThreadingModel", "Apartment");
  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{B}"), nullptr, "machine B");
  EXPECT_TRUE(std::filesystem::exists(config_.machinePath() / "kelto3d" / "registry.sqlite"));
  Write(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", nullptr, "/home/me/a.so");
  // Where both have a value the user's wins; values of one key merge.
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), "/home/me/a.so");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Children(HKEY_CLASSES_ROOT, "CLSID"), (std::vector<std::string>{"{A}", "{B}", "{C}"}));
  // The user's writes stayed in the user's store.
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, Machine("CLSID\\{C}")), std::nullopt);

  // Removing the user's key through the merged root uncovers the machine's.
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), "/usr/lib/a.so");
  // ... and never reaches into the machine's.
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{B}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{B}"), "machine B");
}

TEST_F(ClassesView, AnOverriddenClassesRootWritesTheMachinesClasses) {
  {
    Key classes = Key::Create(HKEY_LOCAL_MACHINE, kMachineClasses);
    ASSERT_TRUE(classes);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.Get()), ERROR_SUCCESS);
  }  // the override keeps its own reference
  Write(HKEY_CLASSES_ROOT, "CLSID\\{S}", nullptr, "system");
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr), ERROR_SUCCESS);

  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, Machine("CLSID\\{S}")), "system");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{S}"), "system");
}

}  // namespace
