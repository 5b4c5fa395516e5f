// The whole type library of libkelto3d.so: every scripting interface, its IID
// and dispatch ids, and every class's CLSID. A host that drives the module
// through the vtables includes this and links nothing but the runtime
// (libkelto3d-runtime.so); objects come from CoCreateInstance.
//
// Each subsystem has its own header; include one of them to take less.
#pragma once

#include "kelto3d/ActionTables.h"
#include "kelto3d/ColourSchemes.h"
#include "kelto3d/ModelBuilders.h"
#include "kelto3d/ModelTree.h"
#include "kelto3d/Options.h"
#include "kelto3d/Tags.h"
#include "kelto3d/View.h"

namespace kelto3d {

// The type library (version 1.0).
inline constexpr GUID kLibIdKelto3D = kelto::com::MakeGuid("FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC");

}  // namespace kelto3d
