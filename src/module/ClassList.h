// The classes libkelto3d.so makes creatable, in registration order: one
// kelto::com::ClassEntry per class in ClassList.cpp.
#pragma once

#include <span>

#include "platform/com/ClassEntry.h"

namespace kelto3d {

std::span<const kelto::com::ClassEntry> ClassList();

}  // namespace kelto3d
