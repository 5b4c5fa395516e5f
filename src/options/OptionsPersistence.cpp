#include "options/OptionsPersistence.h"

#include <new>
#include <string>
#include <vector>

#include "options/VariantStream.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"

namespace kelto::options {

namespace {

constexpr char16_t kLengthKey[] = u"Length";

std::u16string PairKey(LONG index, const char* suffix) {
  return kelto::com::Utf8ToUtf16(std::to_string(index) + suffix);
}

// Releases the data access of an array when the scope ends.
class AccessedVariants {
 public:
  explicit AccessedVariants(SAFEARRAY* psa) : m_psa(psa) {
    m_hr = SafeArrayAccessData(psa, reinterpret_cast<void**>(&m_cells));
  }
  AccessedVariants(const AccessedVariants&) = delete;
  AccessedVariants& operator=(const AccessedVariants&) = delete;
  ~AccessedVariants() {
    if (SUCCEEDED(m_hr)) SafeArrayUnaccessData(m_psa);
  }
  HRESULT Result() const { return m_hr; }
  VARIANT* Cells() const { return m_cells; }

 private:
  SAFEARRAY* m_psa;
  VARIANT* m_cells = nullptr;
  HRESULT m_hr;
};

// Writes a copy, so that a bag that wrongly scribbles on its [in] argument
// cannot touch the caller's array.
HRESULT WriteProperty(IPropertyBag* bag, const std::u16string& key, const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, &value);
  if (SUCCEEDED(hr)) hr = bag->Write(key.c_str(), &copy);
  VariantClear(&copy);
  return hr;
}

// Reads a property as the bag stores it; false when it cannot be read or is
// empty.
bool ReadPresent(IPropertyBag* bag, IErrorLog* log, const std::u16string& key, VARIANT* out) {
  VariantInit(out);
  if (FAILED(bag->Read(key.c_str(), out, log))) {
    VariantInit(out);  // a failing Read promises nothing about *out
    return false;
  }
  if (out->vt == VT_EMPTY || out->vt == VT_NULL) {
    VariantClear(out);
    return false;
  }
  return true;
}

}  // namespace

SAFEARRAY* ContentsArrayOf(const VARIANT& contents) noexcept {
  const VARIANT* v = &contents;
  if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
  SAFEARRAY* psa = nullptr;
  if (v->vt == (VT_ARRAY | VT_VARIANT)) {
    psa = v->parray;
  } else if (v->vt == (VT_BYREF | VT_ARRAY | VT_VARIANT) && v->pparray) {
    psa = *v->pparray;
  }
  if (!psa || psa->cDims != 1 || psa->cbElements != sizeof(VARIANT) ||
      psa->rgsabound[0].cElements % 2 != 0) {
    return nullptr;
  }
  return psa;
}

HRESULT SaveContentsToBag(IPropertyBag* bag, const VARIANT& contents) noexcept {
  if (!bag) return E_POINTER;
  SAFEARRAY* psa = ContentsArrayOf(contents);
  if (!psa) return E_INVALIDARG;
  const ULONG elements = psa->rgsabound[0].cElements;
  if (elements / 2 > static_cast<ULONG>(kMaxBagPairs)) return E_INVALIDARG;
  const LONG pairs = static_cast<LONG>(elements / 2);
  try {
    VARIANT length;
    VariantInit(&length);
    length.vt = VT_I4;
    length.lVal = pairs;
    if (const HRESULT hr = bag->Write(kLengthKey, &length); FAILED(hr)) return hr;

    AccessedVariants data(psa);
    if (FAILED(data.Result())) return data.Result();
    for (LONG i = 0; i < pairs; ++i) {
      if (const HRESULT hr = WriteProperty(bag, PairKey(i, ".Name"), data.Cells()[2 * i]);
          FAILED(hr))
        return hr;
      if (const HRESULT hr = WriteProperty(bag, PairKey(i, ".Value"), data.Cells()[2 * i + 1]);
          FAILED(hr))
        return hr;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT LoadContentsFromBag(IPropertyBag* bag, IErrorLog* errorLog, VARIANT* contents) noexcept {
  if (!contents) return E_POINTER;
  VariantInit(contents);
  if (!bag) return E_POINTER;

  // Owned pairs until they move into the array.
  std::vector<VARIANT> found;
  auto freeFound = [&found] {
    for (VARIANT& v : found) VariantClear(&v);
    found.clear();
  };
  try {
    VARIANT length;
    VariantInit(&length);
    length.vt = VT_I4;  // ask the bag for the count as a 32-bit integer
    if (const HRESULT hr = bag->Read(kLengthKey, &length, errorLog); FAILED(hr)) return hr;
    // A bag may answer with the type it holds rather than the one asked for
    // (a VT_I2, a text "14"): convert it, as any reader of a bag must.
    if (length.vt != VT_I4) {
      const HRESULT hr = VariantChangeType(&length, &length, 0, VT_I4);
      if (FAILED(hr) || length.vt != VT_I4) {
        VariantClear(&length);
        return FAILED(hr) ? hr : DISP_E_TYPEMISMATCH;
      }
    }
    const LONG pairs = length.lVal;
    if (pairs < 0 || pairs > kMaxBagPairs) return E_INVALIDARG;

    for (LONG i = 0; i < pairs; ++i) {
      // Everything that can throw happens before a property is held.
      const std::u16string nameKey = PairKey(i, ".Name");
      const std::u16string valueKey = PairKey(i, ".Value");
      if (found.capacity() < found.size() + 2) found.reserve(2 * found.capacity() + 16);
      VARIANT name;
      VARIANT value;
      if (!ReadPresent(bag, errorLog, nameKey, &name)) continue;
      if (!ReadPresent(bag, errorLog, valueKey, &value)) {
        VariantClear(&name);
        continue;
      }
      found.push_back(name);
      found.push_back(value);
    }

    SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(found.size()));
    if (!psa) {
      freeFound();
      return E_OUTOFMEMORY;
    }
    {
      AccessedVariants data(psa);
      if (FAILED(data.Result())) {
        SafeArrayDestroy(psa);
        freeFound();
        return data.Result();
      }
      // The cells are zeroed (VT_EMPTY): a plain move of each VARIANT hands
      // its ownership to the array.
      for (std::size_t i = 0; i < found.size(); ++i) data.Cells()[i] = found[i];
    }
    found.clear();
    contents->vt = VT_ARRAY | VT_VARIANT;
    contents->parray = psa;
    return S_OK;
  } catch (const std::bad_alloc&) {
    freeFound();
    return E_OUTOFMEMORY;
  } catch (...) {
    freeFound();
    return E_FAIL;
  }
}

HRESULT SaveContentsToStorage(IStorage* storage, const VARIANT& contents) noexcept {
  if (!storage) return E_POINTER;
  kelto::com::ComPtr<IStream> stream;
  if (const HRESULT hr = storage->CreateStream(kContentsStreamName,
                                               STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                               0, 0, stream.Put());
      FAILED(hr))
    return hr;
  return WriteVariant(stream.Get(), contents);
}

HRESULT LoadContentsFromStorage(IStorage* storage, VARIANT* contents) noexcept {
  if (!contents) return E_POINTER;
  VariantInit(contents);
  if (!storage) return E_POINTER;
  kelto::com::ComPtr<IStream> stream;
  if (const HRESULT hr = storage->OpenStream(kContentsStreamName, nullptr,
                                             STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
      FAILED(hr))
    return hr;
  return ReadVariant(stream.Get(), contents);
}

}  // namespace kelto::options
