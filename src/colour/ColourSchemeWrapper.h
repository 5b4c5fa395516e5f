// What the colour schemes' scripting classes share so that an IColourScheme
// pointer can be traced back to the internal scheme behind it.
//
// The scripting classes are CBaseWrappers over IFColourScheme: GetBaseObject
// hands out the internal scheme as a counted_ptr<IFColourScheme, 0> sharing
// the scheme's own count. To reach that from an interface pointer that may
// belong to anybody (a host's scheme written in C, Python or C++), the classes
// also answer a private interface, IColourSchemeWrapper, that nothing outside
// this module knows. Asking for it is an ordinary QueryInterface, safe on any
// object, whereas casting an arbitrary interface pointer with dynamic_cast
// would read run-time type data that a foreign object's vtable does not have.
#pragma once

#include "colour/ColourScheme.h"
#include "core/BaseWrapper.h"
#include "core/CountedPtr.h"
#include "kelto3d/ColourSchemes.h"
#include "platform/com/Interfaces.h"

using ColourSchemeBaseDetails =
    BaseWrapperDetails<IFColourScheme, cptr::counted_ptr<IFColourScheme, 0>,
                       kelto3d::IColourScheme*>;
using CColourSchemeBaseWrapper = CBaseWrapper<ColourSchemeBaseDetails>;

// Answered only by GroupColScheme and UserColScheme objects of this module.
// Not part of the type library: its method returns a C++ object.
struct IColourSchemeWrapper : IUnknown {
  // The object as a base wrapper (no reference is added; it lives as long as
  // the interface pointer it was reached through).
  virtual CColourSchemeBaseWrapper* GetBaseWrapper() = 0;
};
KELTO_INTERFACE_IID(IColourSchemeWrapper, IUnknown, "600F8026-70DE-49A0-ACFF-3DA98095E77A");
