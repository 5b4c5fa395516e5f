// The colour schemes' scripting interfaces, as a host compiles against them.
//
//   GroupColScheme  CLSID 49CBA647-5AC5-405C-B4A8-5A7BFC8255E9  ("Kelto3D.GroupColScheme")
//   UserColScheme   CLSID 7CE2469F-2CCA-4B53-9203-6D65A993F6CF  ("Kelto3D.UserColScheme")
//
// A colour scheme gives the colour (0x00BBGGRR, red in the low byte) of every
// primitive a model builder makes for a piping component. GroupColScheme colours
// by the component's group; UserColScheme by XML rules (SetConfig). A host may
// also hand a builder its own object implementing IColourScheme: the builder
// then asks it for each component's colour and uses the answers unchanged.
// docs/colour-schemes.md has the tables and the rule format.
#pragma once

#include "kelto/Piping.h"
#include "platform/com/Guid.h"
#include "platform/com/Interfaces.h"

namespace kelto3d {

inline constexpr CLSID kClsidGroupColScheme =
    kelto::com::MakeGuid("49CBA647-5AC5-405C-B4A8-5A7BFC8255E9");
inline constexpr CLSID kClsidUserColScheme =
    kelto::com::MakeGuid("7CE2469F-2CCA-4B53-9203-6D65A993F6CF");

// Dispatch ids.
inline constexpr DISPID kDispidColourSchemeGetColour = 1;
inline constexpr DISPID kDispidUserColSchemeSetConfig = 0x65;

struct IColourScheme : IDispatch {
  // The colour of pComp's primitives. A host implementation should answer
  // S_OK; a failure makes the component white (0xFFFFFF).
  virtual HRESULT GetColour(IKeltoComponent* pComp, LONG* pColour) = 0;
};

// The colour-by-group scheme; adds nothing to IColourScheme.
struct IGroupColScheme : IColourScheme {};

struct IUserColScheme : IColourScheme {
  // Loads colour rules from ConfigXML, adding to those loaded before. Rule
  // problems are not failures: *Errors receives each message followed by
  // "\n" (an empty string when there are none) and the valid rules stay.
  virtual HRESULT SetConfig(BSTR ConfigXML, BSTR* Errors) = 0;
};

}  // namespace kelto3d

KELTO_INTERFACE_IID(kelto3d::IColourScheme, IDispatch, "2BE0919B-B437-4FED-A995-C600829F0900");
KELTO_INTERFACE_IID(kelto3d::IGroupColScheme, kelto3d::IColourScheme,
                    "513E1640-B096-4D98-84EF-7C282007975C");
KELTO_INTERFACE_IID(kelto3d::IUserColScheme, kelto3d::IColourScheme,
                    "0AEB38B0-25A0-4A7F-A92A-F9BB6E8BE2EA");
