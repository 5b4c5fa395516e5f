// CGroupColScheme: the builders' default colour scheme, a fixed colour per
// component group (the GroupName of the component's Details), white for any
// group it does not know. docs/colour-schemes.md has the table.
//
// Instances are always counted intrusively (cptr::counted): the builders, the
// scripting face and the conversions in ColourSchemeLink.h share one object
// through one count. The constructor is therefore private: make one with
// Create(), or let the scripting class make it on demand. An object made with
// plain `new` and handed to an externally counted pointer could not later be
// shared with its scripting face without a second count.
#pragma once

#include <cstdint>
#include <string_view>

#include "colour/ColourScheme.h"
#include "core/ComWrapper.h"
#include "core/CountedPtr.h"
#include "core/WrappedClass.h"

class CGroupColScheme : public IFColourScheme,
                        public CWrappedClass,
                        public cptr::counted<CGroupColScheme> {
 public:
  static cptr::counted_ptr<CGroupColScheme, 1> Create();

  // The group's colour. Throws _com_error: E_POINTER for a null component or
  // one whose Details is null; the component's or item's own failure (with
  // their IIDs) when Details or GroupName cannot be read.
  std::int32_t GetColour(IKeltoComponent* component) override;

  // The table lookup on its own: exact, case-sensitive; 0xFFFFFF when absent.
  static std::int32_t ColourOfGroup(std::u16string_view group);

 private:
  friend class CDPCounted<CGroupColScheme>;
  CGroupColScheme() = default;
};
