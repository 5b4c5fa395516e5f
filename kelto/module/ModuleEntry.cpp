// The exported entry points of libkelto.so, the piping-data module; everything
// else in the module is hidden.
#include "kelto/com/ClassList.h"
#include "kelto/com/ModuleLock.h"
#include "platform/com/ClassFactory.h"

namespace {

using Server = kelto::com::ModuleServer<kelto::faces::ModuleLock, &kelto::faces::ClassList>;

// The module tells the runtime it is in memory however it was loaded, so
// CoCreateInstance finds its classes without reading the settings store.
[[gnu::constructor]] void OnLoad() { Server::Attach(); }
[[gnu::destructor]] void OnUnload() { Server::Detach(); }

}  // namespace

// The module has no type library, so registration writes no TypeLib keys.
KELTO_API HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return Server::GetClassObject(rclsid, riid, ppv);
}

KELTO_API HRESULT DllCanUnloadNow() { return Server::CanUnloadNow(); }

KELTO_API HRESULT DllRegisterServer() { return Server::RegisterServer(nullptr); }

KELTO_API HRESULT DllUnregisterServer() { return Server::UnregisterServer(nullptr); }
