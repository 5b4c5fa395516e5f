#include "SolidTestSupport.h"

#include <fstream>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "solid/PipingAccess.h"
#include "support/TempDir.h"

namespace solid_test {

Comp::Comp(const std::string& id_, const std::string& type, const std::string& group) : id(id_) {
  json = {{"id", id}, {"type", type}, {"group", group}, {"points", Json::object()}};
}

Comp& Comp::Point(const std::string& name, CPoint3 at, double bore, const std::string& endType,
                  bool internal, long units) {
  Json point = {{"position", {at.x, at.y, at.z}}, {"bore", bore}, {"boreUnits", units}};
  if (!endType.empty()) point["endType"] = endType;
  if (internal) point["internal"] = true;
  json["points"][name] = point;
  return *this;
}

Comp& Comp::Leg(const std::string& from, const std::string& to, std::optional<CVector3> direction) {
  Json leg = {{"from", from}, {"to", to}};
  if (direction) leg["direction"] = {direction->x, direction->y, direction->z};
  json["legs"].push_back(leg);
  return *this;
}

Comp& Comp::Attribute(const std::string& name, const std::string& value) {
  json["attributes"][name] = value;
  return *this;
}

Comp& Comp::Attach(const std::string& other) {
  json["attachments"].push_back(other);
  return *this;
}

Comp& Comp::Shape(const std::string& code) {
  json["shapeCode"] = code;
  return *this;
}

static std::string PlantText(const Plant& plant) {
  Json file = {{"format", "kelto-piping"}, {"version", 1}, {"pipelines", Json::array()}};
  for (const auto& [name, components] : plant) {
    Json pipeline = {{"id", name}, {"components", Json::array()}};
    for (const Comp& c : components) pipeline["components"].push_back(c.json);
    file["pipelines"].push_back(pipeline);
  }
  return file.dump(1);
}

ComPtr<IKeltoFile> LoadFile(const std::filesystem::path& path, IKeltoFile* into) {
  ComPtr<IKeltoFile> file(into);
  if (!file)
    kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr,
                                               CLSCTX_INPROC_SERVER,
                                               kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.string()).GetBSTR()));
  return file;
}

ComPtr<IKeltoFile> Load(const Plant& plant, IKeltoFile* into) {
  kelto::test::TempDir dir;
  std::ofstream(dir.path() / "plant.json", std::ios::binary) << PlantText(plant);
  return LoadFile(dir.path() / "plant.json", into);
}

namespace {

// Every item of a piping collection, in order.
template <class Item, class Collection>
std::vector<ComPtr<Item>> Items(Collection* collection) {
  LONG count = 0;
  kelto::com::ThrowIfFailed(collection->get_Count(&count));
  std::vector<ComPtr<Item>> items(static_cast<std::size_t>(count));
  for (LONG i = 0; i < count; ++i)
    kelto::com::ThrowIfFailed(collection->get_Item(_variant_t(i), items[i].Put()));
  return items;
}

std::vector<ComPtr<IKeltoPipeline>> PipelinesOf(IKeltoFile* file) {
  ComPtr<IKeltoPipelines> pipelines;
  kelto::com::ThrowIfFailed(file->get_Pipelines(pipelines.Put()));
  return Items<IKeltoPipeline>(pipelines.Get());
}

// A name or id read through get(BSTR*).
template <class Object>
std::string Text(Object* object, HRESULT (Object::*get)(BSTR*)) {
  BSTR b = nullptr;
  kelto::com::ThrowIfFailed((object->*get)(&b));
  const std::string s = kelto::com::BstrToUtf8(b);
  SysFreeString(b);
  return s;
}

}  // namespace

std::vector<ComPtr<IKeltoComponent>> ComponentsOf(IKeltoPipeline* pipeline) {
  ComPtr<IKeltoComponents> components;
  kelto::com::ThrowIfFailed(pipeline->get_Components(components.Put()));
  return Items<IKeltoComponent>(components.Get());
}

ComPtr<IKeltoPipeline> PipelineOf(IKeltoFile* file, const std::string& name) {
  for (const auto& p : PipelinesOf(file))
    if (Text(p.Get(), &IKeltoPipeline::get_Name) == name) return p;
  ADD_FAILURE() << "no pipeline " << name;
  return nullptr;
}

ComPtr<IKeltoComponent> ComponentOf(IKeltoFile* file, const std::string& id) {
  for (const auto& p : PipelinesOf(file))
    for (const auto& c : ComponentsOf(p.Get()))
      if (Text(c.Get(), &IKeltoComponent::get_Id) == id) return c;
  ADD_FAILURE() << "no component " << id;
  return nullptr;
}

ComPtr<IKeltoPoint> Loaded::Point(const char16_t* name) const {
  return kelto::solid::FindPoint(component.Get(), name);
}

Loaded LoadOne(const Comp& c, const std::vector<Comp>& others) {
  std::vector<Comp> all = others;
  all.push_back(c);
  Loaded loaded;
  loaded.file = Load(all);
  loaded.pipeline = PipelineOf(loaded.file.Get(), "L1");
  loaded.component = ComponentOf(loaded.file.Get(), c.id);
  return loaded;
}

Lines SolidTest::Draw(CKelto3ComponentGeometryBuilder::ConstructionFunction function, const Comp& c,
                      bool expected, const std::vector<Comp>& others) {
  const Loaded l = LoadOne(c, others);
  CComponentInfo info(l.file.Get(), l.pipeline.Get(), l.component.Get(), &dims);
  CGeometrySet geometry;
  EXPECT_EQ(function(builder, info, geometry), expected);
  return Describe(geometry);
}

Lines SolidTest::Build(const Comp& c, CBuildOutcome* outcome, const std::vector<Comp>& others) {
  const Loaded l = LoadOne(c, others);
  CComponentInfo info(l.file.Get(), l.pipeline.Get(), l.component.Get(), &dims);
  CGeometrySet geometry;
  const CBuildOutcome result = builder.Build(info, geometry);
  if (outcome) *outcome = result;
  return Describe(geometry);
}

}  // namespace solid_test
