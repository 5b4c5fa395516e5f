// The exported entry points of libkelto3d.so; everything else in the module is
// hidden.
#include "com/ModuleLock.h"
#include "module/ClassList.h"
#include "module/TypeLibrary.h"
#include "platform/com/ClassFactory.h"

namespace {

// The registry's description of the module's type library.
kelto::com::TypeLibRegistration TypeLibKey() {
  const kelto::com::TypeLibDescription& lib = kelto3d::TypeLibrary();
  return {lib.libid, lib.major, lib.minor, lib.helpString};
}

using Server = kelto::com::ModuleServer<kelto3d::ModuleLock, &kelto3d::ClassList>;

// The module's process attach and detach: the runtime learns that the
// module's classes are in memory however the module was loaded.
// The type library is made then too, so that the type information any object
// of the module hands out knows its library (GetContainingTypeLib), as it
// would had the client loaded the library first.
[[gnu::constructor]] void OnLoad() {
  Server::Attach();
  ITypeLib* lib = nullptr;
  if (SUCCEEDED(kelto::com::TypeLibOf(kelto3d::TypeLibrary(), &lib))) lib->Release();
}
[[gnu::destructor]] void OnUnload() { Server::Detach(); }

}  // namespace

KELTO_API HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return Server::GetClassObject(rclsid, riid, ppv);
}

KELTO_API HRESULT DllCanUnloadNow() { return Server::CanUnloadNow(); }

KELTO_API HRESULT DllRegisterServer() { return Server::RegisterServer(TypeLibKey()); }

KELTO_API HRESULT DllUnregisterServer() { return Server::UnregisterServer(TypeLibKey()); }

// The type library travels inside the module (LoadTypeLib, LoadRegTypeLib).
KELTO_API HRESULT KeltoModuleTypeLib(ITypeLib** ppTLib) {
  return kelto::com::TypeLibOf(kelto3d::TypeLibrary(), ppTLib);
}
