// SAFEARRAY: a descriptor (cDims bounds, stored rightmost dimension first as
// the scripting ABI does) and a separate zero-initialised data block in which
// the LEFTMOST index varies fastest. Index lists (rgIndices) are given
// leftmost first; dimension numbers (nDim) count from 1 = leftmost.
//
// 16 bytes in front of every descriptor hold what the ABI keeps there: the
// IID of interface arrays (FADF_HAVEIID) or, for every other type, the
// VARTYPE in the last four bytes (FADF_HAVEVARTYPE). A host that inspects a
// descriptor the way it would on Windows finds the same things.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/com/Api.h"
#include "platform/com/VarTypeInfo.h"

namespace {

using kelto::com::IidOf;
using kelto::com::detail::ValueSize;

constexpr std::size_t kHiddenBytes = 16;
constexpr USHORT kMaxDims = 64;  // far beyond any use; keeps sizes sane

std::size_t DescriptorBytes(UINT cDims) {
  return sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
}

unsigned char* HiddenBlock(SAFEARRAY* psa) {
  return reinterpret_cast<unsigned char*>(psa) - kHiddenBytes;
}

// Elements count; false when the product does not fit a size_t.
bool CellCount(const SAFEARRAY* psa, std::size_t* out) {
  std::size_t n = 1;
  for (USHORT i = 0; i < psa->cDims; ++i) {
    const std::size_t c = psa->rgsabound[i].cElements;
    if (c != 0 && n > std::numeric_limits<std::size_t>::max() / c) return false;
    n *= c;
  }
  *out = n;
  return true;
}

USHORT FeaturesFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_VARIANT:
      return FADF_VARIANT | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
      return FADF_UNKNOWN | FADF_HAVEIID;
    case VT_DISPATCH:
      return FADF_DISPATCH | FADF_HAVEIID;
    default:
      return FADF_HAVEVARTYPE;
  }
}

SAFEARRAY* AllocDescriptor(UINT cDims) {
  auto* raw = static_cast<unsigned char*>(std::calloc(1, kHiddenBytes + DescriptorBytes(cDims)));
  if (!raw) return nullptr;
  auto* psa = reinterpret_cast<SAFEARRAY*>(raw + kHiddenBytes);
  psa->cDims = static_cast<USHORT>(cDims);
  return psa;
}

// Offset in elements of the cell at rgIndices (leftmost index first), or
// false when an index is outside its dimension.
bool CellOffset(const SAFEARRAY* psa, const LONG* rgIndices, std::size_t* out) {
  std::size_t cell = 0;
  std::size_t stride = 1;
  for (USHORT d = 0; d < psa->cDims; ++d) {
    const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - 1 - d];
    const std::int64_t local = std::int64_t{rgIndices[d]} - b.lLbound;
    if (local < 0 || local >= std::int64_t{b.cElements}) return false;
    cell += static_cast<std::size_t>(local) * stride;
    stride *= b.cElements;
  }
  *out = cell;
  return true;
}

// Releases what the elements own and zeroes them.
void ClearElements(SAFEARRAY* psa) {
  std::size_t n = 0;
  if (!psa->pvData || !CellCount(psa, &n)) return;
  if (psa->fFeatures & FADF_BSTR) {
    auto* p = static_cast<BSTR*>(psa->pvData);
    for (std::size_t i = 0; i < n; ++i) SysFreeString(std::exchange(p[i], nullptr));
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* p = static_cast<IUnknown**>(psa->pvData);
    for (std::size_t i = 0; i < n; ++i)
      if (IUnknown* u = std::exchange(p[i], nullptr)) u->Release();
  } else if (psa->fFeatures & FADF_VARIANT) {
    auto* p = static_cast<VARIANT*>(psa->pvData);
    for (std::size_t i = 0; i < n; ++i) VariantClear(&p[i]);
  }
}

// Copies element src into element slot dst (already cleared/zero) deeply.
HRESULT CopyElement(USHORT features, std::size_t size, const void* src, void* dst) {
  if (features & FADF_BSTR) {
    const BSTR s = *static_cast<const BSTR*>(src);
    BSTR copy = nullptr;
    if (s) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
      if (!copy) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(dst) = copy;
  } else if (features & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* u = *static_cast<IUnknown* const*>(src);
    if (u) u->AddRef();
    *static_cast<IUnknown**>(dst) = u;
  } else if (features & FADF_VARIANT) {
    auto* d = static_cast<VARIANT*>(dst);
    VariantInit(d);
    return VariantCopy(d, static_cast<const VARIANT*>(src));
  } else {
    std::memcpy(dst, src, size);
  }
  return S_OK;
}

}  // namespace

KELTO_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  const std::size_t size = ValueSize(vt);
  if (size == 0 || cDims == 0 || cDims > kMaxDims || !rgsabound) return nullptr;
  SAFEARRAY* psa = AllocDescriptor(cDims);
  if (!psa) return nullptr;
  psa->fFeatures = FeaturesFor(vt);
  psa->cbElements = static_cast<ULONG>(size);
  // The caller lists bounds leftmost first; the descriptor keeps them reversed.
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[cDims - 1 - i] = rgsabound[i];
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    const IID& iid = vt == VT_UNKNOWN ? IidOf<IUnknown>() : IidOf<IDispatch>();
    std::memcpy(HiddenBlock(psa), &iid, sizeof iid);
  } else {
    const DWORD stored = vt;
    std::memcpy(HiddenBlock(psa) + kHiddenBytes - sizeof stored, &stored, sizeof stored);
  }
  std::size_t cells = 0;
  if (!CellCount(psa, &cells) || cells > std::numeric_limits<std::size_t>::max() / size) {
    std::free(HiddenBlock(psa));
    return nullptr;
  }
  // Always a real block, even for zero elements, so pvData is never null for
  // an array this runtime made.
  psa->pvData = std::calloc(cells ? cells : 1, size);
  if (!psa->pvData) {
    std::free(HiddenBlock(psa));
    return nullptr;
  }
  return psa;
}

