#include "solid/ComPipingModelBuilder.h"

#include <string>
#include <utility>

#include "com/faces/ComModelNode.h"
#include "core/WrapperFace.h"
#include "options/ComOptions.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;

namespace kelto::solid {

namespace {

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

}  // namespace

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

namespace face {

void BuildModel(IFModelBuilder* builder, IKeltoFile* file, kelto3d::IModelNode** model) {
  CheckResult(model);
  *model = nullptr;
  if (!file) throw HResultError(E_POINTER, "No piping file.");
  // A failing piping object throws out of here: the half-built tree dies
  // with the counted pointer and the caller gets no model.
  CModelNode::NodePtr root = builder->BuildModel(file);
  ComPtr<CComModelNode> node = AdoptRoot(std::move(root));
  *model = static_cast<kelto3d::IModelNode*>(node.Detach());
}

void SetExternalDimensionConfig(IFModelBuilder* builder, BSTR configXml, BSTR* errors) {
  CheckResult(errors);
  *errors = nullptr;
  std::string text;
  builder->SetExternalDimensionConfig(kelto::com::BstrToUtf8(configXml), text);
  // An empty (not a null) string when all went well: scripts compare it
  // with "".
  *errors = _bstr_t(text).Detach();
}

void GetColourScheme(IFModelBuilder* builder, kelto3d::IColourScheme** scheme) {
  CheckResult(scheme);
  *scheme = nullptr;
  *scheme = kelto::colour::InterfaceFromScheme(builder->GetColourScheme()).Detach();
}

void GetOptions(IFModelBuilder* builder, kelto3d::IOptions** options) {
  CheckResult(options);
  *options = nullptr;
  ComPtr<CComOptions> face = CComOptions::ForRegistry(builder->Options());
  *options = static_cast<kelto3d::IOptions*>(face.Detach());
}

}  // namespace face

}  // namespace kelto::solid
