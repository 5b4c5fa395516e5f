// ComPtr<T>: an owning interface reference. Release is called on every path.
#pragma once

#include <utility>

#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  ComPtr(const ComPtr<U>& o) : ComPtr(static_cast<T*>(o.Get())) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Adopts p without adding a reference (for results of creation functions).
  static ComPtr Adopt(T* p) {
    ComPtr r;
    r.p_ = p;
    return r;
  }
  // Gives up ownership without releasing.
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For out-parameters: releases the current reference and returns the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // QueryInterface for U; null when the object does not implement it.
  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> r;
    if (p_) p_->QueryInterface(IidOf<U>(), r.PutVoid());
    return r;
  }
  // Hands out a new reference through an out-parameter.
  HRESULT CopyTo(T** pp) const {
    if (!pp) return E_POINTER;
    *pp = p_;
    if (p_) p_->AddRef();
    return S_OK;
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// The identity of an object: its IUnknown as QueryInterface gives it.
inline ComPtr<IUnknown> Identity(IUnknown* p) {
  ComPtr<IUnknown> r;
  if (p) p->QueryInterface(IidOf<IUnknown>(), r.PutVoid());
  return r;
}

}  // namespace kelto::com
