// CComIFColourSchemeProxy: a host's own IColourScheme object seen as an
// internal scheme, so that builders ask it exactly as they ask the built-in
// ones. The proxy holds a reference to the host object for its whole life.
#pragma once

#include <cstdint>

#include "colour/ColourScheme.h"
#include "kelto3d/ColourSchemes.h"
#include "platform/com/ComPtr.h"

class CComIFColourSchemeProxy : public IFColourScheme {
 public:
  // host must not be null.
  explicit CComIFColourSchemeProxy(kelto3d::IColourScheme* host);

  // The host's answer, unchanged. When the host's GetColour fails, or
  // succeeds without writing a colour, the component is white (0xFFFFFF):
  // a broken host scheme must not stop a model from being built, and white is
  // what every built-in scheme gives a component it cannot place. Never
  // throws; a null component is passed on for the host to judge.
  std::int32_t GetColour(IKeltoComponent* component) override;

  // The host object (no new reference).
  kelto3d::IColourScheme* Host() const { return m_host.Get(); }

 private:
  kelto::com::ComPtr<kelto3d::IColourScheme> m_host;
};
