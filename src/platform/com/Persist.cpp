// Class-tagged persistence of objects in streams: a CLSID (16 bytes, its
// fields little-endian as the platform writes them) followed by whatever the
// object's IPersistStream::Save writes. OleLoadFromStream reads the CLSID,
// creates the object through CoCreateInstance and lets it load the rest.
//
// Choices where the platform leaves room:
// - OleSaveToStream with a null object writes CLSID_NULL and succeeds, and
//   OleLoadFromStream that meets CLSID_NULL returns S_FALSE with a null
//   object, so an empty object slot survives a round trip.
// - OleLoadFromStream also loads objects that offer only IPersistStreamInit
//   (same Load signature), so anything OleSaveToStream can save through
//   either interface can be read back.
// - Short reads and writes fail (STG_E_READFAULT / STG_E_WRITEFAULT) rather
//   than leaving a half-read CLSID to be looked up.
#include <cstring>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"

namespace {

void PutLe(BYTE* p, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

std::uint64_t GetLe(const BYTE* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= std::uint64_t{p[i]} << (8 * i);
  return v;
}

}  // namespace

KELTO_API HRESULT WriteClassStm(IStream* pStm, REFCLSID rclsid) {
  if (!pStm) return E_INVALIDARG;
  BYTE bytes[16];
  PutLe(bytes, rclsid.Data1, 4);
  PutLe(bytes + 4, rclsid.Data2, 2);
  PutLe(bytes + 6, rclsid.Data3, 2);
  std::memcpy(bytes + 8, rclsid.Data4, 8);
  return kelto::com::WriteExact(pStm, bytes, sizeof bytes);
}

KELTO_API HRESULT ReadClassStm(IStream* pStm, CLSID* pclsid) {
  if (!pStm || !pclsid) return E_INVALIDARG;
  BYTE bytes[16];
  if (const HRESULT hr = kelto::com::ReadExact(pStm, bytes, sizeof bytes); FAILED(hr)) return hr;
  CLSID c{};
  c.Data1 = static_cast<std::uint32_t>(GetLe(bytes, 4));
  c.Data2 = static_cast<std::uint16_t>(GetLe(bytes + 4, 2));
  c.Data3 = static_cast<std::uint16_t>(GetLe(bytes + 6, 2));
  std::memcpy(c.Data4, bytes + 8, 8);
  *pclsid = c;
  return S_OK;
}

KELTO_API HRESULT OleSaveToStream(IPersistStream* pPStm, IStream* pStm) {
  if (!pStm) return E_INVALIDARG;
  if (!pPStm) return WriteClassStm(pStm, GUID_NULL);
  CLSID clsid{};
  if (const HRESULT hr = pPStm->GetClassID(&clsid); FAILED(hr)) return hr;
  if (const HRESULT hr = WriteClassStm(pStm, clsid); FAILED(hr)) return hr;
  return pPStm->Save(pStm, TRUE);
}

KELTO_API HRESULT OleLoadFromStream(IStream* pStm, REFIID iidInterface, void** ppvObj) {
  using kelto::com::ComPtr;
  using kelto::com::IidOf;
  if (!ppvObj) return E_POINTER;
  *ppvObj = nullptr;
  if (!pStm) return E_INVALIDARG;
  CLSID clsid{};
  if (const HRESULT hr = ReadClassStm(pStm, &clsid); FAILED(hr)) return hr;
  if (clsid == GUID_NULL) return S_FALSE;

  ComPtr<IUnknown> object;
  if (const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<IUnknown>(),
                                          object.PutVoid());
      FAILED(hr))
    return hr;
  HRESULT hr = E_NOINTERFACE;
  if (auto ps = object.As<IPersistStream>()) {
    hr = ps->Load(pStm);
  } else if (auto psi = object.As<IPersistStreamInit>()) {
    hr = psi->Load(pStm);
  }
  if (FAILED(hr)) return hr;
  return object->QueryInterface(iidInterface, ppvObj);
}
