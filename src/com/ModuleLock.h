// The lock count of libkelto3d.so. Every scripting class of the module derives
// from kelto3d::ComObject, so each live object keeps the module busy
// (DllCanUnloadNow answers S_FALSE until the last one is released).
//
// Header-only on purpose: the scripting faces are compiled into the libraries
// of the subsystems they expose and only meet in libkelto3d.so, where this
// count exists once (the module's symbols are hidden).
#pragma once

#include "platform/com/Object.h"

namespace kelto3d {

struct ModuleTag;
using ModuleLock = kelto::com::ModuleLock<ModuleTag>;

template <class Derived, class... Interfaces>
using ComObject = kelto::com::ObjectIn<Derived, ModuleLock, Interfaces...>;

// The module's type library (version 1.0).
inline constexpr GUID kLibId = kelto::com::MakeGuid("FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC");

}  // namespace kelto3d
