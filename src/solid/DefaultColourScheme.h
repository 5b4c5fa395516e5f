// The colour scheme a new solid builder starts with: a group colour scheme
// (colour by the component's group name).
#pragma once

#include "colour/ColourScheme.h"
#include "core/CountedPtr.h"

namespace kelto::solid {

cptr::counted_ptr<IFColourScheme> MakeDefaultColourScheme();

}  // namespace kelto::solid
