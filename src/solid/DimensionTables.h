// The built-in dimension tables of the solid builder and the compass table.
//
// When the external dimension configuration gives no value for a point, pipe
// and flange sizes come from its nominal bore b (an inch bore is one whose
// BoreUnits is 1; every other value means millimetres):
//   pipe outside diameter    b, × 25.4 for an inch bore;
//   flange outside diameter  ratio × b (× 25.4 for inches), the ratio taken
//                            from the first row whose key is not below the
//                            bore in millimetres (the last row past the end);
//   flange thickness         (row thickness ÷ row key) × b (× 25.4 for
//                            inches), looked up in inches in the inch table
//                            and in millimetres in the millimetre table.
// The tables are constant data: nothing is built at run time, so there is no
// first-use initialisation to race.
#pragma once

#include <optional>
#include <string_view>

#include "core/Vector3.h"

namespace kelto::solid {

inline constexpr long kInchBoreUnits = 1;
inline constexpr double kMillimetresPerInch = 25.4;

double DefaultPipeOD(double bore, long boreUnits);
double DefaultFlangeOD(double bore, long boreUnits);
double DefaultFlangeThickness(double bore, long boreUnits);

// "UP" (0, 0, 1), "DOWN", "NORTH" (0, 1, 0), "SOUTH", "EAST" (1, 0, 0),
// "WEST": exact, upper case. Anything else has no entry.
std::optional<CVector3> CompassDirection(std::u16string_view name);

}  // namespace kelto::solid
