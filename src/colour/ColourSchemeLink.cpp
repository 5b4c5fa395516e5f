#include "colour/ColourSchemeLink.h"

#include <stdexcept>

#include "colour/ColourSchemeWrapper.h"
#include "colour/ComGroupColScheme.h"
#include "colour/ComIFColourSchemeProxy.h"
#include "colour/ComUserColScheme.h"
#include "colour/GroupColScheme.h"
#include "colour/UserColScheme.h"
#include "platform/com/ComError.h"

namespace kelto::colour {

namespace {

// The scripting face of a built-in scheme. The face's wrapper holds the
// scheme through a counted_ptr<T, 1> made from the raw pointer, which finds
// the scheme's own block; that is only the builder's block too when the
// builder's pointer was converted from an intrusive one. Otherwise there
// would be two counts and two deletions, so refuse.
template <class TComClass, class TInternal, class TInterface>
kelto::com::ComPtr<kelto3d::IColourScheme> FaceOfBuiltIn(const SchemePtr& scheme,
                                                         TInternal* object) {
  if (!scheme.block()->CanConvert())
    throw std::logic_error("The colour scheme is not counted by itself and cannot be shared.");
  TInterface* face = nullptr;
  kelto::com::ThrowIfFailed(TComClass::FaceOf(object, &face), kelto::com::IidOf<TInterface>());
  return kelto::com::ComPtr<kelto3d::IColourScheme>::Adopt(face);
}

}  // namespace

SchemePtr MakeGroupScheme() { return SchemePtr(CGroupColScheme::Create()); }

SchemePtr SchemeFromInterface(kelto3d::IColourScheme* scheme) {
  if (!scheme) return SchemePtr();
  kelto::com::ComPtr<IColourSchemeWrapper> own;
  if (SUCCEEDED(scheme->QueryInterface(kelto::com::IidOf<IColourSchemeWrapper>(), own.PutVoid())) &&
      own)
    return own->GetBaseWrapper()->GetBaseObject();
  return SchemePtr(new CComIFColourSchemeProxy(scheme));
}

kelto::com::ComPtr<kelto3d::IColourScheme> InterfaceFromScheme(const SchemePtr& scheme) {
  if (!scheme) return nullptr;
  // The schemes are this module's own C++ objects, so dynamic_cast is safe
  // here (unlike on interface pointers from outside).
  if (auto* proxy = dynamic_cast<CComIFColourSchemeProxy*>(scheme.get()))
    return kelto::com::ComPtr<kelto3d::IColourScheme>(proxy->Host());
  if (auto* group = dynamic_cast<CGroupColScheme*>(scheme.get()))
    return FaceOfBuiltIn<CComGroupColScheme, CGroupColScheme, kelto3d::IGroupColScheme>(scheme,
                                                                                        group);
  if (auto* user = dynamic_cast<CUserColScheme*>(scheme.get()))
    return FaceOfBuiltIn<CComUserColScheme, CUserColScheme, kelto3d::IUserColScheme>(scheme, user);
  throw std::logic_error("The colour scheme has no scripting face.");
}

}  // namespace kelto::colour
