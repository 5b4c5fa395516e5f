#include "platform/com/Registration.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

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
  for (const ClassRegistration::ExtraKey& extra : reg.extraKeys) {
    if (s != ERROR_SUCCESS) break;
    // Extra keys stay below the class's own key.
    if (extra.subKey.empty() || extra.subKey.front() == '\\') return ERROR_INVALID_PARAMETER;
    const std::string path = key + "\\" + extra.subKey;
    s = extra.value ? WriteRegString(HKEY_CLASSES_ROOT, path, nullptr, *extra.value)
                    : CreateRegKey(HKEY_CLASSES_ROOT, path);
  }
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

std::string ReplaceModule(std::string text, const std::string& modulePath) {
  static constexpr std::string_view kModule = "%MODULE%";
  for (std::size_t at = text.find(kModule); at != std::string::npos;
       at = text.find(kModule, at + modulePath.size()))
    text.replace(at, kModule.size(), modulePath);
  return text;
}

HRESULT RegisterClasses(std::span<const ClassEntry> classes, const std::string& modulePath,
                        const GUID* typeLib) {
  for (const ClassEntry& entry : classes) {
    const HRESULT hr = RegisterClassKeys(RegistrationFor(entry, modulePath, typeLib));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterClasses(std::span<const ClassEntry> classes, const std::string& modulePath,
                          const GUID* typeLib) {
  for (const ClassEntry& entry : classes) {
    const HRESULT hr = UnregisterClassKeys(RegistrationFor(entry, modulePath, typeLib));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

LSTATUS WriteTypeLibKeys(const TypeLibRegistration& lib, const std::string& modulePath) {
  const std::string key = TypeLibVersionKey(lib.libid, lib.major, lib.minor);
  // Afresh, as the CLSID keys: a re-registration from another path leaves
  // nothing of the old one.
  LSTATUS s = DeleteRegTree(HKEY_CLASSES_ROOT, key);
  if (s == ERROR_SUCCESS) s = WriteRegString(HKEY_CLASSES_ROOT, key, nullptr, lib.helpString);
  if (s == ERROR_SUCCESS)
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\" + kTypeLibPlatformKey, nullptr, modulePath);
  if (s == ERROR_SUCCESS) s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\FLAGS", nullptr, "0");
  if (s == ERROR_SUCCESS)
    s = WriteRegString(HKEY_CLASSES_ROOT, key + "\\HELPDIR", nullptr,
                       std::filesystem::path(modulePath).parent_path().string());
  return s;
}

LSTATUS RemoveTypeLibKeys(const TypeLibRegistration& lib) {
  const std::string libKey = "TypeLib\\" + FormatGuid(lib.libid);
  LSTATUS s = DeleteRegTree(HKEY_CLASSES_ROOT, TypeLibVersionKey(lib.libid, lib.major, lib.minor));
  // The library's own key goes with its last version; another version
  // registered by someone else keeps it.
  if (s == ERROR_SUCCESS && RegKeyExists(HKEY_CLASSES_ROOT, libKey) &&
      !RegKeyHasSubKeys(HKEY_CLASSES_ROOT, libKey))
    s = DeleteRegTree(HKEY_CLASSES_ROOT, libKey);
  // So does the TypeLib key once it lists no library (registration made it;
  // the CLSID key, by contrast, is never removed).
  if (s == ERROR_SUCCESS && RegKeyExists(HKEY_CLASSES_ROOT, "TypeLib") &&
      !RegKeyHasSubKeys(HKEY_CLASSES_ROOT, "TypeLib"))
    s = DeleteRegTree(HKEY_CLASSES_ROOT, "TypeLib");
  return s;
}

}  // namespace

std::string TypeLibVersionKey(const GUID& libid, WORD major, WORD minor) {
  char version[16];
  std::snprintf(version, sizeof version, "%x.%x", major, minor);
  return "TypeLib\\" + FormatGuid(libid) + "\\" + version;
}

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
  for (const ClassKey& extra : entry.extraKeys) {
    ClassRegistration::ExtraKey key{extra.subKey ? extra.subKey : "", std::nullopt};
    if (extra.value) key.value = ReplaceModule(extra.value, modulePath);
    reg.extraKeys.push_back(std::move(key));
  }
  return reg;
}

HRESULT RegisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                           const GUID* typeLib) {
  SystemLocaleScope locale;
  return RegisterClasses(classes, modulePath, typeLib);
}

HRESULT UnregisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                             const GUID* typeLib) {
  SystemLocaleScope locale;
  return UnregisterClasses(classes, modulePath, typeLib);
}

HRESULT RegisterModule(std::span<const ClassEntry> classes, const std::string& modulePath,
                       const TypeLibRegistration& typeLib) {
  SystemLocaleScope locale;
  if (modulePath.empty()) return E_UNEXPECTED;
  const HRESULT hr = RegisterClasses(classes, modulePath, &typeLib.libid);
  if (FAILED(hr)) return hr;
  const LSTATUS s = WriteTypeLibKeys(typeLib, modulePath);
  if (s == ERROR_SUCCESS) return S_OK;
  RemoveTypeLibKeys(typeLib);
  return HResultFromWin32(s);
}

HRESULT UnregisterModule(std::span<const ClassEntry> classes, const std::string& modulePath,
                         const TypeLibRegistration& typeLib) {
  SystemLocaleScope locale;
  const HRESULT hr = UnregisterClasses(classes, modulePath, &typeLib.libid);
  if (FAILED(hr)) return hr;
  return HResultFromWin32(RemoveTypeLibKeys(typeLib));
}

}  // namespace kelto::com
