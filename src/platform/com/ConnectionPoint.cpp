#include "platform/com/ConnectionPoint.h"

#include <algorithm>
#include <limits>
#include <new>

#include "platform/com/Api.h"
#include "platform/com/Enumerator.h"

namespace kelto::com {

namespace {

struct ConnectionTraits {
  using Stored = std::pair<ComPtr<IUnknown>, DWORD>;
  static HRESULT CopyOut(const Stored& s, CONNECTDATA* out) {
    out->pUnk = s.first.Get();
    if (out->pUnk) out->pUnk->AddRef();
    out->dwCookie = s.second;
    return S_OK;
  }
  static void Free(CONNECTDATA* out) {
    if (out->pUnk) out->pUnk->Release();
    out->pUnk = nullptr;
  }
};
using ConnectionEnum = SnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectionTraits>;

struct PointTraits {
  using Stored = ComPtr<IConnectionPoint>;
  static HRESULT CopyOut(const Stored& s, IConnectionPoint** out) { return s.CopyTo(out); }
  static void Free(IConnectionPoint** out) {
    if (*out) (*out)->Release();
    *out = nullptr;
  }
};
using PointEnum = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, PointTraits>;

}  // namespace

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IidOf<IUnknown>() || riid == IidOf<IConnectionPoint>()) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = owner_;
  owner_->AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (pdwCookie) *pdwCookie = 0;
  if (!pUnkSink || !pdwCookie) return E_POINTER;
  if (cookiesExhausted_) return CONNECT_E_ADVISELIMIT;
  ComPtr<IUnknown> sink;
  if (FAILED(pUnkSink->QueryInterface(iid_, sink.PutVoid())) || !sink)
    return CONNECT_E_CANNOTCONNECT;
  try {
    connections_.push_back({nextCookie_, std::move(sink)});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *pdwCookie = nextCookie_;
  // A cookie identifies one connection for the object's whole life: after
  // the last 32-bit value the point refuses new connections rather than
  // wrap around and hand out a cookie that an old client might still hold.
  if (nextCookie_ == std::numeric_limits<DWORD>::max())
    cookiesExhausted_ = true;
  else
    ++nextCookie_;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie) {
  auto it = std::find_if(connections_.begin(), connections_.end(),
                         [&](const Connection& c) { return c.cookie == dwCookie; });
  if (it == connections_.end()) return CONNECT_E_NOCONNECTION;
  // Release the sink only after it has left the list: its destructor may
  // call back into this point.
  ComPtr<IUnknown> sink = std::move(it->sink);
  connections_.erase(it);
  return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  try {
    auto items = std::make_shared<std::vector<ConnectionTraits::Stored>>();
    items->reserve(connections_.size());
    for (const Connection& c : connections_) items->emplace_back(c.sink, c.cookie);
    *ppEnum = MakeObject<ConnectionEnum>(std::move(items)).Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

bool ConnectionPoint::IsConnected(DWORD cookie) const noexcept {
  return std::any_of(connections_.begin(), connections_.end(),
                     [&](const Connection& c) { return c.cookie == cookie; });
}

std::size_t ConnectionPoint::Fire(DISPID dispid, std::span<VARIANT> argsLastFirst) noexcept {
  std::vector<Connection> snapshot;
  try {
    snapshot = connections_;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  // Nothing to do, and no reference to take: an object may fire from its
  // constructor, before anybody holds it.
  if (snapshot.empty()) return 0;
  // The sinks may release the object during the call: keep it alive until
  // the loop is done.
  ComPtr<IConnectionPointContainer> keepAlive(owner_);
  DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
  std::size_t called = 0;
  for (const Connection& c : snapshot) {
    if (!IsConnected(c.cookie)) continue;
    // The sink was asked for the source interface, a dispatch interface, so
    // the pointer it gave is an IDispatch.
    auto* dispatch = static_cast<IDispatch*>(c.sink.Get());
    VARIANT result;
    VariantInit(&result);
    dispatch->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                     nullptr, nullptr);
    VariantClear(&result);
    ++called;
  }
  return called;
}

HRESULT ConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  try {
    auto items = std::make_shared<std::vector<ComPtr<IConnectionPoint>>>();
    items->reserve(points_.size());
    for (const auto& p : points_) items->emplace_back(p.get());
    *ppEnum = MakeObject<PointEnum>(std::move(items)).Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ConnectionPointContainer::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  ConnectionPoint* p = FindPoint(riid);
  if (!p) return CONNECT_E_NOCONNECTION;
  p->AddRef();
  *ppCP = p;
  return S_OK;
}

ConnectionPoint* ConnectionPointContainer::FindPoint(const IID& source) const noexcept {
  for (const auto& p : points_)
    if (p->Source() == source) return p.get();
  return nullptr;
}

std::size_t ConnectionPointContainer::FireEvent(const IID& source, DISPID dispid,
                                                std::span<VARIANT> argsLastFirst) noexcept {
  ConnectionPoint* p = FindPoint(source);
  return p ? p->Fire(dispid, argsLastFirst) : 0;
}

void ConnectionPointContainer::AddConnectionPoint(const IID& source) {
  if (FindPoint(source)) return;
  points_.push_back(std::make_unique<ConnectionPoint>(this, source));
}

}  // namespace kelto::com
