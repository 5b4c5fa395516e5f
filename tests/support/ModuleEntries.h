// A module's four entry points, found by opening the shared library at path
// (once per path; the library stays loaded, as the runtime keeps modules).
// Null members when the library cannot be opened (dlerror() says why).
#pragma once

#include <dlfcn.h>

#include "platform/com/Types.h"

namespace kelto::test {

struct ModuleEntries {
  HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT (*canUnloadNow)() = nullptr;
  HRESULT (*registerServer)() = nullptr;
  HRESULT (*unregisterServer)() = nullptr;
};

inline ModuleEntries OpenModuleEntries(const char* path) {
  ModuleEntries m;
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!handle) return m;
  m.getClassObject = reinterpret_cast<decltype(m.getClassObject)>(dlsym(handle, "DllGetClassObject"));
  m.canUnloadNow = reinterpret_cast<decltype(m.canUnloadNow)>(dlsym(handle, "DllCanUnloadNow"));
  m.registerServer = reinterpret_cast<decltype(m.registerServer)>(dlsym(handle, "DllRegisterServer"));
  m.unregisterServer =
      reinterpret_cast<decltype(m.unregisterServer)>(dlsym(handle, "DllUnregisterServer"));
  return m;
}

}  // namespace kelto::test
