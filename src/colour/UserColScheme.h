// CUserColScheme: a colour scheme driven by XML rules. The rules are a tag
// engine's rule set (CTagEngine, docs/tag-engine.md); the scheme evaluates
// them on each component and reads the tag named "Colour" as a colour name or
// an "r, g, b" triple (ColourText.h). A component without a usable "Colour"
// tag is white, as is every component before the first SetConfig.
//
// Counted intrusively, like CGroupColScheme and for the same reason: make one
// with Create() (or through its scripting class), never with plain `new`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "colour/ColourScheme.h"
#include "core/ComWrapper.h"
#include "core/CountedPtr.h"
#include "core/WrappedClass.h"
#include "tags/TagEngine.h"

class CUserColScheme : public IFColourScheme,
                       public CWrappedClass,
                       public cptr::counted<CUserColScheme> {
 public:
  static cptr::counted_ptr<CUserColScheme, 1> Create();

  // Adds the rules in xml (UTF-8) to those loaded before; nothing is cleared,
  // so a later rule may override an earlier "Colour". Each problem in the text
  // is appended to messages (the tag engine's texts); the valid rules stay.
  void SetConfig(std::string_view xml, std::vector<std::string>& messages);

  // The colour the rules give the component; white when they set no
  // "Colour" tag (exact, case-sensitive name) or one that is neither a colour
  // name nor a triple. A rule whose member cannot be read on the component
  // simply does not apply. Throws _com_error(E_POINTER) for a null component,
  // as every scheme does; only running out of memory escapes otherwise.
  std::int32_t GetColour(IKeltoComponent* component) override;

  // The rules' engine: its work bound and the errors of its last evaluation.
  CTagEngine& Engine() { return m_engine; }
  const CTagEngine& Engine() const { return m_engine; }

 private:
  friend class CDPCounted<CUserColScheme>;
  CUserColScheme() = default;

  CTagEngine m_engine;
};
