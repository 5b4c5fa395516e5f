// Finding and loading a registered type library: the TypeLib key names the
// module, the module hands out its library through kModuleTypeLibExport.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "platform/com/Api.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Registration.h"
#include "platform/com/RegistryText.h"
#include "platform/com/Strings.h"
#include "platform/com/TypeInfo.h"

namespace {

// The registered version of libid to use for major.minor: the same major
// version with the highest minor version at least minor, as the platform
// chooses. Its TypeLib\{libid}\<version> key, or "" when none fits.
std::string ChooseVersion(REFGUID libid, WORD major, WORD minor) {
  const std::string libKey = "TypeLib\\" + kelto::com::FormatGuid(libid);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, libKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  std::string best;
  long bestMinor = -1;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    unsigned keyMajor = 0, keyMinor = 0;
    char tail = 0;
    if (std::sscanf(name, "%x.%x%c", &keyMajor, &keyMinor, &tail) != 2) continue;
    if (keyMajor != major || keyMinor < minor || static_cast<long>(keyMinor) <= bestMinor) continue;
    bestMinor = keyMinor;
    best = libKey + "\\" + name;
  }
  RegCloseKey(key);
  return best;
}

}  // namespace

KELTO_API HRESULT QueryPathOfRegTypeLib(REFGUID guid, USHORT wMaj, USHORT wMin, LCID /*lcid*/,
                                        BSTR* lpbstrPathName) {
  if (!lpbstrPathName) return E_INVALIDARG;
  *lpbstrPathName = nullptr;
  const std::string version = ChooseVersion(guid, wMaj, wMin);
  if (version.empty()) return TYPE_E_LIBNOTREGISTERED;
  // Libraries are language-neutral here: only the "0" locale is written.
  auto path = kelto::com::ReadRegString(HKEY_CLASSES_ROOT,
                                        version + "\\" + kelto::com::kTypeLibPlatformKey, nullptr);
  if (!path || path->empty()) return TYPE_E_LIBNOTREGISTERED;
  *lpbstrPathName = kelto::com::AllocBstr(*path);
  return *lpbstrPathName ? S_OK : E_OUTOFMEMORY;
}

KELTO_API HRESULT LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
  if (!pptlib) return E_POINTER;
  *pptlib = nullptr;
  if (!szFile || !*szFile) return E_INVALIDARG;
  const std::string path = kelto::com::Utf16ToUtf8(kelto::com::OleView(szFile));
  // Opened for good: modules are never unloaded (see ClassRegistry.h).
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = dlerror();
    kelto::com::SetError(GUID_NULL, kelto::com::IidOf<ITypeLib>(),
                         why ? why : "cannot open " + path);
    return TYPE_E_CANTLOADLIBRARY;
  }
  auto get = reinterpret_cast<ModuleTypeLibFn>(dlsym(module, kModuleTypeLibExport));
  if (!get) {
    kelto::com::SetError(GUID_NULL, kelto::com::IidOf<ITypeLib>(),
                         path + " carries no type library");
    return TYPE_E_CANTLOADLIBRARY;
  }
  return get(pptlib);
}

KELTO_API HRESULT LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid,
                                 ITypeLib** pptlib) {
  if (!pptlib) return E_POINTER;
  *pptlib = nullptr;
  BSTR path = nullptr;
  const HRESULT hr = QueryPathOfRegTypeLib(rguid, wVerMajor, wVerMinor, lcid, &path);
  if (FAILED(hr)) return hr;
  const HRESULT loaded = LoadTypeLib(path, pptlib);
  SysFreeString(path);
  return loaded;
}
