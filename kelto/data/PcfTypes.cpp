#include "kelto/data/PcfTypes.h"

#include <array>
#include <cmath>

namespace kelto::data {

namespace {

using S = PcfShape;

// Aliases first spellings other writers use for the same identifier.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kAliases{{
    {"PIPE-FIXED", "PIPE"},
    {"TEED-BEND", "BEND-TEED"},
    {"TEED-ELBOW", "ELBOW-TEED"},
    {"TEE-STUB", "TEE-SET-ON"},
    {"CROSS-SET-ON", "CROSS"},
    {"FLANGE-REDUCING-CONCENTRIC", "FLANGE"},
    {"FLANGE-REDUCING-ECCENTRIC", "FLANGE"},
    {"VALVE-MULTI-WAY", "VALVE-MULTIWAY"},
}};

constexpr std::array<PcfIdentifier, 29> kIdentifiers{{
    {"PIPE", "Pipe", S::kRun},
    {"BEND", "PulledBend", S::kBend},
    {"ELBOW", "Elbow-90", S::kBend},
    {"BEND-TEED", "TeedBend", S::kTee},
    {"ELBOW-TEED", "TeedElbow", S::kTee},
    {"TEE", "Tee", S::kTee},
    {"TEE-SET-ON", "Set-On-Tee", S::kTee},
    {"CROSS", "Set-On-Cross", S::kCross},
    {"OLET", "Olet", S::kOlet},
    {"REDUCER-CONCENTRIC", "Concentric-Reducer", S::kRun},
    {"REDUCER-ECCENTRIC", "Eccentric-Reducer", S::kEccentric},
    {"FLANGE", "Flange", S::kRun},
    {"FLANGE-BLIND", "Blind-Flange", S::kClosed},
    {"GASKET", "Gasket", S::kRun},
    {"WELD", "Weld", S::kRun},
    {"BOLT", "Bolt", S::kNone},
    {"CAP", "Cap", S::kClosed},
    {"COUPLING", "Coupling", S::kRun},
    {"UNION", "Union", S::kRun},
    {"VALVE", "Basic-Valve", S::kRun},
    {"VALVE-ANGLE", "Angle-Valve", S::kAngle},
    {"VALVE-3WAY", "Valve-3Way", S::kTee},
    {"VALVE-4WAY", "Valve-4Way", S::kCross},
    {"VALVE-MULTIWAY", "Valve-Multiway", S::kMultiway},
    {"Y-PIECE", "Y-Piece", S::kTee},
    {"FILTER", "Strainer", S::kRun},
    {"TRAP", "Trap", S::kRun},
    {"INSTRUMENT", "Inline-Instrument", S::kRun},
    {"INSTRUMENT-DIAL", "Dial-Instrument", S::kSupport},
}};

constexpr std::array<PcfIdentifier, 3> kMoreIdentifiers{{
    {"SUPPORT", "Support", S::kSupport},
    {"MISC-COMPONENT", "Misc-Component", S::kRun},
    {"INSTRUMENT-ANGLE", "Angle-Instrument", S::kAngle},
}};

