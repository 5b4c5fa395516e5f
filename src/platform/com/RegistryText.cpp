#include "platform/com/RegistryText.h"

#include <vector>

namespace kelto::com {

namespace {

// Closes a key on every path.
class KeyHandle {
 public:
  KeyHandle() = default;
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  ~KeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* Put() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::optional<std::string> ReadRegString(HKEY root, const std::string& subKey,
                                         const char* valueName, DWORD* type) {
  KeyHandle key;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD valueType = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), valueName, nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) return std::nullopt;
  // The value may change between the two calls; retry while it grows.
  std::vector<BYTE> data;
  for (;;) {
    data.resize(size + 1);
    DWORD got = size;
    const LSTATUS status =
        RegQueryValueExA(key.Get(), valueName, nullptr, &valueType, data.data(), &got);
    if (status == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 16;
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    size = got;
    break;
  }
  if (type) *type = valueType;
  std::string text(reinterpret_cast<const char*>(data.data()), size);
  // Stored strings may or may not carry their terminator.
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

bool RegKeyExists(HKEY root, const std::string& subKey) {
  KeyHandle key;
  return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
}

bool RegKeyHasSubKeys(HKEY root, const std::string& subKey) {
  KeyHandle key;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.Put()) != ERROR_SUCCESS)
    return false;
  char name[256];
  DWORD size = sizeof name;
  const LSTATUS s =
      RegEnumKeyExA(key.Get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr);
  return s == ERROR_SUCCESS || s == ERROR_MORE_DATA;
}

LSTATUS CreateRegKey(HKEY root, const std::string& subKey) {
  KeyHandle key;
  return RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                         nullptr, key.Put(), nullptr);
}

LSTATUS WriteRegString(HKEY root, const std::string& subKey, const char* valueName,
                       std::string_view value) {
  KeyHandle key;
  LSTATUS status = RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, key.Put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  const std::string data(value);  // REG_SZ data includes the terminator
  return RegSetValueExA(key.Get(), valueName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1));
}

LSTATUS DeleteRegTree(HKEY root, const std::string& subKey) {
  const LSTATUS status = RegDeleteTreeA(root, subKey.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace kelto::com
