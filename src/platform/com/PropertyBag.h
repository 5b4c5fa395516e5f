// CPropertyBag: an in-memory IPropertyBag, the simplest place to save an
// IPersistPropertyBag object to and load it back from.
//
// - Names compare case-insensitively (ASCII letters), as in the registry
//   that property bags usually sit on; a name keeps the spelling it was first
//   written with, and the bag keeps the order in which names first appeared.
// - Write stores a copy of the value (a by-reference VARIANT is copied as the
//   value it refers to, so the bag never holds a pointer into the caller's
//   memory).
// - Read of a missing name fails with E_INVALIDARG, as the platform's bags
//   do. When pVar->vt is VT_EMPTY the stored value comes back as it is;
//   any other vt is a request for that type and the value is converted with
//   VariantChangeType (a failed conversion returns its HRESULT and leaves
//   pVar untouched). Only pVar->vt is looked at on entry: the rest of *pVar is
//   treated as uninitialised and is overwritten without being freed.
// - Failures of Read are also reported to the IErrorLog when one is given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Object.h"

namespace kelto::com {

class CPropertyBag final : public Object<CPropertyBag, IPropertyBag> {
 public:
  CPropertyBag() = default;
  ~CPropertyBag() override;

  HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) override;
  HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) override;

  // What the bag holds, for tests and for code that inspects a saved object.
  std::size_t Count() const { return entries_.size(); }
  // The names in the order they were first written.
  std::vector<std::u16string> Names() const;
  // The stored value of a name (still owned by the bag), or null.
  const VARIANT* Find(std::u16string_view name) const;
  void Clear();

 private:
  struct Entry {
    std::u16string name;
    VARIANT value;
  };
  Entry* FindEntry(std::u16string_view name);
  std::vector<Entry> entries_;
};

inline ComPtr<CPropertyBag> MakePropertyBag() { return MakeObject<CPropertyBag>(); }

}  // namespace kelto::com
