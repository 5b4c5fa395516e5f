#include "colour/ComIFColourSchemeProxy.h"

#include <stdexcept>

#include "colour/ColourText.h"
#include "platform/com/ErrorInfo.h"

CComIFColourSchemeProxy::CComIFColourSchemeProxy(kelto3d::IColourScheme* host) : m_host(host) {
  if (!host) throw std::invalid_argument("A colour scheme proxy needs a host scheme.");
}

std::int32_t CComIFColourSchemeProxy::GetColour(IKeltoComponent* component) {
  LONG colour = kelto::colour::kWhite;
  const HRESULT hr = m_host->GetColour(component, &colour);
  if (SUCCEEDED(hr)) return colour;
  // The failure is not passed on, so its description (if the host left one)
  // must not linger for an unrelated caller to find.
  kelto::com::ClearError();
  return kelto::colour::kWhite;
}
