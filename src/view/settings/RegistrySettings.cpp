#include "view/settings/RegistrySettings.h"

#include "options/ComOptions.h"
#include "platform/com/ErrorInfo.h"
#include "platform/registry/Registry.h"
#include "view/settings/RegPropertyBag.h"

namespace {

HKEY KeyOf(LONG parent) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(parent)); }

// Closes a key on every path.
class KeyHolder {
 public:
  KeyHolder() = default;
  KeyHolder(const KeyHolder&) = delete;
  KeyHolder& operator=(const KeyHolder&) = delete;
  ~KeyHolder() {
    if (m_key) RegCloseKey(m_key);
  }
  HKEY* Put() { return &m_key; }
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

HRESULT Failed(const std::string& message) {
  return kelto::com::ReportError(GUID_NULL, GUID_NULL, message, E_FAIL);
}

}  // namespace

HRESULT SaveSettingsToRegistry(COptions& options, LONG parent, const std::string& key) noexcept {
  try {
    constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;
    KeyHolder outer, settings;
    if (RegCreateKeyExA(KeyOf(parent), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                        nullptr, outer.Put(), nullptr) != ERROR_SUCCESS)
      return Failed("Cannot create the settings key \"" + key + "\".");
    if (RegCreateKeyExA(outer.Get(), kGraphicsSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kAccess, nullptr, settings.Put(), nullptr) != ERROR_SUCCESS)
      return Failed("Cannot create the settings key \"" + key + "\\" + kGraphicsSettingsKey +
                    "\".");
    auto bag = kelto::com::MakeObject<CRegPropertyBag>(settings.Get());
    const auto object = CComOptions::ForRegistry(options);
    if (FAILED(object->Save(bag.Get(), TRUE, TRUE)))
      return Failed("Cannot write the graphics settings into \"" + key + "\\" +
                    kGraphicsSettingsKey + "\".");
    kelto::com::ClearError();
    return S_OK;
  } catch (...) {
    return Failed("Cannot save the graphics settings (out of memory).");
  }
}

HRESULT LoadSettingsFromRegistry(COptions& options, LONG parent, const std::string& key) noexcept {
  try {
    KeyHolder outer, settings;
    if (RegOpenKeyExA(KeyOf(parent), key.c_str(), 0, KEY_READ | KEY_WRITE, outer.Put()) !=
        ERROR_SUCCESS) {
      kelto::com::ClearError();
      return E_FAIL;
    }
    kelto::com::ClearError();
    if (RegOpenKeyExA(outer.Get(), kGraphicsSettingsKey, 0, KEY_READ, settings.Put()) !=
        ERROR_SUCCESS)
      return S_OK;
    auto bag = kelto::com::MakeObject<CRegPropertyBag>(settings.Get());
    // What could not be read was never saved, or was saved by someone else:
    // there is nothing to apply and nothing a caller could do about it.
    CComOptions::ForRegistry(options)->Load(bag.Get(), nullptr);
    kelto::com::ClearError();
    return S_OK;
  } catch (...) {
    kelto::com::ClearError();
    return S_OK;
  }
}
