#include "options/Options.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "options/OptionsPersistence.h"
#include "platform/com/Boundary.h"

namespace {

// The VARIANT type each option type travels as.
template <class T>
constexpr VARTYPE kOptionVt = std::is_same_v<T, bool>    ? VT_BOOL
                              : std::is_same_v<T, float> ? VT_R4
                                                         : VT_I4;

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Holds a SAFEARRAY's data pointer for as long as it lives (the array stays
// locked, so it cannot be destroyed or resized under us).
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* psa) : m_psa(psa) {
    kelto::com::ThrowIfFailed(SafeArrayAccessData(psa, &m_data));
  }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  ~ArrayData() { SafeArrayUnaccessData(m_psa); }
  VARIANT* Variants() const { return static_cast<VARIANT*>(m_data); }

 private:
  SAFEARRAY* m_psa;
  void* m_data = nullptr;
};

}  // namespace

// --- OptionImpl ---------------------------------------------------------------------

template <class T>
void COptions::OptionImpl<T>::Write(std::ostream& out) const {
  if constexpr (std::is_same_v<T, bool>) {
    out << (*m_variable ? 1 : 0);
  } else {
    out << *m_variable;
  }
}

template <class T>
void COptions::OptionImpl<T>::GetValue(VARIANT& value) const {
  kelto::com::ThrowIfFailed(VariantClear(&value));
  if constexpr (std::is_same_v<T, bool>) {
    value.boolVal = *m_variable ? VARIANT_TRUE : VARIANT_FALSE;
  } else if constexpr (std::is_same_v<T, float>) {
    value.fltVal = *m_variable;
  } else if constexpr (std::is_same_v<T, int>) {
    value.lVal = *m_variable;
  } else {
    // Only an owner writing its variable directly can get past 32 bits; a
    // truncated value would be saved and read back as a different setting.
    const long v = *m_variable;
    if (v < std::numeric_limits<LONG>::min() || v > std::numeric_limits<LONG>::max()) {
      throw kelto::com::HResultError(
          DISP_E_OVERFLOW, "The value " + std::to_string(v) + " does not fit a 32-bit integer.");
    }
    value.lVal = static_cast<LONG>(v);
  }
  value.vt = kOptionVt<T>;
}

template <class T>
void COptions::OptionImpl<T>::SetValue(const VARIANT& value) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, &value, 0, kOptionVt<T>))) return;
  if constexpr (std::is_same_v<T, bool>) {
    *m_variable = converted.boolVal != 0;
  } else if constexpr (std::is_same_v<T, float>) {
    *m_variable = converted.fltVal;
  } else {
    *m_variable = converted.lVal;
  }
}

template class COptions::OptionImpl<bool>;
template class COptions::OptionImpl<float>;
template class COptions::OptionImpl<int>;
template class COptions::OptionImpl<long>;

// --- COptions -----------------------------------------------------------------------

COptions::~COptions() = default;

void COptions::ThrowNullVariable(const std::string& name) {
  throw std::invalid_argument("Option " + Quoted(name) + " needs a variable to refer to.");
}

COptions::Option* COptions::Find(const std::string& name) const {
  const auto it = m_options.find(name);
  return it == m_options.end() ? nullptr : it->second.get();
}

COptions::Option& COptions::Lookup(const std::string& name) const {
  Option* option = Find(name);
  if (!option) throw std::out_of_range("No option named " + Quoted(name) + " is registered.");
  return *option;
}

void COptions::SetRange(const std::string& name, double min, double max) {
  Lookup(name);
  m_ranges[name] = Range{min, max};
}

std::optional<COptions::Range> COptions::GetRange(const std::string& name) const {
  const auto it = m_ranges.find(name);
  if (it == m_ranges.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> COptions::GetNames() const {
  std::vector<std::string> names;
  names.reserve(m_options.size());
  for (const auto& [name, option] : m_options) names.push_back(name);
  return names;
}

_variant_t COptions::Get(const std::string& name) const {
  _variant_t value;
  Option& option = Lookup(name);
  try {
    option.GetValue(value);
  } catch (const kelto::com::HResultError& e) {
    throw kelto::com::HResultError(e.Code(), "Option " + Quoted(name) + ": " + e.what());
  }
  return value;
}

void COptions::Set(const std::string& name, const VARIANT& value) {
  Lookup(name).SetValue(value);
  NotifyChanged({name});
}

_variant_t COptions::GetContents() const {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(2 * m_options.size()));
  if (!psa) throw std::bad_alloc();
  // Owned from here on, so a failing GetValue frees it; the data access is
  // released first (declared later), since a locked array cannot be freed.
  _variant_t contents = _variant_t::AdoptArray(psa, VT_VARIANT);
  ArrayData data(psa);
  VARIANT* cell = data.Variants();
  for (const auto& [name, option] : m_options) {
    cell->bstrVal = kelto::com::AllocBstr(std::string_view(name));
    if (!cell->bstrVal) throw std::bad_alloc();
    cell->vt = VT_BSTR;
    ++cell;
    try {
      option->GetValue(*cell);
    } catch (const kelto::com::HResultError& e) {
      throw kelto::com::HResultError(e.Code(), "Option " + Quoted(name) + ": " + e.what());
    }
    ++cell;
  }
  return contents;
}

void COptions::SetContents(const VARIANT& contents) {
  SAFEARRAY* psa = kelto::options::ContentsArrayOf(contents);
  if (!psa) {
    throw std::invalid_argument(
        "Options contents must be a one-dimensional array of VARIANT name/value pairs.");
  }
  Names changed;
  {
    ArrayData data(psa);
    const VARIANT* cell = data.Variants();
    const ULONG count = psa->rgsabound[0].cElements;
    for (ULONG i = 0; i < count; i += 2) {
      VARIANT text;
      VariantInit(&text);
      if (FAILED(VariantChangeType(&text, &cell[i], 0, VT_BSTR))) continue;
      const std::string name = kelto::com::BstrToUtf8(text.bstrVal);
      VariantClear(&text);
      Option* option = Find(name);
      if (!option) continue;
      option->SetValue(cell[i + 1]);
      changed.insert(name);
    }
  }
  // Announced after the array is released: receivers may do anything,
  // including asking for the contents again.
  NotifyChanged(changed);
}

void COptions::NotifyChanged(const Names& names) {
  if (names.empty()) return;
  // The flag is set before receivers run, so that one which saves the
  // registry (and clears the flag) while being told is not overridden.
  m_modified = true;
  if (m_deferred) {
    m_pending.insert(names.begin(), names.end());
  } else {
    changedSignal(names);
  }
}

void COptions::SetDeferred(bool deferred) {
  if (m_deferred && !deferred && !m_pending.empty()) {
    // The batch is taken out and deferral ended before anyone is told, so a
    // receiver that changes an option while handling the batch gets its own
    // notice instead of having it collected into a set that is then dropped.
    Names batch;
    batch.swap(m_pending);
    m_deferred = false;
    changedSignal(batch);
    return;
  }
  m_deferred = deferred;
}
