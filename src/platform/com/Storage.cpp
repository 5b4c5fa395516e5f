#include "platform/com/Storage.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/Object.h"
#include "platform/com/Stream.h"
#include "platform/com/Strings.h"

namespace kelto::com {

std::u16string FoldElementName(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) {
    // ASCII and Latin-1 lower-case letters (except the division sign and
    // y-diaeresis, whose capital lies outside Latin-1).
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
      c = static_cast<char16_t>(c - 0x20);
  }
  return out;
}

namespace {

constexpr std::size_t kMaxNameLength = 31;

struct StorageNode;

struct Element {
  std::u16string name;
  DWORD type = STGTY_STREAM;
  StreamBuffer stream;                   // when a stream
  std::shared_ptr<StorageNode> storage;  // when a storage
};

struct StorageNode {
  std::vector<Element> elements;
  CLSID clsid{};
  DWORD stateBits = 0;

  Element* Find(std::u16string_view name) {
    const std::u16string folded = FoldElementName(name);
    for (Element& e : elements)
      if (FoldElementName(e.name) == folded) return &e;
    return nullptr;
  }
};

HRESULT CheckName(const OLECHAR* name) {
  if (!name) return STG_E_INVALIDPOINTER;
  const std::u16string_view v = OleView(name);
  if (v.empty() || v.size() > kMaxNameLength) return kStgInvalidName;
  if (v.find_first_of(u"/\\:!") != std::u16string_view::npos) return kStgInvalidName;
  return S_OK;
}

// Allocation failures must not escape through the interface.
template <class F>
HRESULT NoThrow(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

OLECHAR* CoTaskStrDup(std::u16string_view s) {
  auto* out = static_cast<OLECHAR*>(CoTaskMemAlloc((s.size() + 1) * sizeof(OLECHAR)));
  if (!out) return nullptr;
  std::copy(s.begin(), s.end(), out);
  out[s.size()] = u'\0';
  return out;
}

// What EnumElements reports of one element, taken when the enumerator is made.
struct ElementInfo {
  std::u16string name;
  DWORD type;
  std::uint64_t size;
  CLSID clsid;
};

class CEnumStatStg final : public Object<CEnumStatStg, IEnumSTATSTG> {
 public:
  CEnumStatStg(std::shared_ptr<const std::vector<ElementInfo>> items, std::size_t pos)
      : items_(std::move(items)), pos_(pos) {}

  HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!rgelt || (celt > 1 && !fetched)) return STG_E_INVALIDPOINTER;
    ULONG n = 0;
    while (n < celt && pos_ < items_->size()) {
      const ElementInfo& info = (*items_)[pos_];
      STATSTG& st = rgelt[n];
      st = STATSTG{};
      st.pwcsName = CoTaskStrDup(info.name);
      if (!st.pwcsName) {
        for (ULONG i = 0; i < n; ++i) CoTaskMemFree(rgelt[i].pwcsName);
        return STG_E_INSUFFICIENTMEMORY;
      }
      st.type = info.type;
      st.cbSize.QuadPart = info.size;
      st.clsid = info.clsid;
      ++n;
      ++pos_;
    }
    if (fetched) *fetched = n;
    return n == celt ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG celt) override {
    const std::size_t left = items_->size() - pos_;
    pos_ += std::min<std::size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumSTATSTG** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = MakeObject<CEnumStatStg>(items_, pos_).Detach();
    return S_OK;
  }

 private:
  std::shared_ptr<const std::vector<ElementInfo>> items_;
  std::size_t pos_;
};

class CMemoryStorage final : public Object<CMemoryStorage, IStorage> {
 public:
  CMemoryStorage(std::shared_ptr<StorageNode> node, std::u16string name, DWORD mode)
      : node_(std::move(node)), name_(std::move(name)), mode_(mode) {}

