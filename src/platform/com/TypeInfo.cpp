#include "platform/com/TypeInfo.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"

namespace kelto::com {

namespace {

class CTypeLib;

// Enumeration constants have no dispids; they are numbered from here, as
// type library compilers number them.
constexpr MEMBERID kFirstConstant = 0x40000000;

bool SameName(const char* ascii, std::u16string_view name) {
  std::size_t i = 0;
  for (; ascii[i]; ++i) {
    if (i >= name.size() || name[i] > 0x7F ||
        detail::AsciiLower(static_cast<unsigned char>(ascii[i])) != detail::AsciiLower(name[i]))
      return false;
  }
  return i == name.size();
}

// The caller's parameter names of a row: its own, or "arg1", "arg2"...; the
// value of a property put (the right side of the assignment) has none.
std::vector<std::string> ParamNames(const DispatchEntry& e) {
  std::vector<std::string> names;
  if (e.paramNames) {
    std::string_view rest(e.paramNames);
    while (!rest.empty()) {
      const std::size_t cut = rest.find(',');
      std::string_view name = rest.substr(0, cut);
      while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
      names.emplace_back(name);
      if (cut == std::string_view::npos) break;
      rest.remove_prefix(cut + 1);
    }
  }
  const bool put = e.kind == MemberKind::Put || e.kind == MemberKind::PutRef;
  const std::size_t named = e.CallerArgs() - (put ? 1 : 0);
  names.resize(std::min(names.size(), named));
  for (std::size_t i = names.size(); i < named; ++i) names.push_back("arg" + std::to_string(i + 1));
  return names;
}

// One FUNCDESC or VARDESC with everything it points to, freed as a whole.
struct DescBlock {
  FUNCDESC func{};
  VARDESC var{};
  std::vector<ELEMDESC> params;
  std::vector<TYPEDESC> pointees;
  std::vector<PARAMDESCEX> defaults;
  VARIANT value{};
  ~DescBlock() {
    for (PARAMDESCEX& d : defaults) VariantClear(&d.varDefaultValue);
  }
};

// The type information of one interface (TKIND_DISPATCH), enumeration
// (TKIND_ENUM) or class (TKIND_COCLASS).
class CTypeInfo : public Object<CTypeInfo, ITypeInfo> {
 public:
  explicit CTypeInfo(const InterfaceDescription& d) : kind_(TKIND_DISPATCH), interface_(&d) {}
  explicit CTypeInfo(const EnumDescription& d) : kind_(TKIND_ENUM), enum_(&d) {}
  explicit CTypeInfo(const CoClassDescription& d) : kind_(TKIND_COCLASS), coclass_(&d) {}

  // Set once, when the library that lists this type is built.
  void SetContainer(CTypeLib* lib, UINT index, WORD major, WORD minor) {
    if (lib_) return;
    lib_ = lib;
    index_ = index;
    major_ = major;
    minor_ = minor;
  }
  GUID Guid() const {
    return kind_ == TKIND_DISPATCH ? interface_->iid
           : kind_ == TKIND_COCLASS ? coclass_->clsid
                                    : GUID_NULL;
  }
  const char* Name() const {
    return kind_ == TKIND_DISPATCH ? interface_->name
           : kind_ == TKIND_COCLASS ? coclass_->name
                                    : enum_->name;
  }
  TYPEKIND Kind() const { return kind_; }
  // The member dispids (or constant ids) named name, for FindName.
  bool HasMember(std::u16string_view name, MEMBERID* id) const;

