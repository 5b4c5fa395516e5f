// HKEY_CLASSES_ROOT as the user's classes merged over the machine's, the
// machine's store behind HKEY_LOCAL_MACHINE, and RegOverridePredefKey.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/Key.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace {

using kelto::registry::Key;

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
  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{A}\\InprocServer32"), nullptr, "/usr/lib/a.so");
  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{A}\\InprocServer32"), "ThreadingModel", "Apartment");
  Write(HKEY_LOCAL_MACHINE, Machine("CLSID\\{B}"), nullptr, "machine B");
  EXPECT_TRUE(std::filesystem::exists(config_.machinePath() / "kelto3d" / "registry.sqlite"));
  Write(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", nullptr, "/home/me/a.so");
  Write(HKEY_CLASSES_ROOT, "CLSID\\{C}", nullptr, "user C");
  // Where both have a value the user's wins; values of one key merge.
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), "/home/me/a.so");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Children(HKEY_CLASSES_ROOT, "CLSID"),
            (std::vector<std::string>{"{A}", "{B}", "{C}"}));
  // The user's writes stayed in the user's store.
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, Machine("CLSID\\{C}")), std::nullopt);

  // Removing the user's key through the merged root uncovers the machine's.
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_SUCCESS);
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), "/usr/lib/a.so");
  // ... and never reaches into the machine's.
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{B}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "CLSID\\{B}"), "machine B");
}

TEST_F(ClassesView, AMachineWithoutAStoreReadsEmptyAndMakesNoFile) {
  HKEY h = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachineClasses, 0, KEY_READ, &h),
            ERROR_FILE_NOT_FOUND);
  Write(HKEY_CLASSES_ROOT, "Some.Class\\CLSID", nullptr, "{X}");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "Some.Class\\CLSID"), "{X}");
  EXPECT_FALSE(std::filesystem::exists(config_.machinePath()));
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
