// CComGroupColScheme: the scripting class GroupColScheme (IGroupColScheme,
// IColourScheme). Counted wrapper policy: the object shares its CGroupColScheme
// (made on first use) with every builder it is handed to.
#pragma once

#include "colour/ColourSchemeDispatch.h"
#include "colour/ColourSchemeWrapper.h"
#include "colour/GroupColScheme.h"
#include "com/ModuleLock.h"
#include "core/BaseWrapper.h"
#include "core/ComWrapper.h"
#include "platform/com/Boundary.h"

struct GroupColSchemeClass {
  static constexpr CLSID clsid = kelto3d::kClsidGroupColScheme;
};

class CComGroupColScheme
    : public kelto3d::ComObject<
          CComGroupColScheme, kelto::com::Dual<kelto3d::IGroupColScheme>,
          kelto::com::SupportErrorInfo<kelto3d::IGroupColScheme, kelto3d::IColourScheme>,
          IColourSchemeWrapper>,
      public CComWrapper<CGroupColScheme, CComGroupColScheme, GroupColSchemeClass,
                         kelto3d::IGroupColScheme, cptr::counted_ptr<CGroupColScheme, 1>,
                         CDPCounted<CGroupColScheme>>,
      public CBaseWrapperImpl<ColourSchemeBaseDetails, CComGroupColScheme, CGroupColScheme> {
 public:
  // The group colour of pComp. A null component, or one without details, is
  // E_POINTER; a component whose members fail passes its failure on. Error
  // information is recorded in every case.
  HRESULT GetColour(IKeltoComponent* pComp, LONG* pColour) override;

  CColourSchemeBaseWrapper* GetBaseWrapper() override { return this; }
};
