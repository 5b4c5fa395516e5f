// PrimitiveType: the kinds of geometric primitive a model node carries.
//
// One definition serves the core (the kind tag of CPrimitive) and the type
// library (IPrimitive::get_Type), so the two can never disagree. It stays a
// plain global enumeration with a 32-bit underlying type: that is how it
// travels through IDispatch (VT_I4) and through the vtables.
#pragma once

#include <cstdint>

#include "platform/com/Enumeration.h"

// (An X(name, value) list, as platform/com/Enumeration.h describes.)
#define KELTO3D_PRIMITIVE_TYPES(X) \
  X(ptLine, 1) X(ptCone, 2) X(ptCurvedCone, 3) X(ptSnout, 4) X(ptCircle, 5)
enum PrimitiveType : std::int32_t { KELTO3D_PRIMITIVE_TYPES(KELTO_ENUMERATOR) };
