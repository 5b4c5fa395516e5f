#include "solid/PipingModelBuilder.h"

#include <exception>
#include <new>

#include "solid/PipingAccess.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;
using kelto::solid::IdentityOf;
using kelto::solid::IndexVariant;
using kelto::solid::Require;

namespace {

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

CPipingModelBuilder::CPipingModelBuilder() {
  m_options.AddOption("PipelineMarkers", &m_pipelineMarkers);
  m_options.AddOption("MarkerColour", &m_markerColour);
}

IFModelBuilder::NodePtr CPipingModelBuilder::BuildModel(IKeltoFile* file) {
  Require(file);
  NodePtr root(new CModelNode(IdentityOf(file).Get()));
  root->Synchronize(*this);
  return root;
}

void CPipingModelBuilder::SyncBelow(CModelNode& model, IUnknown* item) {
  const ComPtr<IUnknown> key = IdentityOf(item);
  if (!key) return;
  // The model's own object counts too: refreshing "below the file" from the
  // root is the natural request, and searching only the children would
  // silently do nothing for it.
  if (model.GetKey() == key.Get()) {
    model.Synchronize(*this);
    return;
  }
  if (const NodePtr node = model.SearchSubtree(key.Get())) node->Synchronize(*this);
}

void CPipingModelBuilder::SyncModel(CModelNode& model) { model.Synchronize(*this); }

void CPipingModelBuilder::SetExternalDimensionConfig(const std::string& configXml,
                                                     std::string& errors) {
  m_dimensions.SetConfig(configXml, errors);
}

void CPipingModelBuilder::SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) {
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
    if (!m_pipelineMarkers) return;
    try {
      DrawPipelineMarker(pipeline.Get(), geometry, static_cast<std::int32_t>(m_markerColour));
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception&) {
      // The marker is decoration; a pipeline whose routes cannot be read
      // simply has none.
      geometry.Clear();
    }
    return;
  }
  upToDate = true;
}

void CPipingModelBuilder::SyncChildren(CModelNode::KeyList& children, CModelNode* node,
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
