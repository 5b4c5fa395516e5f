// The scripting face of an internal object, made inside the module: the
// object's current wrapper when it is of the wanted class, otherwise a new
// object of that class attached to the internal object without owning it.
// So an internal object has at most one face at a time, made lazily.
//
// CComWrapper::FaceOf makes the new object through CoCreateInstance. The
// faces of this module use this helper instead: the fixed pointer adjustment
// that turns the new interface back into its implementation (CCastingGetObj)
// is sound only for an object of this very class, while CoCreateInstance
// answers with whatever class object is registered under the CLSID at the
// time, and a host may register its own. Making the object directly also
// spares a class lookup for every node a script walks.
#pragma once

#include "core/WrappedClass.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"

template <class TComClass, class TInternal>
kelto::com::ComPtr<TComClass> WrapperFace(TInternal* object) {
  if (!object) return nullptr;
  if (auto* existing = dynamic_cast<TComClass*>(object->GetWrapper()))
    return kelto::com::ComPtr<TComClass>(existing);
  kelto::com::ComPtr<TComClass> face = kelto::com::MakeObject<TComClass>();
  face->Attach(object);
  return face;
}
