// How PCF component identifiers and symbol keys (SKEY) map to the library's
// component types, both ways (private to the library; docs/pcf-format.md).
//
// A PCF block names its kind with a component identifier (VALVE, ELBOW, ...)
// and its drawing with a four-letter SKEY whose first two letters say the
// kind more exactly and whose last two usually say the end connection (VTFL:
// a flanged gate valve). Each library type has one row: the identifier and the
// SKEY (two letters: the end connection is appended; four: written whole)
// it is written with, and the layout of its points.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelto::data {

// Which point lines a block has and which points and legs they become.
enum class PcfShape : std::uint8_t {
  kRun,            // END-POINT x2: Run_1, Run_2
  kBend,           // END-POINT x2, CENTRE-POINT: Run_1, Centre_1, Run_2
  kReturn,         // a 180-degree bend: the two tangent intersections are computed
  kTee,            // END-POINT x2, CENTRE-POINT, BRANCH1-POINT
  kCross,          // ... and BRANCH2-POINT
  kMultiway,       // ... and BRANCH3-POINT when there is a third branch
  kAngle,          // END-POINT (inlet), CENTRE-POINT, END-POINT (outlet)
  kEccentric,      // END-POINT x2: the centres on both axes are computed
  kTeedEccentric,  // END-POINT x2, CENTRE-POINT, BRANCH1-POINT
  kClosed,         // END-POINT and the closed face (a second END-POINT)
  kSupport,        // CO-ORDS
  kOlet,           // CENTRE-POINT on the run, BRANCH1-POINT
  kNone,           // no geometry (bolts)
  kGeneric,        // an identifier the reader does not know
};

struct PcfIdentifier {
  std::string_view name;         // canonical spelling, upper case
  std::string_view defaultType;  // the type when the SKEY says nothing more
  PcfShape shape;
};

struct PcfTypeRow {
  std::string_view type;
  std::string_view identifier;
  std::string_view skey;  // "", two letters (+ end connection) or four letters
  PcfShape shape;
  // For types outside the catalogue: the group and item code they get.
  std::string_view group;
  std::int32_t itemCode;
};

// The identifier a keyword (upper case, aliases included) names; null when
// the keyword is no component identifier.
const PcfIdentifier* FindPcfIdentifier(std::string_view keyword);
// The row for an identifier and SKEY: the whole key first, then its first two
// letters; null when neither matches a row of that identifier.
const PcfTypeRow* FindPcfRowBySkey(std::string_view identifier, std::string_view skey);
const PcfTypeRow* FindPcfRowByType(std::string_view type);

// The elbow or bend type for a bend of `degrees` in a horizontal or vertical
// plane, by the identifier (ELBOW or BEND) it was written with.
std::string_view BendType(std::string_view identifier, double degrees, bool vertical);

}  // namespace kelto::data
