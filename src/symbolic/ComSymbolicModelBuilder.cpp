#include "symbolic/ComSymbolicModelBuilder.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "colour/ColourSchemeLink.h"
#include "com/faces/ComModelNode.h"
#include "options/ComOptions.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "solid/ComSolidModelBuilder.h"

using kelto::com::ComPtr;
using kelto::com::HResultError;
using kelto::com::IidOf;
using kelto::solid::AdoptRoot;
using kelto::solid::NodeOf;

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  return kelto::com::Guard(kelto3d::kClsidSymbolicModelBuilder,
                           IidOf<kelto3d::ISymbolicModelBuilder>(), std::forward<F>(body));
}

void CheckResult(const void* p) {
  if (!p) throw HResultError(E_POINTER, "Null result pointer.");
}

}  // namespace

CComSymbolicModelBuilder::CComSymbolicModelBuilder() {
  AddConnectionPoint(IidOf<kelto3d::_ISymbolicModelBuilderEvents>());
}

HRESULT CComSymbolicModelBuilder::BuildModel(IKeltoFile* KeltoFile, kelto3d::IModelNode** Model) {
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

HRESULT CComSymbolicModelBuilder::SyncBelow(kelto3d::IModelNode* Model, IDispatch* Item) {
  return Guarded([&] { GetObject()->SyncBelow(NodeOf(Model), Item); });
}

HRESULT CComSymbolicModelBuilder::SyncModel(kelto3d::IModelNode* Model) {
  return Guarded([&] { GetObject()->SyncModel(NodeOf(Model)); });
}

HRESULT CComSymbolicModelBuilder::SetExternalDimensionConfig(BSTR ConfigXML, BSTR* Errors) {
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

HRESULT CComSymbolicModelBuilder::get_ColourScheme(kelto3d::IColourScheme** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    *pVal = kelto::colour::InterfaceFromScheme(GetObject()->GetColourScheme()).Detach();
  });
}

HRESULT CComSymbolicModelBuilder::putref_ColourScheme(kelto3d::IColourScheme* newVal) {
  return Guarded([&] { GetObject()->SetColourScheme(kelto::colour::SchemeFromInterface(newVal)); });
}

HRESULT CComSymbolicModelBuilder::get_Options(kelto3d::IOptions** pVal) {
  return Guarded([&] {
    CheckResult(pVal);
    *pVal = nullptr;
    ComPtr<CComOptions> options = CComOptions::ForRegistry(GetObject()->Options());
    *pVal = static_cast<kelto3d::IOptions*>(options.Detach());
  });
}

HRESULT CComSymbolicModelBuilder::AddSkeldaSymbols(BSTR FileName) {
  // The name is handed on as UTF-8 bytes, the file system's own encoding
  // here, so a file is found by the name a script shows.
  return Guarded([&] {
    try {
      GetObject()->AddSkeldaSymbols(kelto::com::BstrToUtf8(FileName));
    } catch (const std::out_of_range& e) {
      // A line too short for its record is a bad file, not a bad index: every
      // file that cannot be used fails alike, with the reader's message.
      throw HResultError(E_FAIL, e.what());
    }
  });
}

HRESULT CComSymbolicModelBuilder::RemoveSkeldaSymbols(BSTR FileName) {
  return Guarded([&] { GetObject()->RemoveSkeldaSymbols(kelto::com::BstrToUtf8(FileName)); });
}
