// Finding the internal object behind a scripting object as its base type:
// several scripting classes (the colour schemes) expose internal objects that
// share an internal base interface, and a user of that interface needs the
// internal object whichever class the host handed over.
#pragma once

// What a base wrapper deals in: the internal base type, the counted pointer
// handed out, and the scripting interface pointer type.
template <class TBase, class TBasePointer, class TInterfacePointer>
struct BaseWrapperDetails {
  using base_type = TBase;
  using base_pointer = TBasePointer;
  using interface_pointer = TInterfacePointer;
};

template <class Details>
class CBaseWrapper {
 public:
  // The internal object (made on demand) as a counted pointer to its base.
  virtual typename Details::base_pointer GetBaseObject() = 0;

 protected:
  ~CBaseWrapper() = default;
};

// For a CComWrapper with the CDPCounted policy: converts the wrapper's
// counted_ptr<TInternal, 1> to the base pointer, sharing the object's count.
template <class Details, class TComClass, class TInternal>
class CBaseWrapperImpl : public CBaseWrapper<Details> {
 public:
  typename Details::base_pointer GetBaseObject() override {
    TComClass* self = static_cast<TComClass*>(this);
    self->GetObject();
    return typename Details::base_pointer(self->GetCounted());
  }

 protected:
  ~CBaseWrapperImpl() = default;
};
