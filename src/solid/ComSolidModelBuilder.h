// CComSolidModelBuilder: the scripting class SolidModelBuilder
// (ISolidModelBuilder on IModelBuilder), the face of one CSolidModelBuilder.
//
// The object makes its builder on first use and owns it (CDPOwner); a
// component that has its own builder (the view control) attaches it instead
// and keeps it. Models come back as ModelNode objects: BuildModel's root is
// owned by its ModelNode, so the tree lives as long as the script holds it.
//
// The IModelBuilder members, and how failures become HRESULTs with error
// information, come from CComPipingModelBuilder.
#pragma once

#include "solid/ComPipingModelBuilder.h"
#include "solid/SolidModelBuilder.h"

struct SolidModelBuilderClass {
  static constexpr CLSID clsid = kelto3d::kClsidSolidModelBuilder;
};

class CComSolidModelBuilder
    : public CComPipingModelBuilder<CComSolidModelBuilder, CSolidModelBuilder,
                                    SolidModelBuilderClass, kelto3d::ISolidModelBuilder,
                                    kelto3d::_ISolidModelBuilderEvents> {
 public:
  // ISolidModelBuilder
  HRESULT SetCGBConfig(BSTR ConfigXML) override;
};
