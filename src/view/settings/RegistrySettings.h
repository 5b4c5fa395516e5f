// The view's graphics settings in the settings store: the renderer's options
// saved under <Parent>\<Key>\Graphics Settings as the Options object writes
// itself into a property bag ("Length", then "0.Name", "0.Value", "1.Name",
// ...), with the value types of CRegPropertyBag.
//
// Parent is an open key handle or a predefined root as a scripting passes it,
// a 32-bit integer (HKEY_CURRENT_USER is 0x80000001); Key is a path below it
// with "\" between its parts.
#pragma once

#include <string>

#include "platform/com/Types.h"

class COptions;

// The subkey that holds the values.
inline constexpr char kGraphicsSettingsKey[] = "Graphics Settings";

// Creates or opens Key and its "Graphics Settings" subkey and writes the
// options into it; the registry's modified flag is cleared. S_OK, or E_FAIL
// with error information naming the key when a key could not be made or a
// value not written (what was written before the failure stays).
HRESULT SaveSettingsToRegistry(COptions& options, LONG parent, const std::string& key) noexcept;

// Opens Key (E_FAIL without error information when it is missing; nothing
// changes), then "Graphics Settings" read-only, and applies the options found
// there: known names take their values, one change notice names them all, and
// the registry's modified flag is cleared. A missing subkey or missing values
// apply nothing and succeed; values that do not convert are skipped.
HRESULT LoadSettingsFromRegistry(COptions& options, LONG parent, const std::string& key) noexcept;
