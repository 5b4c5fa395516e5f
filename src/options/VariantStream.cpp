#include "options/VariantStream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"

// Fixed-size values go to and from the stream as their in-memory bytes, which
// is the little-endian layout only on a little-endian machine.
static_assert(std::endian::native == std::endian::little,
              "the stream layout is little-endian; add byte swapping for this target");

namespace kelto::options {

namespace {

// Thrown inside this file only; the public functions turn it into an HRESULT.
struct Failure {
  HRESULT hr;
};

void Check(HRESULT hr) {
  if (FAILED(hr)) throw Failure{hr};
}

[[noreturn]] void Corrupt() { throw Failure{STG_E_DOCFILECORRUPT}; }

// Bytes read from or written to the stream per call for bulk data.
constexpr std::size_t kChunk = 64 * 1024;

// Bytes of data a fixed-size scalar has in the stream (and in memory).
std::size_t FixedBytes(VARTYPE t) {
  switch (t) {
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_ERROR:
    case VT_R4:
      return 4;
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    default:
      return 0;
  }
}

bool IsPointerType(VARTYPE t) { return t == VT_BSTR || t == VT_UNKNOWN || t == VT_DISPATCH; }

// The scalar types of the layout.
bool IsScalarType(VARTYPE t) {
  return t == VT_EMPTY || t == VT_NULL || FixedBytes(t) != 0 || IsPointerType(t);
}

// Types an array may have as elements: scalars with storage, and VARIANT.
bool IsElementType(VARTYPE t) { return t == VT_VARIANT || FixedBytes(t) != 0 || IsPointerType(t); }

// Bytes one element occupies in a SAFEARRAY's data block.
std::size_t CellBytes(VARTYPE t) {
  if (t == VT_VARIANT) return sizeof(VARIANT);
  if (IsPointerType(t)) return sizeof(void*);
  return FixedBytes(t);
}

// Element count of an array with these bounds; false on overflow.
bool CountCells(const SAFEARRAYBOUND* bounds, USHORT dims, std::uint64_t limit,
                std::uint64_t* out) {
  std::uint64_t n = 1;
  for (USHORT d = 0; d < dims; ++d) {
    const std::uint64_t c = bounds[d].cElements;
    if (c != 0 && n > limit / c) return false;
    n *= c;
  }
  *out = n;
  return true;
}

// Keeps an array's data accessed (and the array locked) for a scope.
class AccessedData {
 public:
  explicit AccessedData(SAFEARRAY* psa) : m_psa(psa) { Check(SafeArrayAccessData(psa, &m_data)); }
  AccessedData(const AccessedData&) = delete;
  AccessedData& operator=(const AccessedData&) = delete;
  ~AccessedData() { SafeArrayUnaccessData(m_psa); }
  const BYTE* Bytes() const { return static_cast<const BYTE*>(m_data); }

 private:
  SAFEARRAY* m_psa;
  void* m_data = nullptr;
};

// --- Writing -------------------------------------------------------------------------

class Writer {
 public:
  explicit Writer(IStream* stream) : m_stream(stream) {}

  void Variant(const VARIANT& v, int depth) {
    // Only a VARIANT referring to itself could go this deep.
    if (depth > kMaxDepth) throw Failure{E_INVALIDARG};
    if (v.vt & VT_BYREF) {
      const VARTYPE base = v.vt & ~VT_BYREF;
      if (!v.byref) throw Failure{E_POINTER};
      if (base == VT_VARIANT) return Variant(*v.pvarVal, depth + 1);
      if (base & VT_ARRAY) return Array(base, *v.pparray, depth);
      if (!IsScalarType(base) || base == VT_EMPTY || base == VT_NULL) Unsupported();
      U16(base);
      return Scalar(base, v.byref);
    }
    if (v.vt & VT_ARRAY) return Array(v.vt, v.parray, depth);
    if (!IsScalarType(v.vt)) Unsupported();
    U16(v.vt);
    Scalar(v.vt, &v.llVal);
  }

 private:
  [[noreturn]] static void Unsupported() { throw Failure{DISP_E_BADVARTYPE}; }

  void Bytes(const void* p, std::size_t n) {
    const auto* bytes = static_cast<const BYTE*>(p);
    while (n > 0) {
      const std::size_t part = std::min(n, kChunk);
      Check(kelto::com::WriteExact(m_stream, bytes, static_cast<ULONG>(part)));
      bytes += part;
      n -= part;
    }
  }
  void U16(std::uint16_t v) { Bytes(&v, sizeof v); }
  void U32(std::uint32_t v) { Bytes(&v, sizeof v); }
  void I32(std::int32_t v) { Bytes(&v, sizeof v); }

