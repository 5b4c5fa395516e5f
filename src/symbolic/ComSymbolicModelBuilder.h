// CComSymbolicModelBuilder: the scripting class SymbolicModelBuilder
// (ISymbolicModelBuilder on IModelBuilder), the face of one
// CSymbolicModelBuilder.
//
// Like SolidModelBuilder, the object makes its builder on first use and owns
// it (CDPOwner); the view control attaches its own builder instead and keeps
// it. BuildModel's root is owned by the ModelNode it returns.
//
// Nothing throws through the interface (CComPipingModelBuilder): a failing
// or null piping object met during a build or refresh becomes the member's
// failure HRESULT with error information; so does a symbol file that
// cannot be read or holds a malformed line (E_FAIL; the message names the
// file, and the file is not added).
#pragma once

#include "solid/ComPipingModelBuilder.h"
#include "symbolic/SymbolicModelBuilder.h"

struct SymbolicModelBuilderClass {
  static constexpr CLSID clsid = kelto3d::kClsidSymbolicModelBuilder;
};

class CComSymbolicModelBuilder
    : public CComPipingModelBuilder<CComSymbolicModelBuilder, CSymbolicModelBuilder,
                                    SymbolicModelBuilderClass, kelto3d::ISymbolicModelBuilder,
                                    kelto3d::_ISymbolicModelBuilderEvents> {
 public:
  // ISymbolicModelBuilder
  HRESULT AddSkeldaSymbols(BSTR FileName) override;
  HRESULT RemoveSkeldaSymbols(BSTR FileName) override;
};
