// The enumerations of a type library are written once, as a list macro of
// X(name, value) rows:
//
//   #define KELTO3D_WHEEL_ACTIONS(X) X(waNone, 0) X(waZoomInv, 1)
//   enum WheelAction : LONG { KELTO3D_WHEEL_ACTIONS(KELTO_ENUMERATOR) };
//
// and the module's type library describes the same list with
// KELTO_ENUM_CONSTANT (kelto::com::EnumMember rows), so the C++ enumeration
// a host compiles against and the constants a late-bound client reads
// cannot disagree.
#pragma once

#define KELTO_ENUMERATOR(name, value) name = (value),
#define KELTO_ENUM_CONSTANT(name, value) {#name, (value)},