  HRESULT GetTypeAttr(TYPEATTR** ppTypeAttr) override;
  HRESULT GetTypeComp(ITypeComp** ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) override;
  HRESULT GetVarDesc(UINT index, VARDESC** ppVarDesc) override;
  HRESULT GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) override;
  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) override;
  // A class implements its default interface (0) and, when it has events,
  // calls its default source interface (1).
  HRESULT GetImplTypeFlags(UINT index, INT* pImplTypeFlags) override {
    if (!pImplTypeFlags) return E_POINTER;
    *pImplTypeFlags = 0;
    if (index >= ImplTypeCount()) return TYPE_E_ELEMENTNOTFOUND;
    *pImplTypeFlags = index == 0 ? IMPLTYPEFLAG_FDEFAULT
                                 : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    return S_OK;
  }
  HRESULT GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) override;
  HRESULT Invoke(void* pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    if (!pvInstance) return E_INVALIDARG;
    if (kind_ != TKIND_DISPATCH) return TYPE_E_ELEMENTNOTFOUND;
    // A dual interface's pointer is its IDispatch.
    return static_cast<IDispatch*>(pvInstance)
        ->Invoke(memid, GUID_NULL, 0, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
  }
  HRESULT GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                           DWORD* pdwHelpContext, BSTR* pBstrHelpFile) override;
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) override;
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void** ppv) override {
    if (ppv) *ppv = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObj) override {
    if (!ppvObj) return E_POINTER;
    *ppvObj = nullptr;
    if (kind_ != TKIND_COCLASS) return TYPE_E_ELEMENTNOTFOUND;
    return CoCreateInstance(coclass_->clsid, pUnkOuter, CLSCTX_INPROC_SERVER, riid, ppvObj);
  }
  HRESULT GetMops(MEMBERID, BSTR* pBstrMops) override {
    if (!pBstrMops) return E_POINTER;
    *pBstrMops = nullptr;
    return S_OK;
  }
  HRESULT GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override;
  void ReleaseTypeAttr(TYPEATTR* pTypeAttr) override { delete pTypeAttr; }
  void ReleaseFuncDesc(FUNCDESC* pFuncDesc) override { Forget(pFuncDesc); }
  void ReleaseVarDesc(VARDESC* pVarDesc) override { Forget(pVarDesc); }

 private:
  UINT ImplTypeCount() const {
    if (kind_ != TKIND_COCLASS) return 0;
    return coclass_->sourceInterface == GUID_NULL ? 1 : 2;
  }
  UINT FuncCount() const { return kind_ == TKIND_DISPATCH ? interface_->members.size() : 0; }
  UINT VarCount() const { return kind_ == TKIND_ENUM ? enum_->members.size() : 0; }
  // The row that names member memid: its property get when it has one, as
  // GetNames answers for a property; null when there is no such member.
  const DispatchEntry* Row(MEMBERID memid) const {
    if (kind_ != TKIND_DISPATCH) return nullptr;
    const DispatchEntry* found = nullptr;
    for (const DispatchEntry& e : interface_->members) {
      if (e.dispid != memid) continue;
      if (e.kind == MemberKind::Get || e.kind == MemberKind::Method) return &e;
      if (!found) found = &e;
    }
    return found;
  }
  HRESULT Keep(std::unique_ptr<DescBlock> block, const void* key) {
    std::lock_guard lock(mutex_);
    blocks_[key] = std::move(block);
    return S_OK;
  }
  void Forget(const void* key) {
    std::unique_ptr<DescBlock> gone;  // freed after the lock is dropped
    std::lock_guard lock(mutex_);
    auto it = blocks_.find(key);
    if (it == blocks_.end()) return;
    gone = std::move(it->second);
    blocks_.erase(it);
  }

  TYPEKIND kind_;
  const InterfaceDescription* interface_ = nullptr;
  const EnumDescription* enum_ = nullptr;
  const CoClassDescription* coclass_ = nullptr;
  CTypeLib* lib_ = nullptr;  // libraries live as long as the process
  UINT index_ = 0;
  WORD major_ = 0;
  WORD minor_ = 0;
  std::mutex mutex_;
  std::unordered_map<const void*, std::unique_ptr<DescBlock>> blocks_;
};

class CTypeLib : public Object<CTypeLib, ITypeLib> {
 public:
  explicit CTypeLib(const TypeLibDescription& desc);

