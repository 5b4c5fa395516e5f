// The motion budget in the settings store: a save read back within the
// range, and only a REG_DWORD within it taken as a budget.
#include "view/settings/NavigationSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/registry/Registry.h"
#include "support/TempDir.h"

TEST(NavigationSettings, OnlyADwordWithinTheRangeIsABudget) {
  constexpr LONG kUser = static_cast<LONG>(0x80000001u);
  const std::string key = "Software\\Corvane\\Viewer", path = key + "\\Navigation Settings";
  const struct {
    double saved;  // NAN: `raw` written as a host would, of `type`
    DWORD type, raw;
    double loaded;  // -1: not loaded
  } cases[] = {{42.6, 0, 0, 43},
               {1e9, 0, 0, 10000},
               {NAN, REG_DWORD, 10001, -1},
               {NAN, REG_SZ, 250, -1},
               {NAN, REG_DWORD, 250, 250}};
  for (const auto& c : cases) {
    kelto::test::ScopedConfigHome home;
    if (!std::isnan(c.saved)) {
      ASSERT_EQ(SaveNavigationSettings(c.saved, kUser, key), S_OK);
    } else {
      HKEY k = nullptr;
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr);
      RegSetValueExA(k, "InteractionBudget", 0, c.type, reinterpret_cast<const BYTE*>(&c.raw), 4);
      RegCloseKey(k);
    }
    double budget = -1;
    EXPECT_EQ(LoadNavigationSettings(kUser, key, budget), c.loaded >= 0) << c.saved << " " << c.raw;
    EXPECT_EQ(budget, c.loaded) << c.saved << " " << c.raw;
  }
  EXPECT_EQ(SaveNavigationSettings(100, 12345, key), E_FAIL) << "not an open key";
}
