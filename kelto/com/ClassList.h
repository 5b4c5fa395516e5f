// The classes libkelto.so makes creatable, in registration order: one
// kelto::com::ClassEntry per class (ClassList.cpp). Part of kelto-faces so
// that a program linking the faces directly can register them itself
// (CoRegisterClassObject) without loading the module.
#pragma once

#include <span>

#include "platform/com/ClassEntry.h"

namespace kelto::faces {

std::span<const kelto::com::ClassEntry> ClassList();

}  // namespace kelto::faces
