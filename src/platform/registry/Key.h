// kelto::registry::Key: an owning handle to a key of the settings store with
// typed accessors, for C++ code that would otherwise juggle sizes and status
// codes (registration, settings persistence). The C functions in Registry.h
// stay the reference: every member is a thin layer over one of them.
//
//   auto key = Key::Create(HKEY_CURRENT_USER, "Software\\Kelto3D\\Graphics Settings");
//   key.SetDword("Length", 14);
//   std::optional<std::string> s = key.GetString("0.Name");
//
// Value names are UTF-8 strings; "" is the key's default value.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry/Registry.h"

namespace kelto::registry {

class Key {
 public:
  Key() = default;
  // Takes ownership of an open handle (predefined roots are never closed).
  explicit Key(HKEY handle) : handle_(handle) {}
  ~Key() { Close(); }
  Key(Key&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
  Key& operator=(Key&& o) noexcept {
    if (this != &o) {
      Close();
      handle_ = std::exchange(o.handle_, nullptr);
    }
    return *this;
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  // RegCreateKeyExA / RegOpenKeyExA. On failure the Key is empty and
  // *status (when given) says why.
  static Key Create(HKEY parent, const std::string& path, REGSAM access = KEY_ALL_ACCESS,
                    LSTATUS* status = nullptr, DWORD* disposition = nullptr);
  static Key Open(HKEY parent, const std::string& path, REGSAM access = KEY_READ,
                  LSTATUS* status = nullptr);

  explicit operator bool() const { return handle_ != nullptr; }
  HKEY Get() const { return handle_; }
  // Gives up ownership of the handle.
  HKEY Release() { return std::exchange(handle_, nullptr); }
  void Close();

  LSTATUS SetString(const std::string& name, std::string_view value, DWORD type = REG_SZ) const;
  LSTATUS SetDword(const std::string& name, DWORD value) const;
  LSTATUS SetBinary(const std::string& name, std::span<const BYTE> value,
                    DWORD type = REG_BINARY) const;

  // A REG_SZ or REG_EXPAND_SZ value without its terminator; nothing when the
  // value is missing, of another type or cannot be read.
  std::optional<std::string> GetString(const std::string& name) const;
  // A REG_DWORD value; nothing otherwise.
  std::optional<DWORD> GetDword(const std::string& name) const;
  // Any value as its type and raw bytes.
  std::optional<std::pair<DWORD, std::vector<BYTE>>> GetRaw(const std::string& name) const;

  LSTATUS DeleteValue(const std::string& name) const;
  // RegDeleteKeyA of a direct or deeper subkey (which must have no subkeys).
  LSTATUS DeleteKey(const std::string& path) const;
  // RegDeleteTreeA; "" empties this key (subkeys and values) but keeps it.
  LSTATUS DeleteTree(const std::string& path) const;

  // Names in the store's enumeration order (case-insensitive by name).
  std::vector<std::string> SubKeyNames() const;
  std::vector<std::string> ValueNames() const;

 private:
  HKEY handle_ = nullptr;
};

}  // namespace kelto::registry
