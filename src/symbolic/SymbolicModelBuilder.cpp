#include "symbolic/SymbolicModelBuilder.h"

#include <exception>
#include <initializer_list>
#include <new>
#include <utility>

#include "solid/ComponentInfo.h"
#include "solid/DefaultColourScheme.h"
#include "solid/PipingAccess.h"
#include "symbolic/ConcentricReducerCSSGB.h"
#include "symbolic/DefaultCSSGB.h"
#include "symbolic/EccentricReducerCSSGB.h"
#include "symbolic/InlineFitOrMiscCSSGB.h"
#include "symbolic/InlineInstrCSSGB.h"
#include "symbolic/SupportCSSGB.h"
#include "symbolic/SymbolicGraphicsBuilder.h"
#include "symbolic/SymbolicPipelineMarker.h"
#include "symbolic/ValveCSSGB.h"
#include "symbolic/WeldCSSGB.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;
using kelto::solid::FileOf;
using kelto::solid::IdentityOf;
using kelto::solid::PipelineOf;
using kelto::solid::Require;

namespace {

// Fresh builder objects, one per key: builders hold no state today, but a key
// that later gets a configurable builder must not change its neighbours.
template <class Builder>
CComponentSSGBuilder::Ptr Make() {
  return CComponentSSGBuilder::Ptr(new Builder());
}

template <class Builder, class Filter>
void AddKeys(Filter& filter, std::initializer_list<const char*> keys) {
  for (const char* key : keys) filter.AddBuilder(key, Make<Builder>());
}

VARIANT IndexVariant(long index) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = static_cast<LONG>(index);
  return v;
}

// Appends the identity of every item of a collection, in index order.
template <class Item, class Collection>
void ListItems(Collection* collection, CModelNode::KeyList& children) {
  Require(collection);
  LONG count = 0;
  ThrowIfFailed(collection->get_Count(&count), IidOf<Collection>());
  children.reserve(children.size() + static_cast<std::size_t>(count > 0 ? count : 0));
  for (LONG i = 0; i < count; ++i) {
    ComPtr<Item> item;
    ThrowIfFailed(collection->get_Item(IndexVariant(i), item.Put()), IidOf<Collection>());
    Require(item);
    // The data keeps its objects alive for the life of the file, so the key
    // stays valid while the tree creates its node.
    children.push_back(IdentityOf(item.Get()).Get());
  }
}

}  // namespace

CSymbolicModelBuilder::CSymbolicModelBuilder()
    : m_symbols(new CSkeldaSymbolFilter()), m_scheme(kelto::solid::MakeDefaultColourScheme()) {
  using Library = CCSSGBLibrary;
  m_library.AddFilter("Default",
                      Library::IFFilter::Ptr(new Library::DefaultFilter(Make<CDefaultCSSGB>())));

  // The keyed filters are filled through their own type and handed over as
  // plain filters; the library's pointer owns them from the start.
  auto* group = new Library::GroupFilter();
  const Library::IFFilter::Ptr groupFilter(group);
  AddKeys<CValveCSSGB>(*group, {"Valves"});
  AddKeys<CWeldCSSGB>(*group, {"Welds"});
  AddKeys<CInlineInstrCSSGB>(*group, {"Instruments"});
  AddKeys<CInlineFitOrMiscCSSGB>(*group, {"Fittings", "Miscellaneous"});
  AddKeys<CSupportCSSGB>(*group, {"Supports"});
  m_library.AddFilter("Group", groupFilter);

  auto* type = new Library::ComponentTypeFilter();
  const Library::IFFilter::Ptr typeFilter(type);
  AddKeys<CValveCSSGB>(
      *type, {"Control-Valve", "Control-Valve-Angle", "Control-Valve-3Way", "Control-Valve-4Way"});
  AddKeys<CEccentricReducerCSSGB>(*type, {"Eccentric-Reducer", "Teed-Eccentric-Reducer"});
  AddKeys<CConcentricReducerCSSGB>(*type, {"Concentric-Reducer", "Teed-Concentric-Reducer"});
  AddKeys<CDefaultCSSGB>(*type, {"Set-On-Tee", "Set-On-Cross"});
  m_library.AddFilter("Component Type", typeFilter);

  // The symbol library is this builder's symbols field and the library's
  // last filter at once (one object, one count), so files added here are
  // consulted first.
  m_library.AddFilter("Skelda Symbols", m_symbols);

  m_pipelineMarkers = false;
  m_options.AddOption("PipelineMarkers", &m_pipelineMarkers);
  m_markerColour = 0xFFFFFF;
  m_options.AddOption("MarkerColour", &m_markerColour);
}

IFModelBuilder::NodePtr CSymbolicModelBuilder::BuildModel(IKeltoFile* file) {
  Require(file);
  NodePtr root(new CModelNode(IdentityOf(file).Get()));
  root->Synchronize(*this);
  return root;
}