  // vt: VT_ARRAY | element type (no VT_BYREF).
  void Array(VARTYPE vt, SAFEARRAY* psa, int depth) {
    const VARTYPE element = vt & ~VT_ARRAY;
    if ((element & ~VT_TYPEMASK) || !IsElementType(element)) Unsupported();
    if (!psa || psa->cDims == 0) throw Failure{E_INVALIDARG};
    // The VARTYPE decides how the cells are read; a descriptor that says
    // otherwise would make us read past the data or misread pointers.
    if (psa->cbElements != CellBytes(element)) throw Failure{DISP_E_TYPEMISMATCH};
    VARTYPE stored = VT_EMPTY;
    if (SUCCEEDED(SafeArrayGetVartype(psa, &stored)) && stored != element &&
        !(element == VT_UNKNOWN && stored == VT_DISPATCH)) {
      throw Failure{DISP_E_TYPEMISMATCH};
    }
    std::uint64_t count = 0;
    if (!CountCells(psa->rgsabound, psa->cDims, std::numeric_limits<std::uint64_t>::max(),
                    &count)) {
      throw Failure{E_INVALIDARG};
    }

    U16(vt);
    U16(psa->cDims);
    for (USHORT d = 0; d < psa->cDims; ++d) {
      I32(psa->rgsabound[d].lLbound);
      U32(psa->rgsabound[d].cElements);
    }
    AccessedData data(psa);
    if (FixedBytes(element) != 0) {
      Bytes(data.Bytes(), static_cast<std::size_t>(count) * psa->cbElements);
      return;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      const BYTE* cell = data.Bytes() + i * psa->cbElements;
      if (element == VT_VARIANT) {
        Variant(*reinterpret_cast<const VARIANT*>(cell), depth + 1);
      } else {
        Scalar(element, cell);
      }
    }
  }

  // The data of a scalar whose value is stored at `value`.
  void Scalar(VARTYPE t, const void* value) {
    if (const std::size_t n = FixedBytes(t)) return Bytes(value, n);
    if (t == VT_BSTR) {
      const BSTR s = *static_cast<const BSTR*>(value);
      const UINT n = SysStringByteLen(s);
      U32(n);
      return Bytes(s, n);
    }
    if (t == VT_UNKNOWN || t == VT_DISPATCH) return Object(*static_cast<IUnknown* const*>(value));
    // EMPTY and NULL have no data.
  }

  void Object(IUnknown* object) {
    using kelto::com::ComPtr;
    if (!object) return Check(OleSaveToStream(nullptr, m_stream));
    ComPtr<IUnknown> unknown(object);
    if (auto persist = unknown.As<IPersistStream>()) {
      return Check(OleSaveToStream(persist.Get(), m_stream));
    }
    // The same class-tagged form for objects that offer only the Init
    // variant; OleLoadFromStream accepts both.
    if (auto persist = unknown.As<IPersistStreamInit>()) {
      CLSID clsid{};
      Check(persist->GetClassID(&clsid));
      Check(WriteClassStm(m_stream, clsid));
      return Check(persist->Save(m_stream, TRUE));
    }
    throw Failure{E_NOINTERFACE};
  }

  IStream* m_stream;
};

// --- Reading -------------------------------------------------------------------------

// Cells of an array being read, owned until they move into the SAFEARRAY:
// a failure part-way frees what was read so far.
class Cells {
 public:
  Cells(VARTYPE element, std::size_t cellBytes) : m_element(element), m_cellBytes(cellBytes) {}
  Cells(const Cells&) = delete;
  Cells& operator=(const Cells&) = delete;
  ~Cells() { FreeAll(); }

  // A new zeroed cell at the end; valid until the next Append.
  BYTE* Append() {
    m_bytes.resize(m_bytes.size() + m_cellBytes);
    return m_bytes.data() + m_bytes.size() - m_cellBytes;
  }
  // Room for n more bytes of fixed-size cells.
  BYTE* Extend(std::size_t n) {
    m_bytes.resize(m_bytes.size() + n);
    return m_bytes.data() + m_bytes.size() - n;
  }
  const BYTE* Data() const { return m_bytes.data(); }
  std::size_t Size() const { return m_bytes.size(); }
  // The cells now belong to somebody else.
  void Release() { m_bytes.clear(); }

 private:
  void FreeAll() {
    for (std::size_t at = 0; at + m_cellBytes <= m_bytes.size(); at += m_cellBytes) {
      BYTE* cell = m_bytes.data() + at;
      if (m_element == VT_VARIANT) {
        VariantClear(reinterpret_cast<VARIANT*>(cell));
      } else if (m_element == VT_BSTR) {
        SysFreeString(*reinterpret_cast<BSTR*>(cell));
      } else if (m_element == VT_UNKNOWN || m_element == VT_DISPATCH) {
        if (IUnknown* u = *reinterpret_cast<IUnknown**>(cell)) u->Release();
      }
    }
  }

  VARTYPE m_element;
  std::size_t m_cellBytes;
  std::vector<BYTE> m_bytes;
};

class Reader {
 public:
  explicit Reader(IStream* stream) : m_stream(stream) {}

