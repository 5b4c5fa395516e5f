#include "solid/ModelDump.h"

#include <ostream>
#include <set>

#include "core/NumberText.h"
#include "core/PrintableText.h"
#include "platform/com/Strings.h"
#include "solid/PipingAccess.h"
#include "solid/PrimitiveText.h"

namespace kelto::solid {

namespace {

template <class Item, class Collection>
void AppendKeys(Collection* collection, std::vector<IUnknown*>& keys) {
  if (!collection) return;
  LONG count = 0;
  if (FAILED(collection->get_Count(&count))) return;
  for (LONG i = 0; i < count; ++i) {
    ComPtr<Item> item;
    if (FAILED(collection->get_Item(IndexVariant(i), item.Put())) || !item) continue;
    keys.push_back(IdentityOf(item.Get()).Get());
  }
}

// The node's children in the order of the piping data, then any others in
// key order (the data may have changed since the model was built).
std::vector<const CModelNode*> OrderedChildren(const CModelNode& node) {
  std::vector<IUnknown*> keys;
  if (IUnknown* object = node.GetObject()) {
    ComPtr<IKeltoFile> file;
    ComPtr<IKeltoPipeline> pipeline;
    if (SUCCEEDED(object->QueryInterface(kelto::com::IidOf<IKeltoFile>(), file.PutVoid())) &&
        file) {
      ComPtr<IKeltoPipelines> pipelines;
      if (SUCCEEDED(file->get_Pipelines(pipelines.Put())))
        AppendKeys<IKeltoPipeline>(pipelines.Get(), keys);
    } else if (SUCCEEDED(object->QueryInterface(kelto::com::IidOf<IKeltoPipeline>(),
                                                pipeline.PutVoid())) &&
               pipeline) {
      ComPtr<IKeltoComponents> components;
      if (SUCCEEDED(pipeline->get_Components(components.Put())))
        AppendKeys<IKeltoComponent>(components.Get(), keys);
    }
  }
  std::vector<const CModelNode*> ordered;
  std::set<const CModelNode*> seen;
  const auto& children = node.GetChildren();
  for (IUnknown* key : keys) {
    const auto found = children.find(key);
    if (found != children.end() && seen.insert(found->second.get()).second)
      ordered.push_back(found->second.get());
  }
  for (const auto& [key, child] : children)
    if (seen.insert(child.get()).second) ordered.push_back(child.get());
  return ordered;
}

std::string Text(BSTR text) { return kelto::com::BstrToUtf8(text); }

}  // namespace

std::string NodeLabel(IUnknown* object) {
  try {
    if (!object) return "object";
    ComPtr<IKeltoComponent> component;
    if (SUCCEEDED(
            object->QueryInterface(kelto::com::IidOf<IKeltoComponent>(), component.PutVoid())) &&
        component) {
      std::string type;
      if (const ComPtr<IKeltoItem> details = DetailsOf(component.Get()))
        type = Text(TypeNameOf(details.Get()).GetBSTR());
      return "component " + PrintableText(IdOf(component.Get())) + " " + PrintableText(type);
    }
    ComPtr<IKeltoPipeline> pipeline;
    if (SUCCEEDED(
            object->QueryInterface(kelto::com::IidOf<IKeltoPipeline>(), pipeline.PutVoid())) &&
        pipeline)
      return "pipeline " + PrintableText(NameOf(pipeline.Get()));
    ComPtr<IKeltoFile> file;
    if (SUCCEEDED(object->QueryInterface(kelto::com::IidOf<IKeltoFile>(), file.PutVoid())) &&
        file) {
      BSTR path = nullptr;
      if (FAILED(file->get_Path(&path))) return "file";
      return "file " + PrintableText(Text(_bstr_t(path, false).GetBSTR()));
    }
  } catch (...) {
  }
  return "object";
}

void WriteModelDump(std::ostream& out, const CModelNode& node, const DumpOptions& options,
                    int indent) {
  const std::string pad(static_cast<std::size_t>(indent) * 2, ' ');
  out << pad << NodeLabel(node.GetObject()) << '\n';
  if (options.detail) {
    for (const CPrimitive& primitive : node.GetGeometry())
      out << pad << "  " << DescribePrimitive(primitive) << '\n';
  } else {
    node.GetGeometry().DumpTo(out, indent + 1);
  }
  for (const CModelNode* child : OrderedChildren(node))
    WriteModelDump(out, *child, options, indent + 1);
  const CBoundBox& box = node.GetBoundBox();
  out << pad << "  BoundBox : ";
  WriteTriple(out, box.GetMin());
  out << " - ";
  WriteTriple(out, box.GetMax());
  out << " Radius = ";
  WriteNumber(out, box.GetRadius());
  out << '\n' << pad << "  Minimum Contained BoundBox radius : ";
  WriteNumber(out, node.GetMinContainedRadius());
  out << '\n';
}

}  // namespace kelto::solid
