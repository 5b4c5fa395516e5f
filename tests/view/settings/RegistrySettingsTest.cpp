#include "view/settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/Signals.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "platform/registry/Registry.h"
#include "render/GLRenderer.h"
#include "support/TempDir.h"
#include "view/settings/RegPropertyBag.h"

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

double Number(const VARIANT& v) {
  return v.vt == VT_R4 ? v.fltVal : v.vt == VT_BOOL ? v.boolVal : v.lVal;
}

struct Notices : sigslot::has_slots<> {
  std::vector<COptions::Names> got;
  void On(COptions::Names n) { got.push_back(n); }
};

class RegistrySettings : public ::testing::Test {
 protected:
  HKEY Open(const std::string& path) {
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
    return k;
  }
  kelto::test::ScopedConfigHome home_;
  CGLRenderer saved_, loaded_;  // never initialised: options only
};

TEST_F(RegistrySettings, SaveThenLoadRestoresEveryOption) {
  COptions& o = saved_.GetOptions();
  const std::pair<const char*, _variant_t> values[] = {
      {"AxesRight", true},          {"AxesSize", 75},        {"AxesTop", false},
      {"BackgroundColour", 0x3020FF}, {"BendSteps", 12},      {"CylStacks", 3},
      {"Edges", 24},                {"KeyPrecision", 2},     {"NormalLineWidth", 2.5f},
      {"NormalizeScale", true},     {"SelectedLineWidth", 0.75f}, {"ShowDebugInfo", true},
      {"SnoutSteps", 4},            {"ViewLimits", false},
  };
  for (const auto& [name, value] : values) o.Set(name, value);
  ASSERT_EQ(SaveSettingsToRegistry(o, kCurrentUser, kKey), S_OK);
  EXPECT_FALSE(o.IsModified());

  Notices notices;
  loaded_.GetOptions().changedSignal.connect(&notices, &Notices::On);
  ASSERT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, kKey), S_OK);
  for (const auto& [name, value] : values) {
    SCOPED_TRACE(name);
    const _variant_t got = loaded_.GetOptions().Get(name);
    ASSERT_EQ(got.vt, value.vt);
    EXPECT_EQ(Number(got), Number(value));
  }
  ASSERT_EQ(notices.got.size(), 1u) << "one notice for the whole load";
  EXPECT_EQ(notices.got[0].size(), 14u);
  EXPECT_FALSE(loaded_.GetOptions().IsModified());
}

TEST_F(RegistrySettings, RawValuesAreThoseOfThePropertyBagLayout) {
  saved_.GetOptions().Set("NormalLineWidth", _variant_t(1.5f));
  ASSERT_EQ(SaveSettingsToRegistry(saved_.GetOptions(), kCurrentUser, kKey), S_OK);
  HKEY k = Open(std::string(kKey) + "\\Graphics Settings");
  const std::pair<const char*, Raw> expected[] = {
      {"Length", Dword(14)},          {"0.Name", Sz("AxesRight")},  {"0.Value", Dword(0)},
      {"2.Name", Sz("AxesTop")},      {"2.Value", Dword(0xFFFFFFFF)},
      {"1.Value", Dword(50)},         {"8.Name", Sz("NormalLineWidth")},
      {"8.Value", Sz("1.5")},         {"10.Value", Sz("1")},        {"13.Name", Sz("ViewLimits")},
      {"14.Name", Raw{}},
  };
  for (const auto& [name, raw] : expected) EXPECT_EQ(Query(k, name), raw) << name;
  RegCloseKey(k);
}

TEST_F(RegistrySettings, LoadingFromAKeyWithoutSettingsOrFromNoKey) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Empty", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k, nullptr),
            ERROR_SUCCESS);
  Notices notices;
  loaded_.GetOptions().changedSignal.connect(&notices, &Notices::On);
  const LONG handle = static_cast<LONG>(reinterpret_cast<LONG_PTR>(k));
  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), handle, ""), S_OK)
      << "an open key handle as the parent, the empty path naming it";
  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, "Software\\Empty"), S_OK);
  EXPECT_TRUE(notices.got.empty());

  EXPECT_EQ(LoadSettingsFromRegistry(loaded_.GetOptions(), kCurrentUser, "Software\\Missing"),
            E_FAIL);
  kelto::com::ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_FALSE) << "no error information";
  EXPECT_TRUE(notices.got.empty());
  EXPECT_EQ(loaded_.GetOptions().Get("Edges").lVal, 16);
  RegCloseKey(k);
}

