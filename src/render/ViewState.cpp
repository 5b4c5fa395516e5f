#include "render/ViewState.h"

bool CViewState::operator==(const CViewState& other) const {
  return Distance == other.Distance && Rotation == other.Rotation &&
         Centre.IsEqual(other.Centre, 0.001);
}
