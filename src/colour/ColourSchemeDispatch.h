// The dispatch tables of the colour-scheme interfaces, for the module's own
// classes and for any in-process code that implements IColourScheme with
// kelto::com::Dual (a test's host scheme, an embedding application).
#pragma once

#include "kelto3d/ColourSchemes.h"
#include "platform/com/Dispatch.h"

// One row per line reads like the interface definition; keep it that way.
// IGroupColScheme adds no member, so its table repeats the inherited row (an
// inheriting table must name at least one row of its own).
// clang-format off
KELTO_DISPATCH_MAP(kelto3d::IColourScheme,
    kelto::com::Method<&kelto3d::IColourScheme::GetColour>("GetColour", kelto3d::kDispidColourSchemeGetColour).Names("pComp"));
KELTO_DISPATCH_MAP(kelto3d::IGroupColScheme,
    kelto::com::Method<&kelto3d::IGroupColScheme::GetColour>("GetColour", kelto3d::kDispidColourSchemeGetColour).Names("pComp"));
KELTO_DISPATCH_MAP_INHERIT(kelto3d::IUserColScheme, kelto3d::IColourScheme,
    kelto::com::Method<&kelto3d::IUserColScheme::SetConfig>("SetConfig", kelto3d::kDispidUserColSchemeSetConfig).NoRetval().Names("ConfigXML, Errors"));
// clang-format on
