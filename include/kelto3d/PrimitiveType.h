// PrimitiveType: the kinds of geometric primitive a model node carries.
//
// One definition serves the core (the kind tag of CPrimitive) and the type
// library (IPrimitive::get_Type), so the two can never disagree. It stays a
// plain global enumeration with a 32-bit underlying type: that is how it
// travels through IDispatch (VT_I4) and through the vtables.
#pragma once

#include <cstdint>

enum PrimitiveType : std::int32_t {
  ptLine = 1,
  ptCone = 2,
  ptCurvedCone = 3,
  ptSnout = 4,
  ptCircle = 5,
};
