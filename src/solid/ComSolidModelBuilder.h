// CComSolidModelBuilder: the scripting class SolidModelBuilder
// (ISolidModelBuilder on IModelBuilder), the face of one CSolidModelBuilder.
//
// The object makes its builder on first use and owns it (CDPOwner); a
// component that has its own builder (the view control) attaches it instead
// and keeps it. Models come back as ModelNode objects: BuildModel's root is
// owned by its ModelNode, so the tree lives as long as the script holds it.
//
// Nothing throws through the interface: every member runs through Guard. A
// failing or null piping object met during a build or a refresh raises
// _com_error inside the builder, which becomes the member's failure HRESULT
// with the piping object's error description (or the HRESULT's standard
// text) as error information, the class as source and the interface as GUID.
#pragma once

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Boundary.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "solid/SolidModelBuilder.h"

class CComModelNode;

namespace kelto::solid {
// For the builders' scripting classes: the node behind a ModelNode of this
// module (E_INVALIDARG for null or another implementation), and a new root
// handed to a ModelNode that owns it (root must be its only counted pointer).
CModelNode& NodeOf(kelto3d::IModelNode* model);
kelto::com::ComPtr<CComModelNode> AdoptRoot(CModelNode::NodePtr root);
}  // namespace kelto::solid

struct SolidModelBuilderClass {
  static constexpr CLSID clsid = kelto3d::kClsidSolidModelBuilder;
};

class CComSolidModelBuilder
    : public kelto3d::ComObject<
          CComSolidModelBuilder, kelto::com::Dual<kelto3d::ISolidModelBuilder>,
          kelto::com::ConnectionPointContainer,
          kelto::com::SupportErrorInfo<kelto3d::ISolidModelBuilder, kelto3d::IModelBuilder>>,
      public CComWrapper<CSolidModelBuilder, CComSolidModelBuilder, SolidModelBuilderClass,
                         kelto3d::ISolidModelBuilder, CSolidModelBuilder*,
                         CDPOwner<CSolidModelBuilder>> {
 public:
  CComSolidModelBuilder();

  // IModelBuilder
  HRESULT BuildModel(IKeltoFile* KeltoFile, kelto3d::IModelNode** Model) override;
  HRESULT SyncBelow(kelto3d::IModelNode* Model, IDispatch* Item) override;
  HRESULT SyncModel(kelto3d::IModelNode* Model) override;
  HRESULT SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) override;
  HRESULT get_ColourScheme(kelto3d::IColourScheme** pVal) override;
  HRESULT putref_ColourScheme(kelto3d::IColourScheme* newVal) override;
  HRESULT get_Options(kelto3d::IOptions** pVal) override;

  // ISolidModelBuilder
  HRESULT SetCGBConfig(BSTR ConfigXML) override;
};
