#include "colour/UserColScheme.h"

#include "colour/ColourText.h"
#include "colour/SchemeErrors.h"
#include "kelto/Piping.h"

cptr::counted_ptr<CUserColScheme, 1> CUserColScheme::Create() {
  return cptr::counted_ptr<CUserColScheme, 1>(new CUserColScheme());
}

void CUserColScheme::SetConfig(std::string_view xml, std::vector<std::string>& messages) {
  m_engine.SetSpec(xml, messages);
}

std::int32_t CUserColScheme::GetColour(IKeltoComponent* component) {
  // The tag engine would accept a null object (only unconditional rules
  // apply), but a builder never asks about nothing: a null here is a fault in
  // the caller, reported the same way by every scheme.
  if (!component) kelto::colour::ThrowNullComponent();
  const CTagEngine::TagMap tags = m_engine.GetTags(component);
  const auto colour = tags.find("Colour");
  if (colour == tags.end()) return kelto::colour::kWhite;
  return kelto::colour::ColourFromText(colour->second);
}
