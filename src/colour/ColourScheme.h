// IFColourScheme: what a model builder asks for the colour of each piping
// component. Colours are 0x00BBGGRR (red in the low byte), as everywhere in
// the model.
#pragma once

#include <cstdint>

struct IKeltoComponent;

class IFColourScheme {
 public:
  virtual ~IFColourScheme() = default;
  // The colour of every primitive drawn for the component. Throws _com_error
  // (E_POINTER) for a null component or one without details.
  virtual std::int32_t GetColour(IKeltoComponent* component) = 0;
};
