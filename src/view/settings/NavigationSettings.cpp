#include "view/settings/NavigationSettings.h"

#include <algorithm>
#include <cmath>

#include "platform/com/ErrorInfo.h"
#include "platform/registry/Registry.h"

namespace {

HKEY KeyOf(LONG parent) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(parent)); }

}  // namespace

HRESULT SaveNavigationSettings(double budgetMs, LONG parent, const std::string& key) noexcept {
  try {
    const std::string path =
        key.empty() ? kNavigationSettingsKey : key + "\\" + kNavigationSettingsKey;
    HKEY settings = nullptr;
    if (RegCreateKeyExA(KeyOf(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &settings, nullptr) != ERROR_SUCCESS)
      return kelto::com::ReportError(GUID_NULL, GUID_NULL,
                                     "Cannot create the settings key \"" + path + "\".", E_FAIL);
    const double rounded = std::isfinite(budgetMs) ? std::round(budgetMs) : kMaxInteractionBudget;
    const DWORD value = static_cast<DWORD>(
        std::clamp(rounded, double(kMinInteractionBudget), double(kMaxInteractionBudget)));
    const LONG written = RegSetValueExA(settings, kInteractionBudgetValue, 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(settings);
    if (written != ERROR_SUCCESS)
      return kelto::com::ReportError(GUID_NULL, GUID_NULL,
                                     "Cannot write the navigation settings into \"" + path + "\".",
                                     E_FAIL);
    return S_OK;
  } catch (...) {
    return kelto::com::ReportError(GUID_NULL, GUID_NULL,
                                   "Cannot save the navigation settings (out of memory).", E_FAIL);
  }
}

bool LoadNavigationSettings(LONG parent, const std::string& key, double& budgetMs) noexcept {
  try {
    const std::string path =
        key.empty() ? kNavigationSettingsKey : key + "\\" + kNavigationSettingsKey;
    HKEY settings = nullptr;
    if (RegOpenKeyExA(KeyOf(parent), path.c_str(), 0, KEY_READ, &settings) != ERROR_SUCCESS)
      return false;
    DWORD type = REG_NONE, value = 0, size = sizeof value;
    const LONG read = RegQueryValueExA(settings, kInteractionBudgetValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(settings);
    if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return false;
    if (value < kMinInteractionBudget || value > kMaxInteractionBudget) return false;
    budgetMs = value;
    return true;
  } catch (...) {
    return false;
  }
}
