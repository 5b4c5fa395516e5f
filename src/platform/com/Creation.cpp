// Object creation: class objects, instances, ProgIDs and GUID text.
//
// A class is looked for, in order, among the class objects hosts registered,
// in the modules already in memory, and in the settings store under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, whose default value is the
// path of the shared library to open. docs/runtime-modules.md has the rules.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/com/Api.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/RegistryText.h"
#include "platform/com/Strings.h"

namespace {

using kelto::com::ClassRegistry;
using kelto::com::ComPtr;

// REG_EXPAND_SZ values name environment variables as %NAME%; an unknown
// variable is left as written, as the platform does.
std::string ExpandEnvironment(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out.append(text, i, std::string::npos);
      break;
    }
    out.append(text, i, open - i);
    const std::string name = text.substr(open + 1, close - open - 1);
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value) {
      out += value;
    } else {
      out.append(text, open, close - open + 1);
    }
    i = close + 1;
  }
  return out;
}

std::string ClsidKey(REFCLSID clsid) { return "CLSID\\" + kelto::com::FormatGuid(clsid); }

HRESULT ClassObjectFromStore(REFCLSID rclsid, REFIID riid, void** ppv) {
  DWORD type = REG_NONE;
  auto path = kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(rclsid) + "\\InprocServer32",
                                        nullptr, &type);
  if (!path || path->empty()) return REGDB_E_CLASSNOTREG;
  if (type == REG_EXPAND_SZ) *path = ExpandEnvironment(*path);
  kelto::com::GetClassObjectFn entry = nullptr;
  std::string error;
  const HRESULT hr = ClassRegistry::Instance().OpenModule(*path, &entry, &error);
  if (FAILED(hr)) {
    // The loader's message (missing file, unresolved symbol...) is what a
    // host's user needs to repair an installation.
    kelto::com::SetError(rclsid, kelto::com::IidOf<IClassFactory>(), error);
    return hr;
  }
  return entry(rclsid, riid, ppv);
}

// The CLSID default value of HKCR\<progId>, parsed.
bool ReadProgIdClsid(const std::string& progId, CLSID* clsid) {
  auto text = kelto::com::ReadRegString(HKEY_CLASSES_ROOT, progId + "\\CLSID", nullptr);
  if (!text) return false;
  auto guid = kelto::com::ParseGuid(*text);
  if (!guid || text->front() != '{') return false;
  *clsid = *guid;
  return true;
}

bool ValidKeyName(const std::string& name) {
  // A key name is one path element: empty names and separators would walk
  // somewhere else in the store.
  return !name.empty() && name.find('\\') == std::string::npos;
}

}  // namespace

KELTO_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* /*pvReserved*/,
                                   REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  ClassRegistry& registry = ClassRegistry::Instance();
  if (ComPtr<IUnknown> object = registry.FindRegisteredObject(rclsid, dwClsContext))
    return object->QueryInterface(riid, ppv);
  // Everything past registered objects lives in this process.
  if (!(dwClsContext & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
  const HRESULT hr = registry.GetFromLoadedModules(rclsid, riid, ppv);
  if (hr != CLASS_E_CLASSNOTAVAILABLE) return hr;
  return ClassObjectFromStore(rclsid, riid, ppv);
}

KELTO_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext,
                                   REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // No class of this runtime can be aggregated; say so before loading anything.
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  ComPtr<IClassFactory> factory;
  const HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr,
                                      kelto::com::IidOf<IClassFactory>(), factory.PutVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, riid, ppv);
}

KELTO_API HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext,
                                        DWORD flags, DWORD* lpdwRegister) {
  return ClassRegistry::Instance().RegisterObject(rclsid, pUnk, dwClsContext, flags, lpdwRegister);
}

KELTO_API HRESULT CoRevokeClassObject(DWORD dwRegister) {
  return ClassRegistry::Instance().RevokeObject(dwRegister);
}

KELTO_API HRESULT CoFreeUnusedLibraries() {
  // Modules stay mapped for the life of the process (see ClassRegistry.h);
  // there is nothing to free.
  return S_OK;
}

KELTO_API HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid) {
  if (!lpszProgID || !lpclsid) return E_INVALIDARG;
  *lpclsid = GUID_NULL;
  const std::string progId = kelto::com::Utf16ToUtf8(kelto::com::OleView(lpszProgID));
  if (!ValidKeyName(progId)) return CO_E_CLASSSTRING;
  if (ClassRegistry::Instance().ClsidFromLoadedProgId(progId, lpclsid)) return S_OK;
  // A version-independent ProgID names its current version in CurVer; that
  // version's CLSID wins, and the ProgID's own CLSID is the fallback (it may
  // have none at all).
  auto current = kelto::com::ReadRegString(HKEY_CLASSES_ROOT, progId + "\\CurVer", nullptr);
  if (current && ValidKeyName(*current) && ReadProgIdClsid(*current, lpclsid)) return S_OK;
  if (ReadProgIdClsid(progId, lpclsid)) return S_OK;
  *lpclsid = GUID_NULL;
  return CO_E_CLASSSTRING;
}

KELTO_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (!lplpszProgID) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  std::string progId;
  if (!ClassRegistry::Instance().ProgIdFromLoadedClsid(clsid, &progId)) {
    auto stored =
        kelto::com::ReadRegString(HKEY_CLASSES_ROOT, ClsidKey(clsid) + "\\ProgID", nullptr);
    if (!stored || stored->empty()) return REGDB_E_CLASSNOTREG;
    progId = *stored;
  }
  const std::u16string wide = kelto::com::Utf8ToUtf16(progId);
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
  if (!out) return E_OUTOFMEMORY;
  std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
  *lplpszProgID = out;
  return S_OK;
}

KELTO_API HRESULT CLSIDFromString(LPCOLESTR lpsz, CLSID* pclsid) {
  if (!pclsid) return E_INVALIDARG;
  *pclsid = GUID_NULL;
  // A null or empty string is the null CLSID, as on the platform.
  if (!lpsz || !*lpsz) return S_OK;
  if (lpsz[0] == u'{') {
    const std::string text = kelto::com::Utf16ToUtf8(kelto::com::OleView(lpsz));
    auto guid = text.size() == 38 ? kelto::com::ParseGuid(text) : std::nullopt;
    if (!guid) return CO_E_CLASSSTRING;
    *pclsid = *guid;
    return S_OK;
  }
  // Anything else is taken for a ProgID.
  return SUCCEEDED(CLSIDFromProgID(lpsz, pclsid)) ? S_OK : CO_E_CLASSSTRING;
}

KELTO_API HRESULT IIDFromString(LPCOLESTR lpsz, IID* lpiid) {
  if (!lpiid) return E_INVALIDARG;
  *lpiid = GUID_NULL;
  if (!lpsz) return S_OK;
  const std::string text = kelto::com::Utf16ToUtf8(kelto::com::OleView(lpsz));
  auto guid = text.size() == 38 ? kelto::com::ParseGuid(text) : std::nullopt;
  if (!guid) return E_INVALIDARG;
  *lpiid = *guid;
  return S_OK;
}

KELTO_API int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  constexpr int kChars = 39;  // 38 characters and the terminator
  if (!lpsz || cchMax < kChars) return 0;
  const std::u16string text = kelto::com::FormatGuid16(rguid);
  std::memcpy(lpsz, text.c_str(), kChars * sizeof(OLECHAR));
  return kChars;
}
