// The platform functions the runtime implements, with their scripting-ABI
// names and signatures and C linkage, so that a C host or Python's ctypes can
// call them from libkelto3d-runtime.so. C++ code inside the project calls them
// too; the RAII wrappers in this folder are the comfortable way.
#pragma once

#include "platform/com/Interfaces.h"
#include "platform/com/Types.h"

// --- Apartment, memory ----------------------------------------------------------
KELTO_API HRESULT CoInitialize(void* pvReserved);
KELTO_API HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
KELTO_API void CoUninitialize();
KELTO_API void* CoTaskMemAlloc(std::size_t cb);
KELTO_API void* CoTaskMemRealloc(void* pv, std::size_t cb);
KELTO_API void CoTaskMemFree(void* pv);

// --- Object creation -----------------------------------------------------------
KELTO_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext,
                                   REFIID riid, void** ppv);
KELTO_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved,
                                   REFIID riid, void** ppv);
// Makes a class object of an already loaded module known to CoCreateInstance.
KELTO_API HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext,
                                        DWORD flags, DWORD* lpdwRegister);
KELTO_API HRESULT CoRevokeClassObject(DWORD dwRegister);
KELTO_API HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid);
KELTO_API HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);
KELTO_API HRESULT CLSIDFromString(LPCOLESTR lpsz, CLSID* pclsid);
KELTO_API HRESULT IIDFromString(LPCOLESTR lpsz, IID* lpiid);
KELTO_API int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
KELTO_API HRESULT CoFreeUnusedLibraries();

// --- Thread locale ------------------------------------------------------------
KELTO_API LCID GetThreadLocale();
KELTO_API BOOL SetThreadLocale(LCID Locale);

// --- BSTR -----------------------------------------------------------------------
KELTO_API BSTR SysAllocString(const OLECHAR* psz);
KELTO_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
KELTO_API BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
KELTO_API BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
KELTO_API BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
KELTO_API void SysFreeString(BSTR bstrString);
KELTO_API UINT SysStringLen(BSTR pbstr);
KELTO_API UINT SysStringByteLen(BSTR bstr);

// --- VARIANT -------------------------------------------------------------------
KELTO_API void VariantInit(VARIANTARG* pvarg);
KELTO_API HRESULT VariantClear(VARIANTARG* pvarg);
KELTO_API HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
KELTO_API HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);
KELTO_API HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc,
                                    USHORT wFlags, VARTYPE vt);
KELTO_API HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid,
                                      USHORT wFlags, VARTYPE vt);

// --- SAFEARRAY -----------------------------------------------------------------
KELTO_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
KELTO_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
KELTO_API HRESULT SafeArrayDestroy(SAFEARRAY* psa);
KELTO_API UINT SafeArrayGetDim(SAFEARRAY* psa);
KELTO_API UINT SafeArrayGetElemsize(SAFEARRAY* psa);
KELTO_API HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
KELTO_API HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
KELTO_API HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
KELTO_API HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
KELTO_API HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
KELTO_API HRESULT SafeArrayLock(SAFEARRAY* psa);
KELTO_API HRESULT SafeArrayUnlock(SAFEARRAY* psa);
KELTO_API HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
KELTO_API HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
KELTO_API HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);

// --- Error information ------------------------------------------------------------
KELTO_API HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
KELTO_API HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
KELTO_API HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);

// --- Streams, storages, persistence -------------------------------------------------
KELTO_API HRESULT CreateStreamOnHGlobal(void* hGlobal, BOOL fDeleteOnRelease, IStream** ppstm);
// A stream over a file; grfMode as for storages (STGM_READ, STGM_WRITE |
// STGM_CREATE, ...). Linux has SHCreateStreamOnFile's role taken by this name.
KELTO_API HRESULT SHCreateStreamOnFileEx(LPCOLESTR pszFile, DWORD grfMode, DWORD dwAttributes,
                                         BOOL fCreate, IStream* pstmTemplate, IStream** ppstm);
// An in-memory storage of named streams (and sub-storages).
KELTO_API HRESULT StgCreateMemoryStorage(IStorage** ppstg);
KELTO_API HRESULT WriteClassStm(IStream* pStm, REFCLSID rclsid);
KELTO_API HRESULT ReadClassStm(IStream* pStm, CLSID* pclsid);
KELTO_API HRESULT OleSaveToStream(IPersistStream* pPStm, IStream* pStm);
KELTO_API HRESULT OleLoadFromStream(IStream* pStm, REFIID iidInterface, void** ppvObj);
