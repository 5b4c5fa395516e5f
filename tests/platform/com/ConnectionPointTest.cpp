// Connection points: finding points, advise/unadvise with cookies, firing
// events, lifetimes.
#include "platform/com/ConnectionPoint.h"

#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/Object.h"
#include "support/NoDispatch.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::MakeObject;

constexpr IID kEvents = kelto::com::MakeGuid("4087F633-E7AD-40A1-893D-BCB0C3354E1F");
constexpr IID kOtherEvents = kelto::com::MakeGuid("03D6AA2F-B3AE-433C-9772-211E0DED4DA6");

class Source final : public kelto::com::Object<Source, kelto::com::ConnectionPointContainer> {
 public:
  explicit Source(bool* destroyed = nullptr) : destroyed_(destroyed) {
    AddConnectionPoint(kEvents);
    AddConnectionPoint(kOtherEvents);
    AddConnectionPoint(kEvents);  // listed once
  }
  ~Source() override {
    if (destroyed_) *destroyed_ = true;
  }

 private:
  bool* destroyed_;
};

// A sink of kEvents that records the calls it receives.
class Sink final : public kelto::com::Object<Sink, kelto::test::NoDispatch<IDispatch>> {
 public:
  explicit Sink(bool acceptEvents = true) : accept_(acceptEvents) {}
  std::vector<std::pair<DISPID, LONG>> calls;  // dispid, first argument (or -1)
  std::function<void()> onCall;

  bool QueryOther(REFIID riid, void** ppv) {
    if (!accept_ || riid != kEvents) return false;
    *ppv = static_cast<IDispatch*>(this);
    return true;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    EXPECT_EQ(flags, DISPATCH_METHOD);
    calls.emplace_back(id, params->cArgs ? params->rgvarg[params->cArgs - 1].lVal : -1);
    if (onCall) onCall();
    return E_FAIL;  // a failing sink does not stop the others
  }

 private:
  bool accept_;
};

ComPtr<IConnectionPoint> Find(Source* s, const IID& iid) {
  ComPtr<IConnectionPoint> cp;
  EXPECT_EQ(s->FindConnectionPoint(iid, cp.Put()), S_OK);
  return cp;
}

DWORD Advise(IConnectionPoint* cp, Sink* sink) {
  DWORD cookie = 0;
  EXPECT_EQ(cp->Advise(static_cast<IDispatch*>(sink), &cookie), S_OK);
  return cookie;
}

TEST(ConnectionPointTest, AdviseChecksTheSinkAndCookiesAreNeverReused) {
  auto source = MakeObject<Source>();
  auto cp = Find(source.Get(), kEvents);
  auto a = MakeObject<Sink>();
  auto b = MakeObject<Sink>();
  const DWORD ca = Advise(cp.Get(), a.Get());
  const DWORD cb = Advise(cp.Get(), b.Get());
  EXPECT_EQ(cp->Unadvise(cb), S_OK);
  EXPECT_EQ(cp->Unadvise(cb), CONNECT_E_NOCONNECTION);
  const DWORD cb2 = Advise(cp.Get(), b.Get());
  EXPECT_EQ(std::set<DWORD>({ca, cb, cb2}).size(), 3u);
  EXPECT_EQ(source->FireEvent(kEvents, 1), 2u);

  // A sink must answer the source interface, of this point and no other.
  auto deaf = MakeObject<Sink>(false);
  DWORD cookie = 7;
  EXPECT_EQ(cp->Advise(static_cast<IDispatch*>(deaf.Get()), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(Find(source.Get(), kOtherEvents)->Advise(static_cast<IDispatch*>(a.Get()), &cookie),
            CONNECT_E_CANNOTCONNECT);
  IConnectionPoint* none = reinterpret_cast<IConnectionPoint*>(1);
  EXPECT_EQ(source->FindConnectionPoint(IidOf<IDispatch>(), &none), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(none, nullptr);
}

TEST(ConnectionPointTest, FireReachesEverySinkInAdviseOrder) {
  auto source = MakeObject<Source>();
  auto cp = Find(source.Get(), kEvents);
  std::vector<int> order;
  auto a = MakeObject<Sink>();
  auto b = MakeObject<Sink>();
  a->onCall = [&] { order.push_back(1); };
  b->onCall = [&] { order.push_back(2); };
  Advise(cp.Get(), b.Get());
  Advise(cp.Get(), a.Get());
  VARIANT arg{};
  arg.vt = VT_I4;
  arg.lVal = 99;
  EXPECT_EQ(source->FireEvent(kEvents, 12, std::span<VARIANT>(&arg, 1)), 2u);
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  EXPECT_EQ(a->calls, (std::vector<std::pair<DISPID, LONG>>{{12, 99}}));
  EXPECT_EQ(source->FireEvent(kOtherEvents, 1), 0u) << "no sinks, nobody reached";
}

TEST(ConnectionPointTest, SinksUnadvisingDuringAFireAreSafe) {
  auto source = MakeObject<Source>();
  auto cp = Find(source.Get(), kEvents);
  auto first = MakeObject<Sink>();
  auto second = MakeObject<Sink>();
  auto third = MakeObject<Sink>();
  const DWORD c1 = Advise(cp.Get(), first.Get());
  const DWORD c2 = Advise(cp.Get(), second.Get());
  Advise(cp.Get(), third.Get());
  // The first sink disconnects itself and the second; a new sink that it
  // connects waits for the next event. The second sink's only reference is
  // the connection's, so it is released while the fire is running.
  auto late = MakeObject<Sink>();
  second.Reset();
  first->onCall = [&] {
    cp->Unadvise(c1);
    cp->Unadvise(c2);
    Advise(cp.Get(), late.Get());
  };
  EXPECT_EQ(source->FireEvent(kEvents, 3), 2u);
  EXPECT_EQ(first->calls.size(), 1u);
  EXPECT_EQ(third->calls.size(), 1u);
  EXPECT_TRUE(late->calls.empty());
  first->onCall = nullptr;
  EXPECT_EQ(source->FireEvent(kEvents, 4), 2u);  // third and late
  EXPECT_EQ(late->calls.size(), 1u);
}

TEST(ConnectionPointTest, PointsShareTheContainersLifetime) {
  bool destroyed = false;
  auto sink = MakeObject<Sink>();
  ULONG sinkRefsBefore = sink->AddRef() - 1;
  sink->Release();
  ComPtr<IConnectionPoint> cp;
  {
    auto source = MakeObject<Source>(&destroyed);
    cp = Find(source.Get(), kEvents);
  }
  // The point keeps the object alive and still works.
  EXPECT_FALSE(destroyed);
  Advise(cp.Get(), sink.Get());
  cp.Reset();
  EXPECT_TRUE(destroyed);
  // The connection's reference to the sink went with the object.
  EXPECT_EQ(sink->AddRef() - 1, sinkRefsBefore);
  sink->Release();
}

}  // namespace
