// The renderer's options in the settings store: the documented layout of
// the values, a save read back, and keys without settings.
#include "view/settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/Signals.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/Registry.h"
#include "render/GLRenderer.h"
#include "support/TempDir.h"

namespace {

constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001u);
constexpr char kKey[] = "Software\\Corvane\\Viewer";

// One raw registry value, read through the runtime's registry functions.
struct Raw {
  DWORD type = REG_NONE;
  std::string text;
  DWORD dword = 0;
  bool operator==(const Raw&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Raw& r) {
  return os << "type " << r.type << " text \"" << r.text << "\" dword " << r.dword;
}

Raw Query(HKEY key, const char* name) {
  Raw r;
  char data[256] = {};
  DWORD size = sizeof data - 1;
  if (RegQueryValueExA(key, name, nullptr, &r.type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return {};
  if (r.type == REG_DWORD)
    std::memcpy(&r.dword, data, 4);
  else
    r.text = data;
  return r;
}

Raw Sz(std::string s) { return {REG_SZ, std::move(s), 0}; }
Raw Dword(DWORD d) { return {REG_DWORD, {}, d}; }

HKEY Create(const char* path) {
  HKEY k = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  return k;
}

struct Notices : sigslot::has_slots<> {
  std::vector<COptions::Names> got;
  void On(COptions::Names n) { got.push_back(n); }
};

class RegistrySettings : public ::testing::Test {
 protected:
  RegistrySettings() { loaded_.GetOptions().changedSignal.connect(&notices_, &Notices::On); }
  kelto::test::ScopedConfigHome home_;
  CGLRenderer saved_, loaded_;  // never initialised: options only
  Notices notices_;
};

// Every option of each type comes back with its type, in one notice.
TEST_F(RegistrySettings, SaveWritesTheDocumentedLayoutAndLoadRestoresIt) {
  COptions& o = saved_.GetOptions();
  const std::pair<const char*, _variant_t> values[] = {
      {"AxesRight", true}, {"AxesSize", 75}, {"AxesTop", false}, {"NormalLineWidth", 1.5f}};
  for (const auto& [name, value] : values) o.Set(name, value);
  ASSERT_EQ(SaveSettingsToRegistry(o, kCurrentUser, kKey), S_OK);
  EXPECT_FALSE(o.IsModified());
  HKEY k = Create((std::string(kKey) + "\\Graphics Settings").c_str());
  const std::pair<const char*, Raw> expected[] = {
      {"Length", Dword(14)},  {"0.Name", Sz("AxesRight")}, {"0.Value", Dword(0xFFFFFFFF)},
      {"1.Value", Dword(75)}, {"2.Value", Dword(0)},       {"8.Name", Sz("NormalLineWidth")},
      {"8.Value", Sz("1.5")}, {"10.Value", Sz("1")},       {"13.Name", Sz("ViewLimits")},
      {"14.Name", Raw{}},
  };
  for (const auto& [name, raw] : expected) EXPECT_EQ(Query(k, name), raw) << name;
  RegCloseKey(k);

  ASSERT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, kKey), S_OK);
  for (const auto& [name, value] : values) EXPECT_EQ(loaded_.GetOptions().Get(name), value) << name;
  ASSERT_EQ(notices_.got.size(), 1u) << "one notice for the whole load";
  EXPECT_EQ(notices_.got[0].size(), 14u);
  EXPECT_FALSE(loaded_.GetOptions().IsModified());
}

TEST_F(RegistrySettings, KeysWithoutSettingsLoadNothingAndMissingOrBadKeysFail) {
  HKEY k = Create("Software\\Empty");
  const LONG handle = static_cast<LONG>(reinterpret_cast<LONG_PTR>(k));
  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), handle, ""), S_OK)
      << "an open key handle as the parent, the empty path naming it";
  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, "Software\\Empty"), S_OK);
  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, "Software\\Missing"),
            E_FAIL);
  kelto::com::ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_FALSE) << "no error information";
  EXPECT_TRUE(notices_.got.empty());
  EXPECT_EQ(loaded_.GetOptions().Get("Edges").lVal, 16);
  EXPECT_EQ(SaveSettingsToRegistry(saved_.GetOptions(), 12345, kKey), E_FAIL) << "not an open key";
  RegCloseKey(k);
}

}  // namespace