TEST_F(RegistrySettings, SavingIntoAKeyThatCannotBeMadeFails) {
  EXPECT_EQ(SaveSettingsToRegistry(saved_.GetOptions(), 12345, kKey), E_FAIL)
      << "not an open key";
}

TEST(RegPropertyBag, ValueTypesInBothDirections) {
  kelto::test::ScopedConfigHome home;
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Bag", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  auto bag = kelto::com::MakeObject<CRegPropertyBag>(k);
  const auto write = [&](const char16_t* name, VARIANT v) { return bag->Write(name, &v); };
  VARIANT v;
  VariantInit(&v);
  struct Case {
    const char16_t* name;
    VARTYPE vt;
    LONGLONG value;  // put into the union's widest integer
    Raw raw;
  } cases[] = {
      {u"i1", VT_I1, -5, Dword(0xFFFFFFFB)},  {u"i2", VT_I2, -2, Dword(0xFFFFFFFE)},
      {u"bool", VT_BOOL, -1, Dword(0xFFFFFFFF)}, {u"ui1", VT_UI1, 200, Dword(200)},
      {u"ui4", VT_UI4, 0xFFFFFFF0, Dword(0xFFFFFFF0)},
  };
  for (const Case& c : cases) {
    v.vt = c.vt;
    v.llVal = c.value;
    EXPECT_EQ(write(c.name, v), S_OK);
  }
  v.vt = VT_R8;
  v.dblVal = 0.25;
  EXPECT_EQ(write(u"r8", v), S_OK);
  EXPECT_EQ(write(u"text", _variant_t(u"Grün")), S_OK);
  v.vt = VT_UNKNOWN;
  v.punkVal = nullptr;
  EXPECT_EQ(write(u"object", v), DISP_E_TYPEMISMATCH);
  LONG target = 3;
  v.vt = VT_I4 | VT_BYREF;
  v.plVal = &target;
  EXPECT_EQ(write(u"byref", v), DISP_E_TYPEMISMATCH);

  for (const Case& c : cases) {
    EXPECT_EQ(Query(k, kelto::com::Utf16ToUtf8(c.name).c_str()), c.raw);
  }
  EXPECT_EQ(Query(k, "r8"), Sz("0.25"));
  EXPECT_EQ(Query(k, "text"), Sz("Grün"));
  EXPECT_EQ(Query(k, "object"), Raw{});
  EXPECT_EQ(Query(k, "byref"), Raw{});

  const BYTE bin[] = {1, 2};
  RegSetValueExA(k, "binary", 0, REG_BINARY, bin, 2);
  RegSetValueExA(k, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("7"), 2);
  struct Read {
    const char16_t* name;
    VARTYPE asked, got;
  } reads[] = {
      {u"ui1", VT_EMPTY, VT_I4},  {u"text", VT_EMPTY, VT_BSTR}, {u"expand", VT_EMPTY, VT_BSTR},
      {u"expand", VT_I4, VT_I4},  {u"binary", VT_EMPTY, VT_EMPTY}, {u"missing", VT_EMPTY, VT_EMPTY},
  };
  for (const Read& r : reads) {
    VARIANT out;
    out.vt = r.asked;
    EXPECT_EQ(bag->Read(r.name, &out, nullptr), S_OK);
    EXPECT_EQ(out.vt, r.got);
    VariantClear(&out);
  }
  VARIANT bad;
  bad.vt = VT_I4;
  EXPECT_EQ(bag->Read(u"text", &bad, nullptr), DISP_E_TYPEMISMATCH);
  RegCloseKey(k);
}

}  // namespace