void CSymbolicModelBuilder::SyncBelow(CModelNode& model, IUnknown* item) {
  const ComPtr<IUnknown> key = IdentityOf(item);
  if (!key) return;
  // The model's own object counts too, as for the solid builder: refreshing
  // "below the file" from the root must not silently do nothing.
  if (model.GetKey() == key.Get()) {
    model.Synchronize(*this);
    return;
  }
  if (const NodePtr node = model.SearchSubtree(key.Get())) node->Synchronize(*this);
}

void CSymbolicModelBuilder::SyncModel(CModelNode& model) { model.Synchronize(*this); }

void CSymbolicModelBuilder::SetExternalDimensionConfig(const std::string& configXml,
                                                       std::string& errors) {
  m_dimensions.SetConfig(configXml, errors);
}

void CSymbolicModelBuilder::AddSkeldaSymbols(const std::string& fileName) {
  m_symbols->AddFile(fileName);
}

void CSymbolicModelBuilder::RemoveSkeldaSymbols(const std::string& fileName) {
  m_symbols->RemoveFile(fileName);
}

void CSymbolicModelBuilder::SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) {
  IUnknown* object = node->GetObject();
  if (!object) {
    upToDate = true;
    return;
  }
  ComPtr<IKeltoComponent> component;
  if (SUCCEEDED(object->QueryInterface(IidOf<IKeltoComponent>(), component.PutVoid())) &&
      component) {
    BuildComponent(component.Get(), geometry);
    return;
  }
  ComPtr<IKeltoPipeline> pipeline;
  if (SUCCEEDED(object->QueryInterface(IidOf<IKeltoPipeline>(), pipeline.PutVoid())) && pipeline) {
    if (m_pipelineMarkers) DrawMarker(pipeline.Get(), geometry);
    return;
  }
  upToDate = true;
}

void CSymbolicModelBuilder::DrawMarker(IKeltoPipeline* pipeline, CGeometrySet& geometry) {
  try {
    kelto::symbolic::DrawSymbolicPipelineMarker(pipeline, geometry,
                                                static_cast<std::int32_t>(m_markerColour));
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // The marker is decoration; a pipeline whose routes cannot be read
    // simply has none.
    geometry.Clear();
  }
}

void CSymbolicModelBuilder::BuildComponent(IKeltoComponent* component, CGeometrySet& geometry) {
  bool drawn = false;
  std::string error;
  // Tags cached from the previous component may belong to data that has
  // since been reloaded.
  m_dimensions.ClearCache();
  try {
    const ComPtr<IKeltoPipeline> pipeline = PipelineOf(component);
    Require(pipeline);
    const ComPtr<IKeltoFile> file = FileOf(pipeline.Get());
    Require(file);
    CComponentInfo info(file.Get(), pipeline.Get(), component, &m_dimensions);
    const std::int32_t colour = m_scheme ? m_scheme->GetColour(component) : 0xFFFFFF;
    CSymbolicGraphicsBuilder gb(&geometry, colour);
    drawn = m_library.Build(info, gb);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    // A builder may have drawn part of the component before failing; a half
    // symbol would read as a different component, so the node stays empty.
    geometry.Clear();
    error = e.what();
    if (error.empty()) error = "Unknown error.";
  } catch (...) {
    // The library's own exceptions (a symbol whose space is degenerate)
    // carry no message.
    geometry.Clear();
    error = "The component could not be drawn.";
  }
  if (m_observer) m_observer->OnComponentBuilt(component, drawn, error);
}

void CSymbolicModelBuilder::SyncChildren(CModelNode::KeyList& children, CModelNode* node,
                                         bool& upToDate) {
  IUnknown* object = node->GetObject();
  if (!object) {
    upToDate = true;
    return;
  }
  ComPtr<IKeltoFile> file;
  if (SUCCEEDED(object->QueryInterface(IidOf<IKeltoFile>(), file.PutVoid())) && file) {
    ComPtr<IKeltoPipelines> pipelines;
    ThrowIfFailed(file->get_Pipelines(pipelines.Put()), IidOf<IKeltoFile>());
    ListItems<IKeltoPipeline>(pipelines.Get(), children);
    return;
  }
  ComPtr<IKeltoPipeline> pipeline;
  if (SUCCEEDED(object->QueryInterface(IidOf<IKeltoPipeline>(), pipeline.PutVoid())) && pipeline) {
    ComPtr<IKeltoComponents> components;
    ThrowIfFailed(pipeline->get_Components(components.Put()), IidOf<IKeltoPipeline>());
    ListItems<IKeltoComponent>(components.Get(), children);
    return;
  }
  upToDate = true;
}
