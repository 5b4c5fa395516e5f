#include "platform/com/PropertyBag.h"

#include "platform/com/Api.h"
#include "platform/com/Strings.h"

namespace kelto::com {

namespace {

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i];
    char16_t y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 0x20);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 0x20);
    if (x != y) return false;
  }
  return true;
}

void LogError(IErrorLog* log, LPCOLESTR name, HRESULT hr) {
  if (!log) return;
  EXCEPINFO info{};
  info.scode = hr;
  log->AddError(name, &info);
}

}  // namespace

CPropertyBag::~CPropertyBag() { Clear(); }

CPropertyBag::Entry* CPropertyBag::FindEntry(std::u16string_view name) {
  for (Entry& e : entries_)
    if (SameName(e.name, name)) return &e;
  return nullptr;
}

const VARIANT* CPropertyBag::Find(std::u16string_view name) const {
  for (const Entry& e : entries_)
    if (SameName(e.name, name)) return &e.value;
  return nullptr;
}

std::vector<std::u16string> CPropertyBag::Names() const {
  std::vector<std::u16string> names;
  names.reserve(entries_.size());
  for (const Entry& e : entries_) names.push_back(e.name);
  return names;
}

void CPropertyBag::Clear() {
  for (Entry& e : entries_) VariantClear(&e.value);
  entries_.clear();
}

HRESULT CPropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) {
  if (!pszPropName || !pVar) return E_POINTER;
  const Entry* e = FindEntry(OleView(pszPropName));
  if (!e) {
    LogError(pErrorLog, pszPropName, E_INVALIDARG);
    return E_INVALIDARG;
  }
  VARIANT out;
  VariantInit(&out);
  const VARTYPE wanted = pVar->vt;
  const HRESULT hr = wanted == VT_EMPTY ? VariantCopy(&out, &e->value)
                                        : VariantChangeType(&out, &e->value, 0, wanted);
  if (FAILED(hr)) {
    LogError(pErrorLog, pszPropName, hr);
    return hr;
  }
  *pVar = out;
  return S_OK;
}

HRESULT CPropertyBag::Write(LPCOLESTR pszPropName, VARIANT* pVar) {
  if (!pszPropName || !pVar) return E_POINTER;
  VARIANT copy;
  VariantInit(&copy);
  if (const HRESULT hr = VariantCopyInd(&copy, pVar); FAILED(hr)) return hr;
  try {
    if (Entry* e = FindEntry(OleView(pszPropName))) {
      VariantClear(&e->value);
      e->value = copy;
    } else {
      entries_.push_back(Entry{std::u16string(OleView(pszPropName)), copy});
    }
  } catch (const std::bad_alloc&) {
    VariantClear(&copy);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace kelto::com
