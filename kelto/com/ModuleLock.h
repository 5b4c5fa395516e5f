// The lock count of libkelto.so: every object of the piping module counts in
// it (DllCanUnloadNow answers S_FALSE while any is alive).
//
// Header-only: the faces are compiled into the static library kelto-faces and
// only meet in libkelto.so, whose hidden symbols keep this count private to
// the module. A program that links kelto-faces directly (the tests) has a
// count of its own.
#pragma once

#include "platform/com/Object.h"

namespace kelto::faces {

struct ModuleTag;
using ModuleLock = kelto::com::ModuleLock<ModuleTag>;

template <class Derived, class... Interfaces>
using ComObject = kelto::com::ObjectIn<Derived, ModuleLock, Interfaces...>;

}  // namespace kelto::faces
