// Object<Derived, Interfaces...>: reference counting and QueryInterface for a
// class that implements one or more interfaces. QueryInterface answers every
// listed interface and, through the IIDs' parent chains, their bases.
//
//   class CMemoryStream : public kelto::com::Object<CMemoryStream, IStream> { ... };
//   auto s = kelto::com::MakeObject<CMemoryStream>(args...);   // ComPtr<CMemoryStream>
//
// Objects of a loadable module count towards the module's lock count through
// the Lock policy (ObjectIn<Derived, Module, ...>); runtime objects use none.
#pragma once

#include <atomic>
#include <type_traits>
#include <utility>

#include "platform/com/ComPtr.h"

namespace kelto::com {

struct NoModuleLock {
  static void Lock() {}
  static void Unlock() {}
};

// A lock count for one module (DllCanUnloadNow answers from it).
template <class Tag>
struct ModuleLock {
  static void Lock() { count().fetch_add(1); }
  static void Unlock() { count().fetch_sub(1); }
  static long Count() { return count().load(); }

 private:
  static std::atomic<long>& count() {
    static std::atomic<long> c{0};
    return c;
  }
};

namespace detail {
// Walks Listed's parent chain. The cast goes through Listed, so bases that
// several listed interfaces share (IUnknown, IDispatch) are not ambiguous:
// the first listed interface that reaches them answers.
template <class Listed, class I, class Self>
bool FindInterface(Self* self, REFIID riid, void** ppv) {
  if constexpr (std::is_void_v<I>) {
    return false;
  } else {
    if (riid == IidOf<I>()) {
      *ppv = static_cast<I*>(static_cast<Listed*>(self));
      return true;
    }
    return FindInterface<Listed, typename InterfaceId<I>::parent>(self, riid, ppv);
  }
}
template <class First, class...>
struct FirstOf {
  using type = First;
};
}  // namespace detail

template <class Derived, class Lock, class... Interfaces>
class ObjectIn : public Interfaces... {
 public:
  ObjectIn() { Lock::Lock(); }
  ObjectIn(const ObjectIn&) = delete;
  ObjectIn& operator=(const ObjectIn&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IidOf<IUnknown>()) {
      *ppv = static_cast<IUnknown*>(static_cast<typename detail::FirstOf<Interfaces...>::type*>(this));
    } else if (!(detail::FindInterface<Interfaces, Interfaces>(this, riid, ppv) || ...)) {
      if (!static_cast<Derived*>(this)->QueryOther(riid, ppv)) return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete static_cast<Derived*>(this);
    return n;
  }

  // The object's identity, without a new reference.
  IUnknown* GetUnknown() {
    return static_cast<typename detail::FirstOf<Interfaces...>::type*>(this);
  }

  // Hook for interfaces the list cannot name (for example an event interface
  // answered by a sink); sets *ppv without AddRef and returns true on success.
  bool QueryOther(REFIID, void**) { return false; }

 protected:
  virtual ~ObjectIn() { Lock::Unlock(); }

 private:
  ULONG refs_ = 0;
};

template <class Derived, class... Interfaces>
using Object = ObjectIn<Derived, NoModuleLock, Interfaces...>;

// Creates an object with one reference held by the returned pointer.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace kelto::com
