// The scripting face of internal objects: CComWrapper links one COM object to
// at most one internal object (a CWrappedClass), in both directions.
//
//   class CComThing : public kelto::com::Object<CComThing, IThing>,
//                     public CComWrapper<CThing, CComThing, ThingClass, IThing, CThing*,
//                                        CDPOwner<CThing>> { ... };
//   // ThingClass: a tag type with `static constexpr CLSID clsid`.
//
// Two ownership policies:
//  - CDPOwner: the wrapper owns the internal object it created on demand and
//    deletes it when the wrapper dies; an object attached from elsewhere is
//    not owned (the wrapper only detaches);
//  - CDPCounted: the wrapper holds the object through an intrusive counted
//    pointer (the object derives from cptr::counted<T>).
//
// Lifetimes: when the internal object dies first, its wrapper is told to
// detach and lives on without an object; with create-on-demand set (the
// default), its next use makes a fresh, empty internal object.
#pragma once

#include <utility>

#include "core/CountedPtr.h"
#include "core/WrappedClass.h"
#include "core/Wrapper.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"

// Owning policy: owns flag, raw pointer, create-on-demand flag.
template <class TInternal>
class CDPOwner {
 public:
  using pointer = TInternal*;

 protected:
  TInternal* Current() const { return m_object; }
  void Store(TInternal* object) {
    m_owns = false;
    m_object = object;
  }
  TInternal* CreateNew() {
    m_object = new TInternal();
    m_owns = true;
    return m_object;
  }
  // Forgets the object; never deletes it.
  void Forget() {
    m_object = nullptr;
    m_owns = false;
  }
  // The object to delete when the wrapper dies (null when not owned).
  TInternal* Owned() const { return m_owns ? m_object : nullptr; }

  bool m_owns = false;
  TInternal* m_object = nullptr;
  bool m_createOnDemand = true;
};

// Counting policy: a counted pointer sharing the object's own count.
template <class TInternal>
class CDPCounted {
 public:
  using pointer = cptr::counted_ptr<TInternal, 1>;

  // The counted pointer to the current object (null when none).
  const pointer& GetCounted() const { return m_object; }

 protected:
  TInternal* Current() const { return m_object.get(); }
  void Store(TInternal* object) { m_object = pointer(object); }
  TInternal* CreateNew() {
    m_object = pointer(new TInternal());
    return m_object.get();
  }
  // Releases the wrapper's reference (the object dies if it was the last).
  void Forget() { m_object.reset(); }
  TInternal* Owned() const { return nullptr; }

  pointer m_object;
  bool m_createOnDemand = true;
};

// Interface pointer of this module's own class → implementing object, by the
// fixed adjustment of a static cast (no QueryInterface). The pointer must come
// from TComClass; null gives null.
template <class TComClass, class TInterface>
class CCastingGetObj {
 public:
  static TComClass* GetObj(TInterface* p) { return p ? static_cast<TComClass*>(p) : nullptr; }
};

template <class TInternal, class TComClass, class TCoClass, class TInterface, class TPointer,
          class TPolicy>
class CComWrapper : public CWrapper, public CCastingGetObj<TComClass, TInterface>, public TPolicy {
  static_assert(std::is_same_v<TPointer, typename TPolicy::pointer>,
                "the pointer type must be the policy's");

 public:
  CComWrapper() = default;
  CComWrapper(const CComWrapper&) = delete;
  CComWrapper& operator=(const CComWrapper&) = delete;

  ~CComWrapper() override {
    TInternal* owned = this->Owned();
    Detach();
    delete owned;
  }

  // Exposes object from now on; an earlier wrapper of it lets go, and the
  // object is not owned.
  void Attach(CWrappedClass* wrapped) override {
    TInternal* object = static_cast<TInternal*>(wrapped);
    if (object == this->Current()) return;
    Detach();
    if (!object) return;
    if (CWrapper* earlier = object->GetWrapper(); earlier && earlier != this) earlier->Detach();
    this->Store(object);
    object->SetWrapper(this);
  }

  // Stops exposing the current object without deleting it.
  void Detach() override {
    TInternal* object = this->Current();
    if (!object) return;
    // Unlink first: releasing a counted object may destroy it, and its
    // destructor must not find this wrapper.
    if (object->GetWrapper() == this) object->SetWrapper(nullptr);
    this->Forget();
  }

  // The internal object, made on first use when create-on-demand is set.
  TInternal* GetObject() {
    if (!this->Current() && this->m_createOnDemand) this->CreateNew()->SetWrapper(this);
    return this->Current();
  }
  // The internal object without creating one.
  TInternal* PeekObject() const { return this->Current(); }
  void SetCreateOnDemand(bool on) { this->m_createOnDemand = on; }

  // The COM face of an internal object: its current wrapper with a new
  // reference, or a new COM object of the class made through the runtime and
  // attached (not owning). Null for a null object; a failed creation gives
  // its HRESULT.
  static HRESULT FaceOf(TInternal* object, TInterface** face) {
    if (!face) return E_POINTER;
    *face = nullptr;
    if (!object) return S_OK;
    if (auto* existing = dynamic_cast<TComClass*>(object->GetWrapper())) {
      *face = static_cast<TInterface*>(existing);
      (*face)->AddRef();
      return S_OK;
    }
    TInterface* created = nullptr;
    const HRESULT hr =
        CoCreateInstance(TCoClass::clsid, nullptr, CLSCTX_SERVER, kelto::com::IidOf<TInterface>(),
                         reinterpret_cast<void**>(&created));
    if (FAILED(hr)) return hr;
    if (!created) return E_POINTER;
    CCastingGetObj<TComClass, TInterface>::GetObj(created)->Attach(object);
    *face = created;
    return S_OK;
  }
  static kelto::com::ComPtr<TInterface> FaceOf(TInternal* object) {
    TInterface* face = nullptr;
    FaceOf(object, &face);
    return kelto::com::ComPtr<TInterface>::Adopt(face);
  }
};
