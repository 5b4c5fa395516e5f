// The runtime's table of where classes come from while the process runs:
// class objects registered by a host (CoRegisterClassObject) and the modules
// in memory, whether a host loaded them or the runtime did from the settings
// store. CoGetClassObject consults it before the settings store.
//
// Modules are never unloaded by the runtime (see docs/runtime-modules.md): an
// object whose code lives in a module but does not count towards the module's
// lock (a helper enumerator instantiated from a runtime template, say) would
// otherwise be left pointing at unmapped code.
#pragma once

#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/com/ClassEntry.h"
#include "platform/com/ComPtr.h"

namespace kelto::com {

using GetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using CanUnloadNowFn = HRESULT (*)();

// What a module tells the runtime about itself when it is mapped into the
// process (its load-time initialiser calls AnnounceModule, its unload-time
// finaliser WithdrawModule), so that its classes and ProgIDs are found however
// it was loaded: linked into the host, opened by the host, or opened by the
// runtime.
struct ModuleInfo {
  GetClassObjectFn getClassObject = nullptr;
  CanUnloadNowFn canUnloadNow = nullptr;
  // The class table; used to resolve ProgIDs without the settings store.
  std::span<const ClassEntry> classes;
  // Any address inside the module (a function of it); identifies the module.
  const void* address = nullptr;
};

void AnnounceModule(const ModuleInfo& info);
void WithdrawModule(const void* address);

// A module known to the runtime, for diagnostics and tests.
struct LoadedModuleInfo {
  std::string path;
  bool openedByRuntime = false;  // the runtime holds a dlopen handle on it
};
std::vector<LoadedModuleInfo> LoadedModules();

class ClassRegistry {
 public:
  // The process-wide instance. It is never destroyed, so that modules whose
  // finalisers run after the C++ exit handlers can still withdraw.
  static ClassRegistry& Instance();

  // --- Class objects registered by hosts -------------------------------------
  HRESULT RegisterObject(REFCLSID clsid, IUnknown* object, DWORD context, DWORD flags,
                         DWORD* cookie);
  HRESULT RevokeObject(DWORD cookie);
  // The registered class object for clsid in one of the contexts, or null.
  // A single-use registration is handed out once.
  ComPtr<IUnknown> FindRegisteredObject(REFCLSID clsid, DWORD context);

  // --- Modules ---------------------------------------------------------------
  void Announce(const ModuleInfo& info);
  void Withdraw(const void* address);
  // Asks the modules in memory for clsid's class object, in the order they
  // became known. CLASS_E_CLASSNOTAVAILABLE when none serves the class.
  HRESULT GetFromLoadedModules(REFCLSID clsid, REFIID riid, void** ppv);
  // Opens the module at path (once; later calls reuse it) and returns its
  // class-object entry point. CO_E_DLLNOTFOUND when it cannot be opened,
  // CO_E_ERRORINDLL when it exports no DllGetClassObject. *error receives the
  // loader's message on failure.
  HRESULT OpenModule(const std::string& path, GetClassObjectFn* entry, std::string* error);
  // ProgID lookups in the class tables of the modules in memory.
  bool ClsidFromLoadedProgId(std::string_view progId, CLSID* clsid);
  bool ProgIdFromLoadedClsid(REFCLSID clsid, std::string* progId);
  std::vector<LoadedModuleInfo> Modules();

 private:
  struct Registration {
    DWORD cookie;
    CLSID clsid;
    ComPtr<IUnknown> object;
    DWORD context;
    DWORD flags;
    bool used;
  };
  struct Module {
    const void* base;  // load address: the same for every address inside it
    std::string path;
    GetClassObjectFn getClassObject;
    CanUnloadNowFn canUnloadNow;
    std::span<const ClassEntry> classes;
    void* handle;  // our dlopen handle, or null
  };

  ClassRegistry() = default;
  Module* FindModule(const void* base);

  std::mutex mutex_;
  std::vector<Registration> registrations_;
  DWORD nextCookie_ = 1;
  std::vector<Module> modules_;
};

}  // namespace kelto::com
