// The module's type library, CorvaneKelto3D 1.0: the dual interfaces of its
// classes (from their dispatch tables), its enumerations and its classes.
#pragma once

#include "platform/com/TypeInfo.h"

namespace kelto3d {

const kelto::com::TypeLibDescription& TypeLibrary();

}  // namespace kelto3d