  UINT GetTypeInfoCount() override { return static_cast<UINT>(types_.size()); }
  HRESULT GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
    return types_[index]->QueryInterface(IidOf<ITypeInfo>(), reinterpret_cast<void**>(ppTInfo));
  }
  HRESULT GetTypeInfoType(UINT index, TYPEKIND* pTKind) override {
    if (!pTKind) return E_POINTER;
    if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pTKind = types_[index]->Kind();
    return S_OK;
  }
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override {
    if (!ppTinfo) return E_POINTER;
    *ppTinfo = nullptr;
    for (UINT i = 0; i < types_.size(); ++i)
      if (types_[i]->Kind() != TKIND_ENUM && types_[i]->Guid() == guid)
        return GetTypeInfo(i, ppTinfo);
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetLibAttr(TLIBATTR** ppTLibAttr) override {
    if (!ppTLibAttr) return E_POINTER;
    *ppTLibAttr = new (std::nothrow)
        TLIBATTR{desc_.libid, 0, SYS_WIN64, desc_.major, desc_.minor, 0};
    return *ppTLibAttr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT GetTypeComp(ITypeComp** ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                           DWORD* pdwHelpContext, BSTR* pBstrHelpFile) override {
    if (index == -1) {
      if (pBstrName) *pBstrName = AllocBstr(desc_.name);
      if (pBstrDocString) *pBstrDocString = AllocBstr(desc_.helpString);
      if (pdwHelpContext) *pdwHelpContext = 0;
      if (pBstrHelpFile) *pBstrHelpFile = nullptr;
      return S_OK;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= types_.size())
      return TYPE_E_ELEMENTNOTFOUND;
    return types_[index]->GetDocumentation(MEMBERID_NIL, pBstrName, pBstrDocString, pdwHelpContext,
                                           pBstrHelpFile);
  }
  HRESULT IsName(LPOLESTR szNameBuf, ULONG, BOOL* pfName) override {
    if (!szNameBuf || !pfName) return E_POINTER;
    ITypeInfo* info = nullptr;
    MEMBERID id = 0;
    USHORT found = 1;
    FindName(szNameBuf, 0, &info, &id, &found);
    if (info) info->Release();
    *pfName = found ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                   USHORT* pcFound) override;
  void ReleaseTLibAttr(TLIBATTR* pTLibAttr) override { delete pTLibAttr; }

 private:
  const TypeLibDescription& desc_;
  std::vector<ComPtr<CTypeInfo>> types_;
};

// Type information of interfaces, by IID, and libraries, by library id; both
// kept for the life of the process (see TypeLibOf).
struct Cache {
  std::recursive_mutex mutex;
  std::map<GUID, ComPtr<CTypeInfo>> interfaces;
  std::map<GUID, ComPtr<CTypeLib>> libraries;

  static Cache& Instance() {
    static Cache* cache = new Cache;  // never destroyed: modules may use it at exit
    return *cache;
  }
};

ComPtr<CTypeInfo> InterfaceInfo(const InterfaceDescription& desc) {
  Cache& cache = Cache::Instance();
  std::lock_guard lock(cache.mutex);
  ComPtr<CTypeInfo>& slot = cache.interfaces[desc.iid];
  if (!slot) slot = MakeObject<CTypeInfo>(desc);
  return slot;
}

CTypeLib::CTypeLib(const TypeLibDescription& desc) : desc_(desc) {
  for (const InterfaceDescription& d : desc.interfaces) types_.push_back(InterfaceInfo(d));
  for (const EnumDescription& d : desc.enums) types_.push_back(MakeObject<CTypeInfo>(d));
  for (const CoClassDescription& d : desc.coclasses) types_.push_back(MakeObject<CTypeInfo>(d));
  for (UINT i = 0; i < types_.size(); ++i) types_[i]->SetContainer(this, i, desc.major, desc.minor);
}

HRESULT CTypeLib::FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                           USHORT* pcFound) {
  if (!szNameBuf || !ppTInfo || !rgMemId || !pcFound) return E_POINTER;
  const std::u16string_view name = OleView(szNameBuf);
  USHORT found = 0;
  for (const ComPtr<CTypeInfo>& type : types_) {
    if (found >= *pcFound) break;
    MEMBERID id = MEMBERID_NIL;
    if (!SameName(type->Name(), name) && !type->HasMember(name, &id)) continue;
    type->AddRef();
    ppTInfo[found] = type.Get();
    rgMemId[found] = id;
    ++found;
  }
  *pcFound = found;
  return S_OK;
}

bool CTypeInfo::HasMember(std::u16string_view name, MEMBERID* id) const {
  for (UINT i = 0; i < FuncCount(); ++i) {
    if (SameName(interface_->members[i].name, name)) {
      *id = interface_->members[i].dispid;
      return true;
    }
  }
  for (UINT i = 0; i < VarCount(); ++i) {
    if (SameName(enum_->members[i].name, name)) {
      *id = kFirstConstant + static_cast<MEMBERID>(i);
      return true;
    }
  }
  return false;
}

