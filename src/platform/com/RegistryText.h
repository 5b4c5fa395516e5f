// Text values in the settings store, for the runtime's own use (class lookup
// and registration): the size-query dance of the Reg* functions in one place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace kelto::com {

// The HRESULT that carries a store status (0x8007xxxx), S_OK for success.
constexpr HRESULT HResultFromWin32(LSTATUS status) {
  return status <= 0
             ? status
             : static_cast<HRESULT>((static_cast<std::uint32_t>(status) & 0xFFFFu) | 0x80070000u);
}

// The string value valueName (null: the key's default value) of root\subKey;
// nothing when the key or value is missing or is not REG_SZ/REG_EXPAND_SZ.
// *type receives the value's type when given.
std::optional<std::string> ReadRegString(HKEY root, const std::string& subKey,
                                         const char* valueName, DWORD* type = nullptr);
bool RegKeyExists(HKEY root, const std::string& subKey);
bool RegKeyHasSubKeys(HKEY root, const std::string& subKey);
// Creates root\subKey (and the keys above it) and sets a REG_SZ value on it.
LSTATUS WriteRegString(HKEY root, const std::string& subKey, const char* valueName,
                       std::string_view value);
// Creates root\subKey without values.
LSTATUS CreateRegKey(HKEY root, const std::string& subKey);
// Removes root\subKey with everything below it; a missing key is success.
LSTATUS DeleteRegTree(HKEY root, const std::string& subKey);

}  // namespace kelto::com