  // Reads into `out` (VT_EMPTY on entry). After a failure `out` owns nothing.
  void Variant(VARIANT& out, int depth) {
    const VARTYPE vt = U16();
    if (vt & VT_ARRAY) {
      const VARTYPE element = vt & ~VT_ARRAY;
      if (!IsElementType(element) || depth >= kMaxDepth) Corrupt();
      out.parray = Array(element, depth + 1);
      out.vt = vt;
      return;
    }
    if (!IsScalarType(vt)) Corrupt();
    Scalar(vt, &out.llVal);
    out.vt = vt;
  }

 private:
  void Bytes(void* p, std::size_t n) {
    Check(kelto::com::ReadExact(m_stream, p, static_cast<ULONG>(n)));
  }
  std::uint16_t U16() {
    std::uint16_t v = 0;
    Bytes(&v, sizeof v);
    return v;
  }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    Bytes(&v, sizeof v);
    return v;
  }
  std::int32_t I32() {
    std::int32_t v = 0;
    Bytes(&v, sizeof v);
    return v;
  }

  SAFEARRAY* Array(VARTYPE element, int depth) {
    const USHORT dims = U16();
    if (dims == 0 || dims > kMaxDims) Corrupt();
    std::vector<SAFEARRAYBOUND> stored(dims);  // descriptor order: rightmost first
    for (auto& b : stored) {
      b.lLbound = I32();
      b.cElements = U32();
      // Every index must fit the 32-bit index type.
      if (b.cElements != 0 &&
          std::int64_t{b.lLbound} + b.cElements - 1 > std::numeric_limits<LONG>::max()) {
        Corrupt();
      }
    }
    std::uint64_t count = 0;
    if (!CountCells(stored.data(), dims, kMaxElements, &count)) Corrupt();

    // Cells grow with the data the stream really delivers.
    const std::size_t cellBytes = CellBytes(element);
    Cells cells(element, cellBytes);
    if (FixedBytes(element) != 0) {
      std::size_t left = static_cast<std::size_t>(count) * cellBytes;
      while (left > 0) {
        const std::size_t part = std::min(left, kChunk);
        Bytes(cells.Extend(part), part);
        left -= part;
      }
    } else {
      for (std::uint64_t i = 0; i < count; ++i) {
        BYTE* cell = cells.Append();
        if (element == VT_VARIANT) {
          Variant(*reinterpret_cast<VARIANT*>(cell), depth);
        } else {
          Scalar(element, cell);
        }
      }
    }

    // SafeArrayCreate takes bounds leftmost first and stores them reversed.
    std::vector<SAFEARRAYBOUND> leftmostFirst(stored.rbegin(), stored.rend());
    SAFEARRAY* psa = SafeArrayCreate(element, dims, leftmostFirst.data());
    if (!psa) throw std::bad_alloc();
    if (psa->cbElements != cellBytes) {
      SafeArrayDestroy(psa);
      throw Failure{E_UNEXPECTED};
    }
    if (cells.Size() > 0) std::memcpy(psa->pvData, cells.Data(), cells.Size());
    cells.Release();
    return psa;
  }

  // Reads the data of a scalar into its storage `value` (zeroed on entry).
  void Scalar(VARTYPE t, void* value) {
    if (const std::size_t n = FixedBytes(t)) return Bytes(value, n);
    if (t == VT_BSTR) return String(static_cast<BSTR*>(value));
    if (t == VT_UNKNOWN || t == VT_DISPATCH) {
      const IID& iid =
          t == VT_UNKNOWN ? kelto::com::IidOf<IUnknown>() : kelto::com::IidOf<IDispatch>();
      void* object = nullptr;
      // S_FALSE: a null object was saved.
      Check(OleLoadFromStream(m_stream, iid, &object));
      *static_cast<void**>(value) = object;
    }
  }

  void String(BSTR* out) {
    const std::uint32_t n = U32();
    if (n > kMaxStringBytes) Corrupt();
    std::vector<char> bytes;
    while (bytes.size() < n) {
      const std::size_t part = std::min<std::size_t>(n - bytes.size(), kChunk);
      bytes.resize(bytes.size() + part);
      Bytes(bytes.data() + bytes.size() - part, part);
    }
    BSTR s = SysAllocStringByteLen(bytes.empty() ? "" : bytes.data(), n);
    if (!s) throw std::bad_alloc();
    *out = s;
  }

  IStream* m_stream;
};

}  // namespace

HRESULT WriteVariant(IStream* stream, const VARIANT& value) noexcept {
  if (!stream) return E_POINTER;
  try {
    Writer(stream).Variant(value, 0);
    return S_OK;
  } catch (const Failure& f) {
    return f.hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT ReadVariant(IStream* stream, VARIANT* value) noexcept {
  if (!value) return E_POINTER;
  VariantInit(value);
  if (!stream) return E_POINTER;
  VARIANT read;
  VariantInit(&read);
  try {
    Reader(stream).Variant(read, 0);
  } catch (const Failure& f) {
    return f.hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
  *value = read;
  return S_OK;
}

}  // namespace kelto::options
