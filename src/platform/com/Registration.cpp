#include "platform/com/Registration.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/com/Api.h"
#include "platform/com/RegistryText.h"

namespace kelto::com {

namespace {

std::string ClsidKey(REFCLSID clsid) { return "CLSID\\" + FormatGuid(clsid); }

// A key name must be one path element of the store.
bool ValidKeyName(const std::string& name) { return name.find('\\') == std::string::npos; }

// Restores the thread locale on every path.
class SystemLocaleScope {
 public:
  SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~SystemLocaleScope() { SetThreadLocale(saved_); }
  SystemLocaleScope(const SystemLocaleScope&) = delete;
  SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

 private:
  LCID saved_;
};

LSTATUS WriteProgIdKey(const std::string& progId, const ClassRegistration& reg,
                       const std::string& curVer) {
  LSTATUS s = WriteRegString(HKEY_CLASSES_ROOT, progId, nullptr, reg.description);
  if (s == ERROR_SUCCESS)
    s = WriteRegString(HKEY_CLASSES_ROOT, progId + "\\CLSID", nullptr, FormatGuid(reg.clsid));
  if (s == ERROR_SUCCESS && !curVer.empty())
    s = WriteRegString(HKEY_CLASSES_ROOT, progId + "\\CurVer", nullptr, curVer);
  return s;
}

LSTATUS WriteKeys(const ClassRegistration& reg) {
  const std::string& vi = reg.versionIndependentProgId;
  LSTATUS s = ERROR_SUCCESS;
  if (!reg.progId.empty()) s = WriteProgIdKey(reg.progId, reg, "");
  if (s == ERROR_SUCCESS && !vi.empty()) s = WriteProgIdKey(vi, reg, reg.progId);

  const std::string key = ClsidKey(reg.clsid);
  if (s == ERROR_SUCCESS) s = DeleteRegTree(HKEY_CLASSES_ROOT, key);
  if (s == ERROR_SUCCESS) s = WriteRegString(HKEY_CLASSES_ROOT, key, nullptr, reg.description);
  if (s == ERROR_SUCCESS && !reg.progId.empty())
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\ProgID", nullptr, reg.progId);
  if (s == ERROR_SUCCESS && !vi.empty())
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\VersionIndependentProgID", nullptr, vi);
  if (s == ERROR_SUCCESS) s = CreateRegKey(HKEY_CLASSES_ROOT, key + "\\Programmable");
  if (s == ERROR_SUCCESS)
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", nullptr, reg.modulePath);
  if (s == ERROR_SUCCESS)
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel",
                       reg.threadingModel);
  if (s == ERROR_SUCCESS && reg.typeLib)
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\TypeLib", nullptr, FormatGuid(*reg.typeLib));
  return s;
}

// Whether HKCR\<progId> still leads to clsid: directly, or through CurVer to
// the versioned ProgID being removed with it.
bool ProgIdLeadsTo(const std::string& progId, REFCLSID clsid, const std::string& versioned) {
  if (auto text = ReadRegString(HKEY_CLASSES_ROOT, progId + "\\CLSID", nullptr)) {
    auto guid = ParseGuid(*text);
    return guid && *guid == clsid;
  }
  if (versioned.empty()) return false;
  auto curVer = ReadRegString(HKEY_CLASSES_ROOT, progId + "\\CurVer", nullptr);
  return curVer && *curVer == versioned;
}

}  // namespace

HRESULT RegisterClassKeys(const ClassRegistration& reg) {
  if (!ValidKeyName(reg.progId) || !ValidKeyName(reg.versionIndependentProgId) ||
      reg.modulePath.empty())
    return E_INVALIDARG;
  const LSTATUS s = WriteKeys(reg);
  if (s == ERROR_SUCCESS) return S_OK;
  // Leave no half-registered class behind.
  UnregisterClassKeys(reg);
  return HResultFromWin32(s);
}

HRESULT UnregisterClassKeys(const ClassRegistration& reg) {
  if (!ValidKeyName(reg.progId) || !ValidKeyName(reg.versionIndependentProgId)) return E_INVALIDARG;
  LSTATUS first = ERROR_SUCCESS;
  const auto keep = [&](LSTATUS s) {
    if (first == ERROR_SUCCESS) first = s;
  };
  // The version-independent ProgID is judged before the versioned one goes.
  const std::string& vi = reg.versionIndependentProgId;
  if (!vi.empty() && ProgIdLeadsTo(vi, reg.clsid, reg.progId))
    keep(DeleteRegTree(HKEY_CLASSES_ROOT, vi));
  if (!reg.progId.empty() && ProgIdLeadsTo(reg.progId, reg.clsid, ""))
    keep(DeleteRegTree(HKEY_CLASSES_ROOT, reg.progId));
  keep(DeleteRegTree(HKEY_CLASSES_ROOT, ClsidKey(reg.clsid)));
  return HResultFromWin32(first);
}

std::string ModulePathOf(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return {};
  std::error_code ec;
  auto path = std::filesystem::weakly_canonical(info.dli_fname, ec);
  return ec ? std::string(info.dli_fname) : path.string();
}

ClassRegistration RegistrationFor(const ClassEntry& entry, const std::string& modulePath,
                                  const GUID* typeLib) {
  ClassRegistration reg;
  reg.clsid = entry.clsid;
  reg.progId = entry.progId ? entry.progId : "";
  reg.versionIndependentProgId =
      entry.versionIndependentProgId ? entry.versionIndependentProgId : "";
  reg.description = entry.description ? entry.description : "";
  reg.modulePath = modulePath;
  if (entry.threadingModel) reg.threadingModel = entry.threadingModel;
  if (typeLib && entry.withTypeLib) reg.typeLib = *typeLib;
  return reg;
}

HRESULT RegisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                           const GUID* typeLib) {
  SystemLocaleScope locale;
  for (const ClassEntry& entry : classes) {
    const HRESULT hr = RegisterClassKeys(RegistrationFor(entry, modulePath, typeLib));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                             const GUID* typeLib) {
  SystemLocaleScope locale;
  for (const ClassEntry& entry : classes) {
    const HRESULT hr = UnregisterClassKeys(RegistrationFor(entry, modulePath, typeLib));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace kelto::com
