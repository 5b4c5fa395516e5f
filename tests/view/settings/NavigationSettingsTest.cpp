// The motion frames' budget in the settings store: what a save writes, and
// which stored values a load takes as a budget.
#include "view/settings/NavigationSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace {

constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001u);
constexpr char kKey[] = "Software\\Corvane\\Viewer";

// Writes the value as a host would, type and bytes as given.
void Store(DWORD type, const void* data, DWORD size) {
  HKEY k = nullptr;
  const std::string path = std::string(kKey) + "\\" + kNavigationSettingsKey;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(k, kInteractionBudgetValue, 0, type, static_cast<const BYTE*>(data),
                           size),
            ERROR_SUCCESS);
  RegCloseKey(k);
}

TEST(NavigationSettings, ASaveComesBackRoundedAndWithinTheRange) {
  const struct {
    double saved, loaded;
  } cases[] = {{100, 100}, {42.6, 43}, {0.2, 1}, {-5, 1}, {1e9, 10000},
               {std::numeric_limits<double>::infinity(), 10000},
               {std::numeric_limits<double>::quiet_NaN(), 10000}};
  for (const auto& c : cases) {
    kelto::test::ScopedConfigHome home;
    ASSERT_EQ(SaveNavigationSettings(c.saved, kCurrentUser, kKey), S_OK) << c.saved;
    double budget = -1;
    EXPECT_TRUE(LoadNavigationSettings(kCurrentUser, kKey, budget)) << c.saved;
    EXPECT_EQ(budget, c.loaded) << c.saved;
  }
}

TEST(NavigationSettings, OnlyADwordWithinTheRangeIsABudget) {
  const DWORD zero = 0, beyond = 10001, fine = 250;
  const char text[] = "250";
  const unsigned char shortValue[2] = {250, 0};
  const struct {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
    bool loads;
  } cases[] = {
      {"nothing stored", REG_NONE, nullptr, 0, false},
      {"zero", REG_DWORD, &zero, 4, false},
      {"beyond ten seconds", REG_DWORD, &beyond, 4, false},
      {"text", REG_SZ, text, sizeof text, false},
      {"two bytes", REG_BINARY, shortValue, 2, false},
      {"250 ms", REG_DWORD, &fine, 4, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kelto::test::ScopedConfigHome home;
    if (c.type != REG_NONE) Store(c.type, c.data, c.size);
    double budget = -1;
    EXPECT_EQ(LoadNavigationSettings(kCurrentUser, kKey, budget), c.loads);
    EXPECT_EQ(budget, c.loads ? 250.0 : -1.0) << "untouched unless loaded";
  }
  EXPECT_EQ(SaveNavigationSettings(100, 12345, kKey), E_FAIL) << "not an open key";
}

}  // namespace
