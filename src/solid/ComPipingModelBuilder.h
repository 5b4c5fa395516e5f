// CComPipingModelBuilder: the IModelBuilder half of a model builder's
// scripting class, shared by SolidModelBuilder and SymbolicModelBuilder.
//
//   class CComSolidModelBuilder
//       : public CComPipingModelBuilder<CComSolidModelBuilder, CSolidModelBuilder,
//                                       SolidModelBuilderClass, kelto3d::ISolidModelBuilder,
//                                       kelto3d::_ISolidModelBuilderEvents> { ... };
//
// The object makes its builder on first use and owns it (CDPOwner); a
// component that has its own builder (the view control) attaches it instead
// and keeps it. Models come back as ModelNode objects: BuildModel's root is
// owned by its ModelNode, so the tree lives as long as the script holds it.
//
// Nothing throws through the interface: every member runs through Guarded. A
// failing or null piping object met during a build or a refresh raises
// _com_error inside the builder, which becomes the member's failure HRESULT
// with the piping object's error description (or the HRESULT's standard
// text) as error information, the class as source and the interface as GUID.
#pragma once

#include <utility>

#include "colour/ColourSchemeLink.h"
#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "kelto3d/ModelBuilders.h"
#include "platform/com/Boundary.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "solid/ModelBuilder.h"

class CComModelNode;

namespace kelto::solid {

// The node behind a ModelNode of this module (E_INVALIDARG for null or
// another implementation).
CModelNode& NodeOf(kelto3d::IModelNode* model);
// A new root handed to a ModelNode that owns it (root must be its only
// counted pointer).
kelto::com::ComPtr<CComModelNode> AdoptRoot(CModelNode::NodePtr root);

// The bodies of the IModelBuilder members that do more than forward, for any
// builder; each throws where the member fails. The builder is asked for only
// after the [out] pointer has been checked.
namespace face {
void BuildModel(IFModelBuilder* builder, IKeltoFile* file, kelto3d::IModelNode** model);
void SetExternalDimensionConfig(IFModelBuilder* builder, BSTR configXml, BSTR* errors);
void GetColourScheme(IFModelBuilder* builder, kelto3d::IColourScheme** scheme);
void GetOptions(IFModelBuilder* builder, kelto3d::IOptions** options);
}  // namespace face

}  // namespace kelto::solid

// Derived: the scripting class; Builder: its internal builder (an
// IFModelBuilder and a CWrappedClass); ClassTag: a type with the class's
// `static constexpr CLSID clsid`; Interface: the class's own interface (on
// IModelBuilder); Events: its event interface.
template <class Derived, class Builder, class ClassTag, class Interface, class Events>
class CComPipingModelBuilder
    : public kelto3d::ComObject<Derived, kelto::com::Dual<Interface>,
                                kelto::com::ConnectionPointContainer,
                                kelto::com::SupportErrorInfo<Interface, kelto3d::IModelBuilder>>,
      public CComWrapper<Builder, Derived, ClassTag, Interface, Builder*, CDPOwner<Builder>> {
 public:
  CComPipingModelBuilder() { this->AddConnectionPoint(kelto::com::IidOf<Events>()); }

  // IModelBuilder
  HRESULT BuildModel(IKeltoFile* KeltoFile, kelto3d::IModelNode** Model) override {
    return Guarded([&] { kelto::solid::face::BuildModel(this->GetObject(), KeltoFile, Model); });
  }
  HRESULT SyncBelow(kelto3d::IModelNode* Model, IDispatch* Item) override {
    return Guarded([&] { this->GetObject()->SyncBelow(kelto::solid::NodeOf(Model), Item); });
  }
  HRESULT SyncModel(kelto3d::IModelNode* Model) override {
    return Guarded([&] { this->GetObject()->SyncModel(kelto::solid::NodeOf(Model)); });
  }
  HRESULT SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) override {
    return Guarded([&] {
      kelto::solid::face::SetExternalDimensionConfig(this->GetObject(), ConfigXML, Errors);
    });
  }
  HRESULT get_ColourScheme(kelto3d::IColourScheme** pVal) override {
    return Guarded([&] { kelto::solid::face::GetColourScheme(this->GetObject(), pVal); });
  }
  HRESULT putref_ColourScheme(kelto3d::IColourScheme* newVal) override {
    return Guarded(
        [&] { this->GetObject()->SetColourScheme(kelto::colour::SchemeFromInterface(newVal)); });
  }
  HRESULT get_Options(kelto3d::IOptions** pVal) override {
    return Guarded([&] { kelto::solid::face::GetOptions(this->GetObject(), pVal); });
  }

 protected:
  // Runs body at the interface boundary: exceptions become the HRESULT and
  // the error information of this class and interface.
  template <class F>
  static HRESULT Guarded(F&& body) {
    return kelto::com::Guard(ClassTag::clsid, kelto::com::IidOf<Interface>(),
                             std::forward<F>(body));
  }
};