HRESULT CTypeInfo::GetTypeAttr(TYPEATTR** ppTypeAttr) {
  if (!ppTypeAttr) return E_POINTER;
  auto* attr = new (std::nothrow) TYPEATTR{};
  if (!(*ppTypeAttr = attr)) return E_OUTOFMEMORY;
  attr->guid = Guid();
  attr->memidConstructor = MEMBERID_NIL;
  attr->memidDestructor = MEMBERID_NIL;
  attr->typekind = kind_;
  attr->cFuncs = static_cast<WORD>(FuncCount());
  attr->cVars = static_cast<WORD>(VarCount());
  attr->cImplTypes = static_cast<WORD>(ImplTypeCount());
  attr->cbAlignment = 8;
  attr->wMajorVerNum = major_;
  attr->wMinorVerNum = minor_;
  switch (kind_) {
    case TKIND_DISPATCH:
      // The dispatch view of a dual interface: IDispatch's seven slots.
      attr->cbSizeVft = 7 * sizeof(void*);
      attr->cbSizeInstance = sizeof(void*);
      attr->wTypeFlags = interface_->dual ? TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE
                                          : TYPEFLAG_FDISPATCHABLE;
      break;
    case TKIND_ENUM:
      attr->cbSizeInstance = sizeof(LONG);
      attr->cbAlignment = 4;
      break;
    default:
      attr->cbSizeInstance = sizeof(void*);
      attr->wTypeFlags = TYPEFLAG_FCANCREATE;
      break;
  }
  return S_OK;
}

