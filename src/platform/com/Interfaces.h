// The standard interfaces of the object model, in the vtable order of the
// scripting ABI. None has a virtual destructor: objects die through Release.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Types.h"

struct ITypeInfo;  // TypeInfo.h
struct IRecordInfo;
struct IStream;
struct IStorage;
struct IEnumSTATSTG;
struct IErrorLog;
struct IConnectionPointContainer;
struct IEnumConnections;
struct IEnumConnectionPoints;

using SNB = OLECHAR**;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};
KELTO_INTERFACE_IID(IUnknown, void, "00000000-0000-0000-C000-000000000046");

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         UINT* puArgErr) = 0;
};
KELTO_INTERFACE_IID(IDispatch, IUnknown, "00020400-0000-0000-C000-000000000046");

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;
};
KELTO_INTERFACE_IID(IClassFactory, IUnknown, "00000001-0000-0000-C000-000000000046");

struct IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* pGUID) = 0;
  virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
  virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
  virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};
KELTO_INTERFACE_IID(IErrorInfo, IUnknown, "1CF2B120-547D-101B-8E65-08002B2BD119");

struct ICreateErrorInfo : IUnknown {
  virtual HRESULT SetGUID(REFGUID rguid) = 0;
  virtual HRESULT SetSource(LPOLESTR szSource) = 0;
  virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
  virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
  virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};
KELTO_INTERFACE_IID(ICreateErrorInfo, IUnknown, "22F03340-547D-101B-8E65-08002B2BD119");

struct ISupportErrorInfo : IUnknown {
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};
KELTO_INTERFACE_IID(ISupportErrorInfo, IUnknown, "DF0B3D60-548F-101B-8E65-08002B2BD119");

struct IEnumVARIANT : IUnknown {
  virtual HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumVARIANT** ppEnum) = 0;
};
KELTO_INTERFACE_IID(IEnumVARIANT, IUnknown, "00020404-0000-0000-C000-000000000046");

struct IConnectionPoint : IUnknown {
  virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
  virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
  virtual HRESULT Unadvise(DWORD dwCookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;
};
KELTO_INTERFACE_IID(IConnectionPoint, IUnknown, "B196B286-BAB4-101A-B69C-00AA00341D07");

struct IConnectionPointContainer : IUnknown {
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};
KELTO_INTERFACE_IID(IConnectionPointContainer, IUnknown, "B196B284-BAB4-101A-B69C-00AA00341D07");

struct IEnumConnections : IUnknown {
  virtual HRESULT Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) = 0;
  virtual HRESULT Skip(ULONG cConnections) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;
};
KELTO_INTERFACE_IID(IEnumConnections, IUnknown, "B196B287-BAB4-101A-B69C-00AA00341D07");

struct IEnumConnectionPoints : IUnknown {
  virtual HRESULT Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) = 0;
  virtual HRESULT Skip(ULONG cConnections) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;
};
KELTO_INTERFACE_IID(IEnumConnectionPoints, IUnknown, "B196B285-BAB4-101A-B69C-00AA00341D07");

struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};
KELTO_INTERFACE_IID(ISequentialStream, IUnknown, "0C733A30-2A1C-11CE-ADE5-00AA0044773D");

struct IStream : ISequentialStream {
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
  virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                         ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  virtual HRESULT Clone(IStream** ppstm) = 0;
};
KELTO_INTERFACE_IID(IStream, ISequentialStream, "0000000C-0000-0000-C000-000000000046");

struct IEnumSTATSTG : IUnknown {
  virtual HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumSTATSTG** ppenum) = 0;
};
KELTO_INTERFACE_IID(IEnumSTATSTG, IUnknown, "0000000D-0000-0000-C000-000000000046");

struct IStorage : IUnknown {
  virtual HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                               DWORD reserved2, IStream** ppstm) = 0;
  virtual HRESULT OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode,
                             DWORD reserved2, IStream** ppstm) = 0;
  virtual HRESULT CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                                DWORD reserved2, IStorage** ppstg) = 0;
  virtual HRESULT OpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                              SNB snbExclude, DWORD reserved, IStorage** ppstg) = 0;
  virtual HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                         IStorage* pstgDest) = 0;
  virtual HRESULT MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest,
                                const OLECHAR* pwcsNewName, DWORD grfFlags) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                               IEnumSTATSTG** ppenum) = 0;
  virtual HRESULT DestroyElement(const OLECHAR* pwcsName) = 0;
  virtual HRESULT RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) = 0;
  virtual HRESULT SetElementTimes(const OLECHAR* pwcsName, const FILETIME* pctime,
                                  const FILETIME* patime, const FILETIME* pmtime) = 0;
  virtual HRESULT SetClass(REFCLSID clsid) = 0;
  virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
};
KELTO_INTERFACE_IID(IStorage, IUnknown, "0000000B-0000-0000-C000-000000000046");

struct IErrorLog : IUnknown {
  virtual HRESULT AddError(LPCOLESTR pszPropName, EXCEPINFO* pExcepInfo) = 0;
};
KELTO_INTERFACE_IID(IErrorLog, IUnknown, "3127CA40-446E-11CE-8135-00AA004BB851");

struct IPropertyBag : IUnknown {
  virtual HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) = 0;
  virtual HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) = 0;
};
KELTO_INTERFACE_IID(IPropertyBag, IUnknown, "55272A00-42CB-11CE-8135-00AA004BB851");

struct IPersist : IUnknown {
  virtual HRESULT GetClassID(CLSID* pClassID) = 0;
};
KELTO_INTERFACE_IID(IPersist, IUnknown, "0000010C-0000-0000-C000-000000000046");

struct IPersistStream : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream* pStm) = 0;
  virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
  virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
};
KELTO_INTERFACE_IID(IPersistStream, IPersist, "00000109-0000-0000-C000-000000000046");

struct IPersistStreamInit : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream* pStm) = 0;
  virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
  virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
  virtual HRESULT InitNew() = 0;
};
KELTO_INTERFACE_IID(IPersistStreamInit, IPersist, "7FD52380-4E07-101B-AE2D-08002B2EC713");

struct IPersistStorage : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT InitNew(IStorage* pStg) = 0;
  virtual HRESULT Load(IStorage* pStg) = 0;
  virtual HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad) = 0;
  virtual HRESULT SaveCompleted(IStorage* pStgNew) = 0;
  virtual HRESULT HandsOffStorage() = 0;
};
KELTO_INTERFACE_IID(IPersistStorage, IPersist, "0000010A-0000-0000-C000-000000000046");

struct IPersistPropertyBag : IPersist {
  virtual HRESULT InitNew() = 0;
  virtual HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) = 0;
  virtual HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) = 0;
};
KELTO_INTERFACE_IID(IPersistPropertyBag, IPersist, "37D84F60-42CB-11CE-8135-00AA004BB851");
