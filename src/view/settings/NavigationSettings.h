// The view's navigation settings in the settings store, beside its graphics
// settings: under <Parent>\<Key>\Navigation Settings, the value
// "InteractionBudget" (REG_DWORD, milliseconds) is the time a frame drawn
// during a drag or a wheel burst may take. A host sets it by writing the
// value and loading the settings; Parent and Key are as for the graphics
// settings (RegistrySettings.h).
#pragma once

#include <string>

#include "platform/com/Types.h"

inline constexpr char kNavigationSettingsKey[] = "Navigation Settings";
inline constexpr char kInteractionBudgetValue[] = "InteractionBudget";
// The budgets a stored value may give, in milliseconds: below a millisecond
// no frame fits, beyond ten seconds nothing moves any more.
inline constexpr unsigned kMinInteractionBudget = 1;
inline constexpr unsigned kMaxInteractionBudget = 10000;

// Writes the budget (rounded to whole milliseconds, kept within the range)
// into Key's "Navigation Settings" subkey, creating both as needed. S_OK, or
// E_FAIL with error information naming the key.
HRESULT SaveNavigationSettings(double budgetMs, LONG parent, const std::string& key) noexcept;

// The stored budget: true with it in `budgetMs` when the value is there, a
// REG_DWORD within the range; false (budgetMs untouched) otherwise — a value
// outside the range is a mistake of whoever wrote it, not a budget.
bool LoadNavigationSettings(LONG parent, const std::string& key, double& budgetMs) noexcept;
