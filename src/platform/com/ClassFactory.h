// The one class factory every module class is created through, and the
// building blocks of a module's exported entry points.
//
// A module declares a lock tag and a class table, then writes its entry
// points in a few lines (src/module/ModuleEntry.cpp is the model):
//
//   struct MyModule;  // lock tag
//   using MyLock = kelto::com::ModuleLock<MyModule>;
//   class CThing : public kelto::com::ObjectIn<CThing, MyLock, IThing> { ... };
//   std::span<const kelto::com::ClassEntry> ClassList();  // one line per class
//   using Server = kelto::com::ModuleServer<MyLock, &ClassList>;
//   KELTO_API HRESULT DllGetClassObject(REFCLSID c, REFIID i, void** ppv) {
//     return Server::GetClassObject(c, i, ppv);
//   }
//   ... DllCanUnloadNow, DllRegisterServer, DllUnregisterServer likewise ...
//   [[gnu::constructor]] static void OnLoad() { Server::Attach(); }
//   [[gnu::destructor]] static void OnUnload() { Server::Detach(); }
//
// Objects made by a module count in its ModuleLock through ObjectIn; so do
// LockServer(TRUE) calls. Class factories themselves do not count: the module
// caches one per class, and a cache entry must not keep the module busy.
#pragma once

#include <map>
#include <mutex>
#include <new>
#include <span>

#include "platform/com/ClassEntry.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/Object.h"
#include "platform/com/Registration.h"

namespace kelto::com {

// A CreatorFn for a class T made with MakeObject<T>().
template <class T>
HRESULT CreateInstanceOf(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  try {
    ComPtr<T> object = MakeObject<T>();
    return object->QueryInterface(riid, ppv);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// The class factory of one class-table entry; Lock is the module's lock.
template <class Lock>
class ClassFactory : public Object<ClassFactory<Lock>, IClassFactory> {
 public:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (!entry_.create) return E_UNEXPECTED;
    return entry_.create(riid, ppv);
  }

  HRESULT LockServer(BOOL fLock) override {
    if (fLock)
      Lock::Lock();
    else
      Lock::Unlock();
    return S_OK;
  }

  const ClassEntry& Entry() const { return entry_; }

 private:
  const ClassEntry& entry_;
};

// DllGetClassObject: the cached factory of rclsid's entry in classes;
// CLASS_E_CLASSNOTAVAILABLE for a class the table does not list.
template <class Lock>
HRESULT ModuleGetClassObject(std::span<const ClassEntry> classes, REFCLSID rclsid, REFIID riid,
                             void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  const ClassEntry* entry = nullptr;
  for (const ClassEntry& e : classes) {
    if (e.clsid == rclsid) {
      entry = &e;
      break;
    }
  }
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;

  // One factory per entry while the module is in memory; the cache goes with
  // the module's static objects (at exit, or when a host closes the module).
  static std::mutex mutex;
  static std::map<const ClassEntry*, ComPtr<IClassFactory>> cache;
  ComPtr<IClassFactory> factory;
  try {
    std::lock_guard lock(mutex);
    ComPtr<IClassFactory>& slot = cache[entry];
    if (!slot) slot = MakeObject<ClassFactory<Lock>>(*entry);
    factory = slot;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return factory->QueryInterface(riid, ppv);
}

// DllCanUnloadNow: S_OK when no object of the module is alive and no server
// lock is held.
template <class Lock>
HRESULT ModuleCanUnloadNow() {
  return Lock::Count() == 0 ? S_OK : S_FALSE;
}

// A module's entry points over its lock and class table. Classes returns the
// table (a function, so that the table may live in another file of the
// module without an initialisation-order question).
template <class Lock, std::span<const ClassEntry> (*Classes)()>
struct ModuleServer {
  static HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    return ModuleGetClassObject<Lock>(Classes(), rclsid, riid, ppv);
  }
  static HRESULT CanUnloadNow() { return ModuleCanUnloadNow<Lock>(); }
  // The module's own path goes into InprocServer32.
  static HRESULT RegisterServer(const GUID* typeLib) {
    const std::string path = ModulePathOf(Address());
    if (path.empty()) return E_UNEXPECTED;
    return RegisterClassTable(Classes(), path, typeLib);
  }
  static HRESULT UnregisterServer(const GUID* typeLib) {
    return UnregisterClassTable(Classes(), ModulePathOf(Address()), typeLib);
  }
  // For a module whose type library is registered with its classes.
  static HRESULT RegisterServer(const TypeLibRegistration& typeLib) {
    return RegisterModule(Classes(), ModulePathOf(Address()), typeLib);
  }
  static HRESULT UnregisterServer(const TypeLibRegistration& typeLib) {
    return UnregisterModule(Classes(), ModulePathOf(Address()), typeLib);
  }
  // The load-time and unload-time halves of the module's initialisation: tell
  // the runtime the module is in memory, and that it is going.
  static void Attach() { AnnounceModule({&GetClassObject, &CanUnloadNow, Classes(), Address()}); }
  static void Detach() { WithdrawModule(Address()); }

 private:
  // The module-local entry (never the exported name, which another module
  // loaded earlier could interpose) identifies the module.
  static const void* Address() { return reinterpret_cast<const void*>(&GetClassObject); }
};

}  // namespace kelto::com
