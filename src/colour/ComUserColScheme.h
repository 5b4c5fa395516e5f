// CComUserColScheme: the scripting class UserColScheme (IUserColScheme,
// IColourScheme). Counted wrapper policy: rules loaded through SetConfig
// belong to the one CUserColScheme that every builder given this object
// shares, so configuring the object after handing it over still counts.
#pragma once

#include "colour/ColourSchemeDispatch.h"
#include "colour/ColourSchemeWrapper.h"
#include "colour/UserColScheme.h"
#include "com/ModuleLock.h"
#include "core/BaseWrapper.h"
#include "core/ComWrapper.h"
#include "platform/com/Boundary.h"

struct UserColSchemeClass {
  static constexpr CLSID clsid = kelto3d::kClsidUserColScheme;
};

class CComUserColScheme
    : public kelto3d::ComObject<
          CComUserColScheme, kelto::com::Dual<kelto3d::IUserColScheme>,
          kelto::com::SupportErrorInfo<kelto3d::IUserColScheme, kelto3d::IColourScheme>,
          IColourSchemeWrapper>,
      public CComWrapper<CUserColScheme, CComUserColScheme, UserColSchemeClass,
                         kelto3d::IUserColScheme, cptr::counted_ptr<CUserColScheme, 1>,
                         CDPCounted<CUserColScheme>>,
      public CBaseWrapperImpl<ColourSchemeBaseDetails, CComUserColScheme, CUserColScheme> {
 public:
  // The colour the rules give pComp (white when they give none). A null
  // component is E_POINTER.
  HRESULT GetColour(IKeltoComponent* pComp, LONG* pColour) override;
  // Rule problems are not failures: they come back in *Errors, each message
  // followed by "\n" ("" when there are none), and the call succeeds.
  HRESULT SetConfig(BSTR ConfigXML, BSTR* Errors) override;

  CColourSchemeBaseWrapper* GetBaseWrapper() override { return this; }
};
