#include "solid/ComSolidModelBuilder.h"

#include <string>
#include <utility>

#include "colour/ColourSchemeLink.h"
#include "com/faces/ComModelNode.h"
#include "core/WrapperFace.h"
#include "options/ComOptions.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;
using kelto::com::IidOf;

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidSolidModelBuilder, IidOf<kelto3d::ISolidModelBuilder>(),
                           std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

}  // namespace

// Shared with the symbolic builder's scripting class (declared in the header).
namespace kelto::solid {

// The node behind a ModelNode of this module. Another implementation of
// IModelNode has no node the builder could refresh.
CModelNode& NodeOf(kelto3d::IModelNode* model) {
  CComModelNode* face = CComModelNode::Implementation(model);
  if (!face) throw HResultError(E_INVALIDARG, "Bad model node.");
  return *face->GetObject();
}

// Hands a new root to a ModelNode that owns it, so the tree lives exactly as
// long as the script holds that object. The ModelNode class takes ownership
// of a node in one way only, RemoveSubtree, so the root is put under a
// scratch parent for a moment and removed from it through the scripting
// face; root must be the only counted pointer to the node.
ComPtr<CComModelNode> AdoptRoot(CModelNode::NodePtr root) {
  CModelNode* raw = root.get();
  // The face is made (and held) first: RemoveSubtree hands the node to the
  // node's current face, which would die with the call if nobody held it.
  ComPtr<CComModelNode> face = WrapperFace<CComModelNode>(raw);
  const CModelNode::NodePtr scratch(new CModelNode());
  scratch->AddChild(std::move(root));
  const ComPtr<CComModelNode> scratchFace = WrapperFace<CComModelNode>(scratch.get());
  kelto::com::ThrowIfFailed(scratchFace->RemoveSubtree(raw->GetKey()));
  // Should ownership not have moved, the node dies with the scratch parent
  // and the face has let go of it.
  if (!face->OwnsNode() || face->PeekObject() != raw)
    throw HResultError(E_UNEXPECTED, "The model could not be handed out.");
  return face;
}

}  // namespace kelto::solid

using kelto::solid::AdoptRoot;
using kelto::solid::NodeOf;

CComSolidModelBuilder::CComSolidModelBuilder() {
  AddConnectionPoint(IidOf<kelto3d::_ISolidModelBuilderEvents>());
}

HRESULT CComSolidModelBuilder::BuildModel(IKeltoFile* KeltoFile, kelto3d::IModelNode** Model) {
  return Guarded([&] {
    CheckResult(Model);
    *Model = nullptr;
    if (!KeltoFile) throw HResultError(E_POINTER, "No piping file.");
    // A failing piping object throws out of here: the half-built tree dies
    // with the counted pointer and the caller gets no model.
    CModelNode::NodePtr root = GetObject()->BuildModel(KeltoFile);
    ComPtr<CComModelNode> face = AdoptRoot(std::move(root));
    *Model = static_cast<kelto3d::IModelNode*>(face.Detach());
  });
}

HRESULT CComSolidModelBuilder::SyncBelow(kelto3d::IModelNode* Model, IDispatch* Item) {
  return Guarded([&] { GetObject()->SyncBelow(NodeOf(Model), Item); });
}

HRESULT CComSolidModelBuilder::SyncModel(kelto3d::IModelNode* Model) {
  return Guarded([&] { GetObject()->SyncModel(NodeOf(Model)); });
}

HRESULT CComSolidModelBuilder::SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) {
  return Guarded([&] {
    CheckResult(Errors);
    *Errors = nullptr;
    std::string errors;
    GetObject()->SetExternalDimensionConfig(kelto::com::BstrToUtf8(ConfigXML), errors);
    // An empty (not a null) string when all went well: scripts compare it
    // with "".
    *Errors = _bstr_t(errors).Detach();
  });
}

HRESULT CComSolidModelBuilder::get_ColourScheme(kelto3d::IColourScheme** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    *pVal = kelto::colour::InterfaceFromScheme(GetObject()->GetColourScheme()).Detach();
  });
}

HRESULT CComSolidModelBuilder::putref_ColourScheme(kelto3d::IColourScheme* newVal) {
  return Guarded([&] { GetObject()->SetColourScheme(kelto::colour::SchemeFromInterface(newVal)); });
}

HRESULT CComSolidModelBuilder::get_Options(kelto3d::IOptions** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    ComPtr<CComOptions> options = CComOptions::ForRegistry(GetObject()->Options());
    *pVal = static_cast<kelto3d::IOptions*>(options.Detach());
  });
}

HRESULT CComSolidModelBuilder::SetCGBConfig(BSTR ConfigXML) {
  return Guarded([&] { GetObject()->SetTypeTableConfig(kelto::com::BstrToUtf8(ConfigXML)); });
}