KELTO_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

KELTO_API HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
  ClearElements(psa);
  // Static, embedded and stack arrays do not own their storage.
  if (!(psa->fFeatures & (FADF_STATIC | FADF_EMBEDDED | FADF_AUTO))) {
    std::free(psa->pvData);
    psa->pvData = nullptr;
    std::free(HiddenBlock(psa));
  }
  return S_OK;
}

KELTO_API UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

KELTO_API UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

KELTO_API HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  if (psa->fFeatures & FADF_RECORD) {
    *pvt = VT_RECORD;
  } else if ((psa->fFeatures & (FADF_HAVEIID | FADF_DISPATCH)) == (FADF_HAVEIID | FADF_DISPATCH)) {
    *pvt = VT_DISPATCH;
  } else if (psa->fFeatures & FADF_HAVEIID) {
    *pvt = VT_UNKNOWN;
  } else if (psa->fFeatures & FADF_HAVEVARTYPE) {
    DWORD stored = 0;
    std::memcpy(&stored, HiddenBlock(psa) + kHiddenBytes - sizeof stored, sizeof stored);
    *pvt = static_cast<VARTYPE>(stored);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

KELTO_API HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

KELTO_API HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
  // An empty dimension has an upper bound one below its lower bound.
  *plUbound = static_cast<LONG>(std::int64_t{b.lLbound} + b.cElements - 1);
  return S_OK;
}

KELTO_API HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks >= 0xFFFF) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

KELTO_API HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

KELTO_API HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  const HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) {
    *ppvData = nullptr;
    return hr;
  }
  *ppvData = psa->pvData;
  return S_OK;
}

KELTO_API HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

KELTO_API HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices || !pv) return E_INVALIDARG;
  std::size_t cell = 0;
  if (!CellOffset(psa, rgIndices, &cell)) return DISP_E_BADINDEX;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  const void* src = static_cast<unsigned char*>(psa->pvData) + cell * psa->cbElements;
  if (psa->fFeatures & FADF_VARIANT) {
    // The out-parameter is uninitialised memory by convention.
    VariantInit(static_cast<VARIANT*>(pv));
  }
  hr = CopyElement(psa->fFeatures, psa->cbElements, src, pv);
  SafeArrayUnlock(psa);
  return hr;
}

KELTO_API HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices) return E_INVALIDARG;
  // Strings and interfaces are passed by value (pv is the BSTR or the
  // pointer itself, and may be null); everything else by address.
  const bool byValue = (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0;
  if (!byValue && !pv) return E_INVALIDARG;
  std::size_t cell = 0;
  if (!CellOffset(psa, rgIndices, &cell)) return DISP_E_BADINDEX;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  void* dst = static_cast<unsigned char*>(psa->pvData) + cell * psa->cbElements;
  if (psa->fFeatures & FADF_BSTR) {
    BSTR copy = nullptr;
    hr = CopyElement(FADF_BSTR, 0, &pv, &copy);
    if (SUCCEEDED(hr)) {
      SysFreeString(*static_cast<BSTR*>(dst));
      *static_cast<BSTR*>(dst) = copy;
    }
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* fresh = static_cast<IUnknown*>(pv);
    if (fresh) fresh->AddRef();
    IUnknown* old = std::exchange(*static_cast<IUnknown**>(dst), fresh);
    if (old) old->Release();
  } else if (psa->fFeatures & FADF_VARIANT) {
    hr = VariantCopy(static_cast<VARIANT*>(dst), static_cast<const VARIANT*>(pv));
  } else {
    std::memmove(dst, pv, psa->cbElements);
  }
  SafeArrayUnlock(psa);
  return hr;
}

KELTO_API HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  if (psa->cDims == 0 || psa->cbElements == 0) return E_INVALIDARG;
  std::size_t cells = 0;
  if (!CellCount(psa, &cells)) return E_OUTOFMEMORY;
  SAFEARRAY* out = AllocDescriptor(psa->cDims);
  if (!out) return E_OUTOFMEMORY;
  // Hidden block, features and bounds carry over; the copy owns its storage
  // whatever the source's allocation flags were, and starts unlocked.
  // Only descriptors that announce a hidden block have one (a host's static
  // descriptor may not).
  if (psa->fFeatures & (FADF_HAVEIID | FADF_HAVEVARTYPE))
    std::memcpy(HiddenBlock(out), HiddenBlock(psa), kHiddenBytes);
  std::memcpy(out, psa, DescriptorBytes(psa->cDims));
  out->fFeatures &= ~(FADF_STATIC | FADF_EMBEDDED | FADF_AUTO);
  out->cLocks = 0;
  out->pvData = std::calloc(cells ? cells : 1, psa->cbElements);
  if (!out->pvData) {
    std::free(HiddenBlock(out));
    return E_OUTOFMEMORY;
  }
  const auto* src = static_cast<const unsigned char*>(psa->pvData);
  auto* dst = static_cast<unsigned char*>(out->pvData);
  for (std::size_t i = 0; src && i < cells; ++i) {
    const HRESULT hr = CopyElement(psa->fFeatures, psa->cbElements, src + i * psa->cbElements,
                                   dst + i * psa->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(out);
      return hr;
    }
  }
  *ppsaOut = out;
  return S_OK;
}