HRESULT CTypeInfo::GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) {
  if (!ppFuncDesc) return E_POINTER;
  *ppFuncDesc = nullptr;
  if (index >= FuncCount()) return TYPE_E_ELEMENTNOTFOUND;
  const DispatchEntry& e = interface_->members[index];
  try {
    auto block = std::make_unique<DescBlock>();
    const std::size_t args = e.CallerArgs();
    const std::size_t firstOptional = args - e.optionalCount;
    block->params.resize(args);
    block->pointees.resize(args);
    block->defaults.resize(args);
    SHORT withoutDefault = 0;
    for (std::size_t i = 0; i < args; ++i) {
      const ParamInfo& p = e.params[i];
      ELEMDESC& d = block->params[i];
      if (p.out) {
        // By reference: a pointer to the declared type.
        block->pointees[i].vt = p.vt;
        d.tdesc.vt = VT_PTR;
        d.tdesc.lptdesc = &block->pointees[i];
      } else {
        d.tdesc.vt = p.vt;
      }
      d.paramdesc.wParamFlags = p.out ? PARAMFLAG_FIN | PARAMFLAG_FOUT : PARAMFLAG_FIN;
      if (i < firstOptional) continue;
      d.paramdesc.wParamFlags |= PARAMFLAG_FOPT;
      const DefaultValue& value = e.defaults[i];
      PARAMDESCEX& ex = block->defaults[i];
      if (value.kind == DefaultValue::Kind::Missing || value.kind == DefaultValue::Kind::None ||
          FAILED(DefaultArgumentValue(value, p, &ex.varDefaultValue))) {
        ++withoutDefault;
        continue;
      }
      ex.cBytes = sizeof(PARAMDESCEX);
      d.paramdesc.pparamdescex = &ex;
      d.paramdesc.wParamFlags |= PARAMFLAG_FHASDEFAULT;
    }
    FUNCDESC& f = block->func;
    f.memid = e.dispid;
    f.lprgelemdescParam = args ? block->params.data() : nullptr;
    f.funckind = FUNC_DISPATCH;
    f.invkind = static_cast<INVOKEKIND>(e.kind);
    f.callconv = CC_STDCALL;
    f.cParams = static_cast<SHORT>(args);
    f.cParamsOpt = withoutDefault;
    f.elemdescFunc.tdesc.vt = e.retval ? e.params[e.paramCount - 1].vt : VARTYPE{VT_VOID};
    *ppFuncDesc = &f;
    return Keep(std::move(block), &f);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CTypeInfo::GetVarDesc(UINT index, VARDESC** ppVarDesc) {
  if (!ppVarDesc) return E_POINTER;
  *ppVarDesc = nullptr;
  if (index >= VarCount()) return TYPE_E_ELEMENTNOTFOUND;
  try {
    auto block = std::make_unique<DescBlock>();
    block->value.vt = VT_I4;
    block->value.lVal = enum_->members[index].value;
    VARDESC& v = block->var;
    v.memid = kFirstConstant + static_cast<MEMBERID>(index);
    v.lpvarValue = &block->value;
    v.elemdescVar.tdesc.vt = VT_I4;
    v.varkind = VAR_CONST;
    *ppVarDesc = &v;
    return Keep(std::move(block), &v);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CTypeInfo::GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) {
  if (!rgBstrNames || !pcNames) return E_POINTER;
  *pcNames = 0;
  std::vector<std::string> names;
  if (const DispatchEntry* e = Row(memid)) {
    names.push_back(e->name);
    for (std::string& p : ParamNames(*e)) names.push_back(std::move(p));
  } else if (kind_ == TKIND_ENUM && memid >= kFirstConstant &&
             static_cast<UINT>(memid - kFirstConstant) < VarCount()) {
    names.push_back(enum_->members[memid - kFirstConstant].name);
  } else {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  UINT n = 0;
  for (; n < names.size() && n < cMaxNames; ++n) rgBstrNames[n] = AllocBstr(names[n]);
  *pcNames = n;
  return S_OK;
}

HRESULT CTypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) {
  if (!pRefType) return E_POINTER;
  if (index >= ImplTypeCount() || !lib_) return TYPE_E_ELEMENTNOTFOUND;
  const IID& wanted = index == 0 ? coclass_->defaultInterface : coclass_->sourceInterface;
  // A reference is the index of the interface in the library.
  for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
    TYPEKIND kind{};
    lib_->GetTypeInfoType(i, &kind);
    ComPtr<ITypeInfo> info;
    if (kind != TKIND_DISPATCH || FAILED(lib_->GetTypeInfo(i, info.Put()))) continue;
    if (static_cast<CTypeInfo*>(info.Get())->Guid() == wanted) {
      *pRefType = i;
      return S_OK;
    }
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT CTypeInfo::GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (!lib_) return TYPE_E_ELEMENTNOTFOUND;
  return lib_->GetTypeInfo(hRefType, ppTInfo);
}

HRESULT CTypeInfo::GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) {
  if (!rgszNames || !pMemId) return E_POINTER;
  if (cNames == 0) return E_INVALIDARG;
  MEMBERID member = MEMBERID_NIL;
  if (!rgszNames[0] || !HasMember(OleView(rgszNames[0]), &member)) return DISP_E_UNKNOWNNAME;
  pMemId[0] = member;
  HRESULT hr = S_OK;
  const DispatchEntry* e = Row(member);
  const std::vector<std::string> params = e ? ParamNames(*e) : std::vector<std::string>{};
  for (UINT i = 1; i < cNames; ++i) {
    pMemId[i] = MEMBERID_NIL;
    for (std::size_t p = 0; p < params.size(); ++p)
      if (rgszNames[i] && SameName(params[p].c_str(), OleView(rgszNames[i])))
        pMemId[i] = static_cast<MEMBERID>(p);
    if (pMemId[i] == MEMBERID_NIL) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT CTypeInfo::GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                    DWORD* pdwHelpContext, BSTR* pBstrHelpFile) {
  std::string name;
  if (memid == MEMBERID_NIL) {
    name = Name();
  } else {
    BSTR names[1] = {};
    UINT count = 0;
    if (const HRESULT hr = GetNames(memid, names, 1, &count); FAILED(hr)) return hr;
    name = BstrToUtf8(names[0]);
    SysFreeString(names[0]);
  }
  if (pBstrName) *pBstrName = AllocBstr(name);
  if (pBstrDocString) *pBstrDocString = nullptr;
  if (pdwHelpContext) *pdwHelpContext = 0;
  if (pBstrHelpFile) *pBstrHelpFile = nullptr;
  return S_OK;
}

HRESULT CTypeInfo::GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) {
  if (!ppTLib) return E_POINTER;
  *ppTLib = nullptr;
  // An interface asked for before its library was loaded has none yet.
  if (!lib_) return TYPE_E_ELEMENTNOTFOUND;
  lib_->AddRef();
  *ppTLib = lib_;
  if (pIndex) *pIndex = index_;
  return S_OK;
}

}  // namespace

HRESULT TypeInfoOf(const InterfaceDescription& desc, ITypeInfo** ppTInfo) noexcept {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  try {
    ComPtr<CTypeInfo> info = InterfaceInfo(desc);
    return info->QueryInterface(IidOf<ITypeInfo>(), reinterpret_cast<void**>(ppTInfo));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT TypeLibOf(const TypeLibDescription& desc, ITypeLib** ppTLib) noexcept {
  if (!ppTLib) return E_POINTER;
  *ppTLib = nullptr;
  try {
    Cache& cache = Cache::Instance();
    std::lock_guard lock(cache.mutex);
    ComPtr<CTypeLib>& slot = cache.libraries[desc.libid];
    if (!slot) slot = MakeObject<CTypeLib>(desc);
    return slot->QueryInterface(IidOf<ITypeLib>(), reinterpret_cast<void**>(ppTLib));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace kelto::com
