// Connection points: how an object offers its event (source) interfaces.
//
// A class lists ConnectionPointContainer among its interfaces and adds one
// connection point per source interface in its constructor:
//
//   class COptionsObject
//       : public Object<COptionsObject, Dual<IOptions>, ConnectionPointContainer> {
//    public:
//     COptionsObject() { AddConnectionPoint(kIidOptionsEvents); }
//     void Changed() { FireEvent(kIidOptionsEvents, 1); }
//   };
//
// A class whose source interface has no events still adds it, so that hosts
// can connect to it as they would to any other.
//
// The connection points live inside the container and share its reference
// count: a client holding a connection point keeps the whole object alive,
// and a point's GetConnectionPointContainer always answers.
//
// Every source interface of this runtime is a dispatch interface: sinks are
// asked (QueryInterface) for the source IID at Advise and receive events
// through IDispatch::Invoke.
#pragma once

#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/Interfaces.h"

namespace kelto::com {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // owner is the container's interface; its reference count is this
  // point's (no reference is taken: the container owns the point).
  ConnectionPoint(IConnectionPointContainer* owner, const IID& source) noexcept
      : owner_(owner), iid_(source) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;
  virtual ~ConnectionPoint() = default;

  // IUnknown: the point's own identity, the container's lifetime.
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return owner_->AddRef(); }
  ULONG Release() override { return owner_->Release(); }

  // IConnectionPoint
  HRESULT GetConnectionInterface(IID* pIID) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  // Cookies start at 1 and are never reused for this point. A sink that does
  // not implement the source interface gets CONNECT_E_CANNOTCONNECT.
  HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  // CONNECT_E_NOCONNECTION for a cookie that is not (or no longer) connected.
  HRESULT Unadvise(DWORD dwCookie) override;
  // The connections as they stand now, in the order they were made.
  HRESULT EnumConnections(IEnumConnections** ppEnum) override;

  const IID& Source() const noexcept { return iid_; }
  std::size_t ConnectionCount() const noexcept { return connections_.size(); }
  bool IsConnected(DWORD cookie) const noexcept;

  // Calls dispid on every sink connected when the call starts, in advise
  // order, with args in DISPPARAMS order (last argument first) and
  // DISPATCH_METHOD. A sink unadvised by an earlier sink during the fire is
  // skipped; sinks advised during the fire are not called this time. Every
  // sink is called whatever the others answer (their failures are ignored:
  // one broken listener must not silence the rest). Returns the number of
  // sinks called.
  std::size_t Fire(DISPID dispid, std::span<VARIANT> argsLastFirst = {}) noexcept;

 private:
  struct Connection {
    DWORD cookie;
    ComPtr<IUnknown> sink;  // the sink's source interface (a dispatch interface)
  };

  IConnectionPointContainer* owner_;
  IID iid_;
  DWORD nextCookie_ = 1;
  bool cookiesExhausted_ = false;
  std::vector<Connection> connections_;
};

// IConnectionPointContainer for Object<...>'s interface list (QueryInterface
// answers IConnectionPointContainer through it).
class ConnectionPointContainer : public IConnectionPointContainer {
 public:
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  // CONNECT_E_NOCONNECTION for an IID that is not a source interface, as the
  // platform answers.
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // The point for a source interface, or null (no reference added).
  ConnectionPoint* FindPoint(const IID& source) const noexcept;

  // Fires dispid on the sinks of one source interface (see
  // ConnectionPoint::Fire); returns the number of sinks called, 0 for an
  // unknown source.
  std::size_t FireEvent(const IID& source, DISPID dispid,
                        std::span<VARIANT> argsLastFirst = {}) noexcept;

 protected:
  ConnectionPointContainer() = default;
  ~ConnectionPointContainer() = default;

  // Call from the class's constructor, once per source interface, in the
  // order EnumConnectionPoints should list them. Adding the same IID twice
  // adds it once.
  void AddConnectionPoint(const IID& source);

 private:
  std::vector<std::unique_ptr<ConnectionPoint>> points_;
};

template <>
struct InterfaceId<ConnectionPointContainer> {
  using parent = IUnknown;
  static constexpr IID value = InterfaceId<IConnectionPointContainer>::value;
};

}  // namespace kelto::com
