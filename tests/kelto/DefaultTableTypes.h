// The type names that the solid builder's default table maps to construction
// functions; the catalogue must know each and generated plants must hold each.
#pragma once

namespace kelto::test {

// clang-format off
inline constexpr const char* kDefaultTableTypes[] = {
    "PulledBend", "Elbow-90", "Elbow-90-V", "Elbow-60", "Elbow-60-V", "Elbow-45", "Elbow-45-V",
    "Elbow-30", "Elbow-30-V", "Elbow-NonStandard", "ReturnBend", "ReturnElbow", "TeedBend",
    "TeedElbow", "Teed-Concentric-Reducer", "Eccentric-Reducer", "Teed-Eccentric-Reducer",
    "Ball-Valve", "Check-Valve", "Diaphragm-Valve", "Globe-Valve", "Cock-Valve", "Needle-Valve",
    "Plug-Valve", "Relief-Valve", "Slide-Valve", "Gate-Valve", "Basic-Valve",
    "Pressure-Reducing-Valve", "Butterfly-Valve", "Pressure-Relief-Valve", "Nonreturn-Valve",
    "Angle-Valve", "Valve-3Way", "Valve-4Way", "Valve-Multiway", "Control-Valve",
    "Control-Valve-Angle", "Control-Valve-3Way", "Control-Valve-4Way", "Support"};
// clang-format on
static_assert(sizeof(kDefaultTableTypes) / sizeof(kDefaultTableTypes[0]) == 41);

}  // namespace kelto::test
