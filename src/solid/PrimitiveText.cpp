#include "solid/PrimitiveText.h"

#include <cstdio>
#include <sstream>

#include "core/NumberText.h"

namespace kelto::solid {

namespace {

void Colour(std::ostream& os, std::int32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06x", static_cast<unsigned>(colour));
  os << " colour " << text;
}

// Negative zero (from cross products) reads as plain 0: it means nothing
// to a reader and would make equal geometry print differently.
void Number(std::ostream& os, double value) { WriteNumber(os, value == 0.0 ? 0.0 : value); }

template <class P>
void Triple(std::ostream& os, const P& p) {
  os << '(';
  Number(os, p.x);
  os << ", ";
  Number(os, p.y);
  os << ", ";
  Number(os, p.z);
  os << ')';
}

void Diameter(std::ostream& os, double d) {
  os << " D ";
  Number(os, d);
}

}  // namespace

std::string DescribePrimitive(const CPrimitive& primitive) {
  std::ostringstream os;
  if (const auto* line = primitive.GetLine()) {
    os << "Line ";
    Triple(os, line->Start);
    os << " to ";
    Triple(os, line->End);
    Colour(os, line->Colour);
  } else if (const auto* cone = primitive.GetCone()) {
    os << "Cone ";
    Triple(os, cone->Start);
    Diameter(os, cone->StartDiameter);
    os << " to ";
    Triple(os, cone->End);
    Diameter(os, cone->EndDiameter);
    Colour(os, cone->Colour);
  } else if (const auto* bend = primitive.GetCurvedCone()) {
    os << "CurvedCone ";
    Triple(os, bend->Start);
    Diameter(os, bend->StartDiameter);
    os << " to ";
    Triple(os, bend->End);
    Diameter(os, bend->EndDiameter);
    os << " centre ";
    Triple(os, bend->Centre);
    Colour(os, bend->Colour);
  } else if (const auto* snout = primitive.GetSnout()) {
    os << "Snout ";
    Triple(os, snout->Start);
    Diameter(os, snout->StartDiameter);
    os << " to ";
    Triple(os, snout->End);
    Diameter(os, snout->EndDiameter);
    os << " direction ";
    Triple(os, snout->Direction);
    Colour(os, snout->Colour);
  } else if (const auto* circle = primitive.GetCircle()) {
    os << "Circle ";
    Triple(os, circle->Centre);
    Diameter(os, circle->Diameter);
    os << " normal ";
    Triple(os, circle->Direction);
    Colour(os, circle->Colour);
  }
  return os.str();
}

}  // namespace kelto::solid
