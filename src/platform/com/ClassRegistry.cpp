#include "platform/com/ClassRegistry.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace kelto::com {

namespace {

const void* ModuleBase(const void* address, std::string* path) {
  Dl_info info{};
  if (!address || !dladdr(address, &info)) return nullptr;
  if (path && info.dli_fname) *path = info.dli_fname;
  return info.dli_fbase;
}

// ProgIDs are registry key names, which compare without regard to case.
bool SameName(std::string_view a, const char* b) {
  if (!b) return false;
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

void AnnounceModule(const ModuleInfo& info) { ClassRegistry::Instance().Announce(info); }
void WithdrawModule(const void* address) { ClassRegistry::Instance().Withdraw(address); }
std::vector<LoadedModuleInfo> LoadedModules() { return ClassRegistry::Instance().Modules(); }

ClassRegistry& ClassRegistry::Instance() {
  // Deliberately leaked: see the header.
  static ClassRegistry* instance = new ClassRegistry;
  return *instance;
}

HRESULT ClassRegistry::RegisterObject(REFCLSID clsid, IUnknown* object, DWORD context, DWORD flags,
                                      DWORD* cookie) {
  if (!cookie) return E_INVALIDARG;
  *cookie = 0;
  if (!object) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  const DWORD id = nextCookie_++;
  registrations_.push_back({id, clsid, ComPtr<IUnknown>(object), context, flags, false});
  *cookie = id;
  return S_OK;
}

HRESULT ClassRegistry::RevokeObject(DWORD cookie) {
  ComPtr<IUnknown> released;  // released after the lock is dropped
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(registrations_.begin(), registrations_.end(),
                           [&](const Registration& r) { return r.cookie == cookie; });
    if (it == registrations_.end()) return CO_E_OBJNOTREG;
    released = std::move(it->object);
    registrations_.erase(it);
  }
  return S_OK;
}

ComPtr<IUnknown> ClassRegistry::FindRegisteredObject(REFCLSID clsid, DWORD context) {
  std::lock_guard lock(mutex_);
  for (Registration& r : registrations_) {
    if (r.clsid != clsid || !(r.context & context)) continue;
    if (r.used) continue;
    // REGCLS_SINGLEUSE is 0: a registration without MULTIPLEUSE serves once.
    if (!(r.flags & REGCLS_MULTIPLEUSE)) r.used = true;
    return r.object;
  }
  return nullptr;
}

ClassRegistry::Module* ClassRegistry::FindModule(const void* base) {
  for (Module& m : modules_)
    if (m.base == base) return &m;
  return nullptr;
}

void ClassRegistry::Announce(const ModuleInfo& info) {
  std::string path;
  const void* base = ModuleBase(info.address, &path);
  if (!base || !info.getClassObject) return;
  std::lock_guard lock(mutex_);
  if (Module* m = FindModule(base)) {
    m->getClassObject = info.getClassObject;
    m->canUnloadNow = info.canUnloadNow;
    m->classes = info.classes;
    return;
  }
  modules_.push_back({base, path, info.getClassObject, info.canUnloadNow, info.classes, nullptr});
}

void ClassRegistry::Withdraw(const void* address) {
  const void* base = ModuleBase(address, nullptr);
  std::lock_guard lock(mutex_);
  std::erase_if(modules_, [&](const Module& m) { return m.base == base; });
}

HRESULT ClassRegistry::GetFromLoadedModules(REFCLSID clsid, REFIID riid, void** ppv) {
  // Entry points are called without the lock: a module may create objects
  // (and so call back into the runtime) while answering.
  std::vector<GetClassObjectFn> entries;
  {
    std::lock_guard lock(mutex_);
    for (const Module& m : modules_) entries.push_back(m.getClassObject);
  }
  for (GetClassObjectFn entry : entries) {
    const HRESULT hr = entry(clsid, riid, ppv);
    if (hr != CLASS_E_CLASSNOTAVAILABLE) return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ClassRegistry::OpenModule(const std::string& path, GetClassObjectFn* entry,
                                  std::string* error) {
  *entry = nullptr;
  // dlopen runs the module's initialiser, which announces the module: the
  // lock must not be held here.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    *error = why ? why : "cannot open " + path;
    return CO_E_DLLNOTFOUND;
  }
  auto get = reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
  if (!get) {
    *error = path + " exports no DllGetClassObject";
    dlclose(handle);
    return CO_E_ERRORINDLL;
  }
  auto canUnload = reinterpret_cast<CanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
  std::string loadedPath;
  const void* base = ModuleBase(reinterpret_cast<const void*>(get), &loadedPath);

  std::lock_guard lock(mutex_);
  Module* m = FindModule(base);
  if (!m) {
    modules_.push_back({base, loadedPath, get, canUnload, {}, nullptr});
    m = &modules_.back();
  }
  if (m->handle) {
    // Opened before: keep one reference only.
    dlclose(handle);
  } else {
    m->handle = handle;
  }
  *entry = m->getClassObject;
  return S_OK;
}

bool ClassRegistry::ClsidFromLoadedProgId(std::string_view progId, CLSID* clsid) {
  std::lock_guard lock(mutex_);
  for (const Module& m : modules_) {
    for (const ClassEntry& c : m.classes) {
      if (SameName(progId, c.progId) || SameName(progId, c.versionIndependentProgId)) {
        *clsid = c.clsid;
        return true;
      }
    }
  }
  return false;
}

bool ClassRegistry::ProgIdFromLoadedClsid(REFCLSID clsid, std::string* progId) {
  std::lock_guard lock(mutex_);
  for (const Module& m : modules_) {
    for (const ClassEntry& c : m.classes) {
      if (c.clsid != clsid) continue;
      // The CLSID key's ProgID value is the versioned one when there is one.
      const char* name = c.progId && *c.progId ? c.progId : c.versionIndependentProgId;
      if (!name || !*name) return false;
      *progId = name;
      return true;
    }
  }
  return false;
}

std::vector<LoadedModuleInfo> ClassRegistry::Modules() {
  std::lock_guard lock(mutex_);
  std::vector<LoadedModuleInfo> out;
  for (const Module& m : modules_) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(m.path, ec);
    out.push_back({ec ? m.path : canonical.string(), m.handle != nullptr});
  }
  return out;
}

}  // namespace kelto::com
