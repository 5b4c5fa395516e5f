// Facts about VARTYPEs shared by the VARIANT and SAFEARRAY code: which types a
// VARIANT may hold and how many bytes one value of a type occupies.
#pragma once

#include <cstddef>

#include "platform/com/Types.h"

namespace kelto::com::detail {

// Bytes of one value of base type vt (no VT_ARRAY/VT_BYREF bits) as stored in
// a SAFEARRAY or behind a VT_BYREF pointer; 0 for types that have no storage
// of their own (EMPTY, NULL) or that the runtime does not know.
std::size_t ValueSize(VARTYPE vt);

// Whether vt is a type tag a VARIANT may carry: a known base type, optionally
// with VT_ARRAY and/or VT_BYREF, but not EMPTY/NULL by reference and not a
// bare VT_VARIANT (that exists only by reference or as an array element).
bool IsValidVariantType(VARTYPE vt);

}  // namespace kelto::com::detail