// Every catalogue type, and the types the reader adds for identifiers the
// catalogue has no type for. Where the public SKEY tables give a key (gate
// VT, globe VG, ball VB, check CK, flanges FLWN/FLSO/FLBL) it is used;
// the rest are this library's own, chosen not to collide with them.
constexpr PcfTypeRow kRows[] = {
    {"Pipe", "PIPE", "", S::kRun, "", 0},
    {"PulledBend", "BEND", "BE", S::kBend, "", 0},
    {"Elbow-90", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-90-V", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-60", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-60-V", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-45", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-45-V", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-30", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-30-V", "ELBOW", "EL", S::kBend, "", 0},
    {"Elbow-NonStandard", "ELBOW", "EL", S::kBend, "", 0},
    {"ReturnBend", "BEND", "BE", S::kReturn, "", 0},
    {"ReturnElbow", "ELBOW", "EL", S::kReturn, "", 0},
    {"TeedBend", "BEND-TEED", "BT", S::kTee, "", 0},
    {"TeedElbow", "ELBOW-TEED", "ET", S::kTee, "", 0},
    {"Tee", "TEE", "TE", S::kTee, "", 0},
    {"Reducing-Tee", "TEE", "TR", S::kTee, "", 0},
    {"Set-On-Tee", "TEE-SET-ON", "TS", S::kTee, "", 0},
    {"Set-On-Cross", "CROSS", "CR", S::kCross, "", 0},
    {"Concentric-Reducer", "REDUCER-CONCENTRIC", "RC", S::kRun, "", 0},
    {"Eccentric-Reducer", "REDUCER-ECCENTRIC", "RE", S::kEccentric, "", 0},
    {"Teed-Concentric-Reducer", "TEE", "TC", S::kTee, "", 0},
    {"Teed-Eccentric-Reducer", "TEE", "TK", S::kTeedEccentric, "", 0},
    {"Cap", "CAP", "KA", S::kClosed, "", 0},
    {"Strainer", "FILTER", "FT", S::kRun, "", 0},
    {"Flange", "FLANGE", "FLWN", S::kRun, "", 0},
    {"Slip-On-Flange", "FLANGE", "FLSO", S::kRun, "", 0},
    {"Blind-Flange", "FLANGE-BLIND", "FLBL", S::kClosed, "", 0},
    {"Gasket", "GASKET", "GK", S::kRun, "", 0},
    {"Weld", "WELD", "WW", S::kRun, "", 0},
    {"Field-Weld", "WELD", "WF", S::kRun, "", 0},
    {"Gate-Valve", "VALVE", "VT", S::kRun, "", 0},
    {"Globe-Valve", "VALVE", "VG", S::kRun, "", 0},
    {"Ball-Valve", "VALVE", "VB", S::kRun, "", 0},
    {"Check-Valve", "VALVE", "CK", S::kRun, "", 0},
    {"Butterfly-Valve", "VALVE", "VY", S::kRun, "", 0},
    {"Diaphragm-Valve", "VALVE", "VD", S::kRun, "", 0},
    {"Cock-Valve", "VALVE", "VC", S::kRun, "", 0},
    {"Needle-Valve", "VALVE", "VN", S::kRun, "", 0},
    {"Plug-Valve", "VALVE", "VP", S::kRun, "", 0},
    {"Slide-Valve", "VALVE", "VS", S::kRun, "", 0},
    {"Basic-Valve", "VALVE", "VV", S::kRun, "", 0},
    {"Pressure-Reducing-Valve", "VALVE", "PR", S::kRun, "", 0},
    {"Nonreturn-Valve", "VALVE", "NR", S::kRun, "", 0},
    {"Control-Valve", "VALVE", "CV", S::kRun, "", 0},
    {"Angle-Valve", "VALVE-ANGLE", "AV", S::kAngle, "", 0},
    {"Relief-Valve", "VALVE-ANGLE", "AR", S::kAngle, "", 0},
    {"Pressure-Relief-Valve", "VALVE-ANGLE", "AS", S::kAngle, "", 0},
    {"Control-Valve-Angle", "VALVE-ANGLE", "AC", S::kAngle, "", 0},
    {"Valve-3Way", "VALVE-3WAY", "V3", S::kTee, "", 0},
    {"Control-Valve-3Way", "VALVE-3WAY", "C3", S::kTee, "", 0},
    {"Valve-4Way", "VALVE-4WAY", "V4", S::kCross, "", 0},
    {"Control-Valve-4Way", "VALVE-4WAY", "C4", S::kCross, "", 0},
    {"Valve-Multiway", "VALVE-MULTIWAY", "VM", S::kMultiway, "", 0},
    {"Inline-Instrument", "INSTRUMENT", "II", S::kRun, "", 0},
    {"Flow-Meter", "INSTRUMENT", "FM", S::kRun, "", 0},
    {"Orifice-Plate", "INSTRUMENT", "OP", S::kRun, "", 0},
    {"Sight-Glass", "MISC-COMPONENT", "SG", S::kRun, "", 0},
    {"Spectacle-Blind", "MISC-COMPONENT", "SB", S::kRun, "", 0},
    {"Support", "SUPPORT", "", S::kSupport, "", 0},
    // Types of identifiers the catalogue has nothing for.
    {"Olet", "OLET", "OL", S::kOlet, "Fittings", 3},
    {"Bolt", "BOLT", "", S::kNone, "Bolts", 0},
    {"Coupling", "COUPLING", "CP", S::kRun, "Fittings", 5},
    {"Union", "UNION", "UN", S::kRun, "Fittings", 5},
    {"Y-Piece", "Y-PIECE", "YP", S::kTee, "Fittings", 3},
    {"Trap", "TRAP", "TP", S::kRun, "Miscellaneous", 5},
    {"Dial-Instrument", "INSTRUMENT-DIAL", "ID", S::kSupport, "Instruments", 7},
    {"Angle-Instrument", "INSTRUMENT-ANGLE", "IA", S::kAngle, "Instruments", 12},
    {"Misc-Component", "MISC-COMPONENT", "", S::kRun, "Miscellaneous", 5},
};

}  // namespace

const PcfIdentifier* FindPcfIdentifier(std::string_view keyword) {
  for (const auto& [alias, name] : kAliases)
    if (keyword == alias) keyword = name;
  for (const PcfIdentifier& id : kIdentifiers)
    if (id.name == keyword) return &id;
  for (const PcfIdentifier& id : kMoreIdentifiers)
    if (id.name == keyword) return &id;
  return nullptr;
}

const PcfTypeRow* FindPcfRowBySkey(std::string_view identifier, std::string_view skey) {
  if (skey.size() < 2) return nullptr;
  for (const PcfTypeRow& row : kRows)
    if (row.identifier == identifier && row.skey.size() == 4 && row.skey == skey) return &row;
  for (const PcfTypeRow& row : kRows)
    if (row.identifier == identifier && row.skey.size() == 2 && row.skey == skey.substr(0, 2))
      return &row;
  return nullptr;
}

const PcfTypeRow* FindPcfRowByType(std::string_view type) {
  for (const PcfTypeRow& row : kRows)
    if (row.type == type) return &row;
  return nullptr;
}

std::string_view BendType(std::string_view identifier, double degrees, bool vertical) {
  if (identifier == "BEND") return "PulledBend";
  struct Standard {
    double degrees;
    std::string_view flat, upright;
  };
  static constexpr Standard kStandard[] = {{90, "Elbow-90", "Elbow-90-V"},
                                           {60, "Elbow-60", "Elbow-60-V"},
                                           {45, "Elbow-45", "Elbow-45-V"},
                                           {30, "Elbow-30", "Elbow-30-V"}};
  for (const Standard& s : kStandard)
    if (std::fabs(degrees - s.degrees) < 0.5) return vertical ? s.upright : s.flat;
  return "Elbow-NonStandard";
}

}  // namespace kelto::data
