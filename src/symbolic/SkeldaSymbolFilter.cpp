#include "symbolic/SkeldaSymbolFilter.h"

#include <algorithm>
#include <utility>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "solid/PipingAccess.h"
#include "symbolic/SkeldaSymbolCSSGB.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;

// Symbol keys are four characters; shorter catalogue keys are padded with
// this to reach the family entries ("VA" → "VA**").
constexpr char kKeyPadding = '*';
constexpr std::size_t kKeyLength = 4;

ComPtr<IKeltoSymbolCatalogue> CreateCatalogue() {
  ComPtr<IKeltoSymbolCatalogue> catalogue;
  if (FAILED(CoCreateInstance(kelto::clsid::KeltoSymbolCatalogue, nullptr, CLSCTX_INPROC_SERVER,
                              IidOf<IKeltoSymbolCatalogue>(), catalogue.PutVoid())))
    catalogue = nullptr;
  return catalogue;
}

long CountKeyTypes(IKeltoSymbolCatalogue* catalogue, const std::string& key, long variant) {
  const _bstr_t text(key);
  LONG count = 0;
  ThrowIfFailed(catalogue->CountKeyTypes(text, static_cast<LONG>(variant), &count),
                IidOf<IKeltoSymbolCatalogue>());
  return count;
}

}  // namespace

CSkeldaSymbolFilter::CSkeldaSymbolFilter() : m_catalogue(CreateCatalogue()) {}

CSkeldaSymbolFilter::CSkeldaSymbolFilter(ComPtr<IKeltoSymbolCatalogue> catalogue)
    : m_catalogue(std::move(catalogue)) {}

CSkeldaSymbolFilter::~CSkeldaSymbolFilter() = default;

void CSkeldaSymbolFilter::AddFile(const std::string& fileName) {
  // Read into a fresh object first: a file that fails half-way must leave the
  // library exactly as it was.
  CSkeldaSymbols::Ptr symbols(new CSkeldaSymbols);
  symbols->Read(fileName);
  m_searchList.push_front(symbols);
  m_files[fileName] = std::move(symbols);
}

void CSkeldaSymbolFilter::RemoveFile(const std::string& fileName) {
  const auto it = m_files.find(fileName);
  if (it == m_files.end()) return;
  const auto inList = std::find(m_searchList.begin(), m_searchList.end(), it->second);
  if (inList != m_searchList.end()) m_searchList.erase(inList);
  m_files.erase(it);
}

const CSkeldaSymbol* CSkeldaSymbolFilter::Lookup(std::string_view key) const {
  for (const CSkeldaSymbols::Ptr& file : m_searchList)
    if (const CSkeldaSymbol* symbol = file->Lookup(key)) return symbol;
  return nullptr;
}

CComponentSSGBuilder::Ptr CSkeldaSymbolFilter::GetBuilder(IKeltoComponent* component) {
  if (m_searchList.empty()) return {};
  const ComPtr<IKeltoItem> details = kelto::solid::DetailsOf(component);
  kelto::solid::Require(details);
  _bstr_t key;
  ThrowIfFailed(details->get_SymbolKey(key.GetAddress()), IidOf<IKeltoItem>());
  const CSkeldaSymbol* symbol = Lookup(key.str());
  if (!symbol) return {};
  if (!Accepts(*symbol, kelto::solid::TypeNameOf(details.Get()).str())) return {};
  const CSkeldaSymbol* spindle = symbol->Spindle.empty() ? nullptr : Lookup(symbol->Spindle);
  return CComponentSSGBuilder::Ptr(new CSkeldaSymbolCSSGB(symbol, spindle));
}

bool CSkeldaSymbolFilter::Accepts(const CSkeldaSymbol& symbol, const std::string& typeName) const {
  IKeltoSymbolCatalogue* catalogue = kelto::solid::Require(m_catalogue);
  const _bstr_t type(typeName);
  _bstr_t t1, symbolClass, t3, t4;
  ThrowIfFailed(catalogue->DescribeType(type, t1.GetAddress(), symbolClass.GetAddress(),
                                        t3.GetAddress(), t4.GetAddress()),
                IidOf<IKeltoSymbolCatalogue>());

  std::string key = symbol.OldSKEY;
  long count = CountKeyTypes(catalogue, key, symbol.variant);
  if (count == 0 && key.size() < kKeyLength) {
    key.resize(kKeyLength, kKeyPadding);
    count = CountKeyTypes(catalogue, key, symbol.variant);
  }
  // A key the catalogue knows nothing about may draw anything.
  if (count == 0) return true;
  for (long i = 1; i <= count; ++i) {
    _bstr_t keyType;
    ThrowIfFailed(catalogue->KeyTypeAt(static_cast<LONG>(i), keyType.GetAddress()),
                  IidOf<IKeltoSymbolCatalogue>());
    if (keyType == symbolClass) return true;
  }
  return false;
}
