// The settings store: the registry's functions, values and error codes over a
// SQLite database at $XDG_CONFIG_HOME/kelto3d/registry.sqlite (default
// ~/.config/kelto3d/registry.sqlite). Exported from libkelto3d-runtime.so.
//
// HKEY_LOCAL_MACHINE is the machine's store, shared by every user (see
// Store.h's MachineStorePath); HKEY_CLASSES_ROOT merges the user's classes
// over the machine's (HKEY_LOCAL_MACHINE\Software\Classes), the user's
// winning. docs/settings-store.md has the rules.
//
// Key handles are small integers so that a handle survives a round trip
// through a 32-bit integer, as hosts pass them (the predefined roots are the
// sign-extended 0x8000000n values).
#pragma once

#include "platform/com/Types.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using LSTATUS = LONG;
using REGSAM = DWORD;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
struct SECURITY_ATTRIBUTES;

inline HKEY PredefinedKey(std::uint32_t v) {
  return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(v)));
}
#define HKEY_CLASSES_ROOT (::PredefinedKey(0x80000000u))
#define HKEY_CURRENT_USER (::PredefinedKey(0x80000001u))
#define HKEY_LOCAL_MACHINE (::PredefinedKey(0x80000002u))
#define HKEY_USERS (::PredefinedKey(0x80000003u))

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_CANTREAD = 1012;
constexpr LSTATUS ERROR_CANTWRITE = 1013;
constexpr LSTATUS ERROR_KEY_DELETED = 1018;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM DELETE = 0x00010000;  // standard right; RegDeleteTreeA needs it
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

KELTO_API LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                                  DWORD dwOptions, REGSAM samDesired,
                                  const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                                  LPDWORD lpdwDisposition);
KELTO_API LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                                PHKEY phkResult);
KELTO_API LSTATUS RegCloseKey(HKEY hKey);
KELTO_API LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                                 const BYTE* lpData, DWORD cbData);
KELTO_API LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved,
                                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
KELTO_API LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
KELTO_API LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
KELTO_API LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);
KELTO_API LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                                LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                                FILETIME* lpftLastWriteTime);
KELTO_API LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName,
                                LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData);
// Maps a predefined root (this process only) to another open key, or back
// to itself when hNewHKey is null. `kelto3d register --system` maps
// HKEY_CLASSES_ROOT to HKEY_LOCAL_MACHINE\Software\Classes this way before
// calling a module's DllRegisterServer.
KELTO_API LSTATUS RegOverridePredefKey(HKEY hKey, HKEY hNewHKey);
