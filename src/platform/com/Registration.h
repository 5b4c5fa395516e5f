// Writing and removing a class's keys in the settings store, for a module's
// DllRegisterServer and DllUnregisterServer.
//
// Keys written under HKEY_CLASSES_ROOT for a class with both ProgIDs:
//   <ProgID>                       = description;  CLSID = {clsid}
//   <VersionIndependentProgID>     = description;  CLSID = {clsid};  CurVer = <ProgID>
//   CLSID\{clsid}                  = description   (removed first, so stale subkeys go)
//     ProgID                       = <ProgID>
//     VersionIndependentProgID     = <VersionIndependentProgID>
//     Programmable                   (empty key)
//     InprocServer32               = <module path>;  ThreadingModel = <model>
//     TypeLib                      = {libid}       (when the class names one)
//     <extra keys>                                   (ClassEntry::extraKeys)
// and for the module's type library:
//   TypeLib\{libid}\<major.minor>  = help string
//     0\linux64                    = <module path>
//     FLAGS                        = 0
//     HELPDIR                      = <module folder>
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/com/ClassEntry.h"

namespace kelto::com {

struct ClassRegistration {
  CLSID clsid{};
  std::string progId;                    // "" when none
  std::string versionIndependentProgId;  // "" when none
  std::string description;
  std::string modulePath;
  std::string threadingModel = "Apartment";
  std::optional<GUID> typeLib;
  // ClassEntry::extraKeys with "%MODULE%" replaced; no value: an empty key.
  struct ExtraKey {
    std::string subKey;
    std::optional<std::string> value;
  };
  std::vector<ExtraKey> extraKeys;
};

// What the TypeLib key of a module's type library says.
struct TypeLibRegistration {
  GUID libid{};
  WORD major = 1;
  WORD minor = 0;
  std::string helpString;
};

// Writes the keys above. On failure the class's keys are removed again and
// the store's status is returned as an HRESULT (0x8007xxxx).
HRESULT RegisterClassKeys(const ClassRegistration& reg);

// Removes the CLSID key and those ProgID keys that still lead to this class
// (a ProgID another class has taken over since is left alone). Keys already
// missing are not an error.
HRESULT UnregisterClassKeys(const ClassRegistration& reg);

// The absolute path of the shared object (or executable) that contains
// address; "" when the loader does not know it.
std::string ModulePathOf(const void* address);

// The keys for one line of a class table.
ClassRegistration RegistrationFor(const ClassEntry& entry, const std::string& modulePath,
                                  const GUID* typeLib);

// DllRegisterServer / DllUnregisterServer for a whole class table, in table
// order, stopping at the first failure. The thread locale is the system
// default (0x800) while the keys are written and is restored on every path, so
// that nothing locale-dependent in a registration depends on the caller.
HRESULT RegisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                           const GUID* typeLib);
HRESULT UnregisterClassTable(std::span<const ClassEntry> classes, const std::string& modulePath,
                             const GUID* typeLib);

// The same for a module with a registered type library: the classes first,
// then the TypeLib key (written only when every class was). Unregistration
// removes the version key and the library's key once no version is left.
HRESULT RegisterModule(std::span<const ClassEntry> classes, const std::string& modulePath,
                       const TypeLibRegistration& typeLib);
HRESULT UnregisterModule(std::span<const ClassEntry> classes, const std::string& modulePath,
                         const TypeLibRegistration& typeLib);

// The TypeLib\{libid}\<major.minor> key path and the platform subkey that
// holds the module path ("0\linux64": neutral locale, this platform).
std::string TypeLibVersionKey(const GUID& libid, WORD major, WORD minor);
inline constexpr const char* kTypeLibPlatformKey = "0\\linux64";

}  // namespace kelto::com
