// Moving colour schemes between the scripting side (IColourScheme pointers)
// and the builders' side (one counted IFColourScheme per builder). This is
// what a builder's ColourScheme property is written with:
//
//   // put:  m_scheme = kelto::colour::SchemeFromInterface(pScheme);
//   // get:  *ppScheme = kelto::colour::InterfaceFromScheme(m_scheme).Detach();
//   // default: m_scheme = kelto::colour::MakeGroupScheme();
//
// Sharing rules:
//  - A GroupColScheme or UserColScheme object of this module gives its own
//    internal scheme (made on demand), sharing the scheme's count: the
//    builder and the scripting object then hold one scheme, so rules loaded
//    through the object later reach the builder too.
//  - Any other object is wrapped in a CComIFColourSchemeProxy that holds a
//    reference to it.
//  - Back the other way, a built-in scheme gives its scripting face (the
//    existing one while it lives, else a new object made through the runtime
//    and attached); a proxy gives the host object it holds.
//
// Built-in schemes are counted intrusively, so converting them to the
// builders' counted_ptr<IFColourScheme, 0> shares their block (an intrusive
// block allows conversion to a base type; an external one throws
// BadCountedPtr). Never make a counted_ptr<IFColourScheme, 0> from a raw
// built-in scheme: start from Create(), MakeGroupScheme() or a scripting
// object.
#pragma once

#include "colour/ColourScheme.h"
#include "core/CountedPtr.h"
#include "kelto3d/ColourSchemes.h"
#include "platform/com/ComPtr.h"

namespace kelto::colour {

using SchemePtr = cptr::counted_ptr<IFColourScheme, 0>;

// A new CGroupColScheme as the builders hold it (the builders' default).
SchemePtr MakeGroupScheme();

// The internal scheme for a scripting one; null for null. Throws
// std::bad_alloc only.
SchemePtr SchemeFromInterface(kelto3d::IColourScheme* scheme);

// The scripting object for an internal scheme; null for null. Throws
// _com_error when a new scripting face cannot be created (the class is not
// available to the runtime), and std::logic_error for a scheme that has no
// scripting face (not one of the module's schemes nor a proxy) or a built-in
// scheme that was counted externally (it cannot be shared safely).
kelto::com::ComPtr<kelto3d::IColourScheme> InterfaceFromScheme(const SchemePtr& scheme);

}  // namespace kelto::colour
