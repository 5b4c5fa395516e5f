// A complete one-line description of a primitive, every field included
// (the model-tree dump leaves out diameters, centres, directions and
// colours). Used by `kelto3d dump --detail` and by tests that check
// primitives exactly. Numbers as in the dumps: six significant digits.
//
//   Line (0, 0, 0) to (1, 0, 0) colour 0x00ff00
//   Cone (0, 0, 0) D 114.3 to (500, 0, 0) D 114.3 colour 0x00ff00
//   CurvedCone (0, 0, 0) D 60.3 to (100, 100, 0) D 60.3 centre (100, 0, 0) colour 0xffff00
//   Snout (0, 0, 0) D 100 to (200, 0, 0) D 50 direction (1, 0, 0) colour 0xffff00
//   Circle (0, 0, 0) D 225 normal (1, 0, 0) colour 0xff00ff
#pragma once

#include <string>

#include "core/Primitive.h"

namespace kelto::solid {

std::string DescribePrimitive(const CPrimitive& primitive);

}  // namespace kelto::solid
