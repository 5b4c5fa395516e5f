#include "solid/DefaultColourScheme.h"

#include "colour/GroupColScheme.h"

namespace kelto::solid {

cptr::counted_ptr<IFColourScheme> MakeDefaultColourScheme() {
  // The scheme is counted intrusively, so the builder's pointer shares its
  // count with any scripting face made for it later.
  return cptr::counted_ptr<IFColourScheme>(CGroupColScheme::Create());
}

}  // namespace kelto::solid
