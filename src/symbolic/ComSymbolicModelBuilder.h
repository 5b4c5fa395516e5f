// CComSymbolicModelBuilder: the scripting class SymbolicModelBuilder
// (ISymbolicModelBuilder on IModelBuilder), the face of one
// CSymbolicModelBuilder.
//
// Like SolidModelBuilder, the object makes its builder on first use and owns
// it (CDPOwner); the view control attaches its own builder instead and keeps
// it. BuildModel's root is owned by the ModelNode it returns.
//
// Nothing throws through the interface: every member runs through Guard. A
// failing or null piping object met during a build or refresh becomes the
// member's failure HRESULT with error information; so does a symbol file that
// cannot be read or holds a malformed line (E_FAIL; the message names the
// file, and the file is not added).
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Boundary.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "symbolic/SymbolicModelBuilder.h"

struct SymbolicModelBuilderClass {
  static constexpr CLSID clsid = kelto3d::kClsidSymbolicModelBuilder;
};

class CComSymbolicModelBuilder
    : public kelto3d::ComObject<
          CComSymbolicModelBuilder, kelto::com::Dual<kelto3d::ISymbolicModelBuilder>,
          kelto::com::ConnectionPointContainer,
          kelto::com::SupportErrorInfo<kelto3d::ISymbolicModelBuilder, kelto3d::IModelBuilder>>,
      public CComWrapper<CSymbolicModelBuilder, CComSymbolicModelBuilder, SymbolicModelBuilderClass,
                         kelto3d::ISymbolicModelBuilder, CSymbolicModelBuilder*,
                         CDPOwner<CSymbolicModelBuilder>> {
 public:
  CComSymbolicModelBuilder();

  // IModelBuilder
  HRESULT BuildModel(IKeltoFile* KeltoFile, kelto3d::IModelNode** Model) override;
  HRESULT SyncBelow(kelto3d::IModelNode* Model, IDispatch* Item) override;
  HRESULT SyncModel(kelto3d::IModelNode* Model) override;
  HRESULT SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) override;
  HRESULT get_ColourScheme(kelto3d::IColourScheme** pVal) override;
  HRESULT putref_ColourScheme(kelto3d::IColourScheme* newVal) override;
  HRESULT get_Options(kelto3d::IOptions** pVal) override;

  // ISymbolicModelBuilder
  HRESULT AddSkeldaSymbols(BSTR FileName) override;
  HRESULT RemoveSkeldaSymbols(BSTR FileName) override;
};
