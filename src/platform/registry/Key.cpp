#include "platform/registry/Key.h"

namespace kelto::registry {

namespace {

const char* ValueName(const std::string& name) { return name.c_str(); }

}  // namespace

Key Key::Create(HKEY parent, const std::string& path, REGSAM access, LSTATUS* status,
                DWORD* disposition) {
  HKEY h = nullptr;
  const LSTATUS s = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &h, disposition);
  if (status) *status = s;
  return Key(s == ERROR_SUCCESS ? h : nullptr);
}

Key Key::Open(HKEY parent, const std::string& path, REGSAM access, LSTATUS* status) {
  HKEY h = nullptr;
  const LSTATUS s = RegOpenKeyExA(parent, path.c_str(), 0, access, &h);
  if (status) *status = s;
  return Key(s == ERROR_SUCCESS ? h : nullptr);
}

void Key::Close() {
  if (HKEY h = std::exchange(handle_, nullptr)) RegCloseKey(h);
}

LSTATUS Key::SetString(const std::string& name, std::string_view value, DWORD type) const {
  const std::string terminated(value);
  return RegSetValueExA(handle_, ValueName(name), 0, type,
                        reinterpret_cast<const BYTE*>(terminated.c_str()),
                        static_cast<DWORD>(terminated.size() + 1));
}

LSTATUS Key::SetDword(const std::string& name, DWORD value) const {
  return RegSetValueExA(handle_, ValueName(name), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LSTATUS Key::SetBinary(const std::string& name, std::span<const BYTE> value, DWORD type) const {
  return RegSetValueExA(handle_, ValueName(name), 0, type, value.data(),
                        static_cast<DWORD>(value.size()));
}

std::optional<std::pair<DWORD, std::vector<BYTE>>> Key::GetRaw(const std::string& name) const {
  // The value may change between the size query and the read (another
  // process writing), so a too-small buffer is grown and read again.
  for (;;) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(handle_, ValueName(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::vector<BYTE> data(size);
    const LSTATUS s =
        RegQueryValueExA(handle_, ValueName(name), nullptr, &type, data.data(), &size);
    if (s == ERROR_MORE_DATA) continue;
    if (s != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return std::make_pair(type, std::move(data));
  }
}

std::optional<std::string> Key::GetString(const std::string& name) const {
  auto raw = GetRaw(name);
  if (!raw || (raw->first != REG_SZ && raw->first != REG_EXPAND_SZ)) return std::nullopt;
  std::string s(raw->second.begin(), raw->second.end());
  if (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

std::optional<DWORD> Key::GetDword(const std::string& name) const {
  auto raw = GetRaw(name);
  if (!raw || raw->first != REG_DWORD || raw->second.size() != sizeof(DWORD)) return std::nullopt;
  DWORD v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | raw->second[static_cast<std::size_t>(i)];
  return v;
}

LSTATUS Key::DeleteValue(const std::string& name) const {
  return RegDeleteValueA(handle_, ValueName(name));
}

LSTATUS Key::DeleteKey(const std::string& path) const {
  return RegDeleteKeyA(handle_, path.c_str());
}

LSTATUS Key::DeleteTree(const std::string& path) const {
  return RegDeleteTreeA(handle_, path.empty() ? nullptr : path.c_str());
}

std::vector<std::string> Key::SubKeyNames() const {
  std::vector<std::string> names;
  char buffer[256];
  for (DWORD i = 0;; ++i) {
    DWORD cch = sizeof buffer;
    if (RegEnumKeyExA(handle_, i, buffer, &cch, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(buffer, cch);
  }
  return names;
}

std::vector<std::string> Key::ValueNames() const {
  std::vector<std::string> names;
  std::string buffer(256, '\0');
  for (DWORD i = 0;;) {
    DWORD cch = static_cast<DWORD>(buffer.size());
    const LSTATUS s =
        RegEnumValueA(handle_, i, buffer.data(), &cch, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_MORE_DATA) {
      buffer.resize(cch + 1);  // value names may be longer than key names
      continue;
    }
    if (s != ERROR_SUCCESS) break;
    names.emplace_back(buffer.data(), cch);
    ++i;
  }
  return names;
}

}  // namespace kelto::registry