  HRESULT CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** out) override {
    return NoThrow([&] { return DoCreateStream(name, mode, out); });
  }
  HRESULT CreateStorage(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStorage** out) override {
    return NoThrow([&] { return DoCreateStorage(name, mode, out); });
  }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out) override {
    return NoThrow([&] { return DoEnumElements(out); });
  }

  HRESULT DoCreateStream(const OLECHAR* name, DWORD mode, IStream** out) {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Element* e = nullptr;
    if (const HRESULT hr = PrepareCreate(name, mode, &e); FAILED(hr)) return hr;
    e->type = STGTY_STREAM;
    e->storage.reset();
    e->stream = std::make_shared<std::vector<BYTE>>();
    *out = MakeMemoryStream(e->stream, e->name, StreamAccess::FromMode(mode)).Detach();
    return S_OK;
  }

  HRESULT OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Element* e = nullptr;
    if (const HRESULT hr = FindExisting(name, mode, STGTY_STREAM, &e); FAILED(hr)) return hr;
    *out = MakeMemoryStream(e->stream, e->name, StreamAccess::FromMode(mode)).Detach();
    return S_OK;
  }

  HRESULT DoCreateStorage(const OLECHAR* name, DWORD mode, IStorage** out) {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Element* e = nullptr;
    if (const HRESULT hr = PrepareCreate(name, mode, &e); FAILED(hr)) return hr;
    e->type = STGTY_STORAGE;
    e->stream.reset();
    e->storage = std::make_shared<StorageNode>();
    *out = MakeObject<CMemoryStorage>(e->storage, e->name, mode).Detach();
    return S_OK;
  }

  HRESULT OpenStorage(const OLECHAR* name, IStorage*, DWORD mode, SNB, DWORD,
                      IStorage** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Element* e = nullptr;
    if (const HRESULT hr = FindExisting(name, mode, STGTY_STORAGE, &e); FAILED(hr)) return hr;
    *out = MakeObject<CMemoryStorage>(e->storage, e->name, mode).Detach();
    return S_OK;
  }

  HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
  HRESULT MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }

  HRESULT DoEnumElements(IEnumSTATSTG** out) {
    if (!out) return STG_E_INVALIDPOINTER;
    auto items = std::make_shared<std::vector<ElementInfo>>();
    for (const Element& e : node_->elements) {
      ElementInfo info{e.name, e.type, 0, CLSID{}};
      if (e.type == STGTY_STREAM)
        info.size = e.stream->size();
      else
        info.clsid = e.storage->clsid;
      items->push_back(std::move(info));
    }
    *out = MakeObject<CEnumStatStg>(std::move(items), 0).Detach();
    return S_OK;
  }

  HRESULT DestroyElement(const OLECHAR* name) override {
    if (const HRESULT hr = CheckName(name); FAILED(hr)) return hr;
    Element* e = node_->Find(OleView(name));
    if (!e) return STG_E_FILENOTFOUND;
    node_->elements.erase(node_->elements.begin() + (e - node_->elements.data()));
    return S_OK;
  }

  HRESULT RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override {
    if (const HRESULT hr = CheckName(oldName); FAILED(hr)) return hr;
    if (const HRESULT hr = CheckName(newName); FAILED(hr)) return hr;
    Element* e = node_->Find(OleView(oldName));
    if (!e) return STG_E_FILENOTFOUND;
    // A rename that only changes the case finds the element itself.
    if (Element* other = node_->Find(OleView(newName)); other && other != e)
      return STG_E_FILEALREADYEXISTS;
    e->name = OleView(newName);
    return S_OK;
  }

  HRESULT SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                          const FILETIME*) override {
    return E_NOTIMPL;
  }

  HRESULT SetClass(REFCLSID clsid) override {
    node_->clsid = clsid;
    return S_OK;
  }

  HRESULT SetStateBits(DWORD bits, DWORD mask) override {
    node_->stateBits = (node_->stateBits & ~mask) | (bits & mask);
    return S_OK;
  }

  HRESULT Stat(STATSTG* st, DWORD flag) override {
    if (!st) return STG_E_INVALIDPOINTER;
    if (flag & ~DWORD{STATFLAG_NONAME | 2}) return STG_E_INVALIDFLAG;
    *st = STATSTG{};
    st->type = STGTY_STORAGE;
    st->grfMode = mode_;
    st->clsid = node_->clsid;
    st->grfStateBits = node_->stateBits;
    if (!(flag & STATFLAG_NONAME) && !name_.empty()) {
      st->pwcsName = CoTaskStrDup(name_);
      if (!st->pwcsName) return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
  }

 private:
  // Finds or adds the element a Create call fills. An existing element is
  // only replaced under STGM_CREATE; its slot (and so its place in the
  // enumeration order) is reused.
  HRESULT PrepareCreate(const OLECHAR* name, DWORD mode, Element** out) {
    if (const HRESULT hr = CheckName(name); FAILED(hr)) return hr;
    if ((mode & 3) == 3) return STG_E_INVALIDFLAG;
    Element* e = node_->Find(OleView(name));
    if (e) {
      if (!(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
      e->name = OleView(name);
    } else {
      node_->elements.push_back(Element{std::u16string(OleView(name)), STGTY_STREAM, {}, {}});
      e = &node_->elements.back();
    }
    *out = e;
    return S_OK;
  }

  HRESULT FindExisting(const OLECHAR* name, DWORD mode, DWORD type, Element** out) {
    if (const HRESULT hr = CheckName(name); FAILED(hr)) return hr;
    if ((mode & 3) == 3 || (mode & STGM_CREATE)) return STG_E_INVALIDFLAG;
    Element* e = node_->Find(OleView(name));
    if (!e || e->type != type) return STG_E_FILENOTFOUND;
    *out = e;
    return S_OK;
  }

  std::shared_ptr<StorageNode> node_;
  std::u16string name_;
  DWORD mode_;
};

}  // namespace

}  // namespace kelto::com

KELTO_API HRESULT StgCreateMemoryStorage(IStorage** ppstg) {
  if (!ppstg) return STG_E_INVALIDPOINTER;
  *ppstg = nullptr;
  try {
    *ppstg = kelto::com::MakeObject<kelto::com::CMemoryStorage>(
                 std::make_shared<kelto::com::StorageNode>(), std::u16string(),
                 STGM_READWRITE | STGM_SHARE_EXCLUSIVE)
                 .Detach();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
