#include "ViewCtrlFixture.h"

#include <sstream>

namespace kelto::test {

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                          UINT*) {
  std::ostringstream line;
  const VARIANT* a = p->rgvarg;  // last argument first
  switch (id) {
    case kelto3d::kDispidEventSelectionChanged:
      line << "SelectionChanged(" << Name(a[1]) << "," << Name(a[0]) << ")";
      break;
    case kelto3d::kDispidEventViewChanged:
      line << "ViewChanged";
      break;
    default:
      line << "Unknown(" << id << ")";
  }
  m_log.push_back(line.str());
  return S_OK;
}

std::string EventSink::Name(const VARIANT& v) const {
  if (v.vt != VT_DISPATCH || !v.pdispVal) return "-";
  const ComPtr<IUnknown> identity = kelto::com::Identity(v.pdispVal);
  const auto it = m_names.find(identity.Get());
  return it == m_names.end() ? "?" : it->second;
}

void ViewCtrlTest::SetUp() {
  control = Create<kelto3d::IPipeline3DViewCtrl>(kelto3d::kClsidPipeline3DViewCtrl);
  ASSERT_TRUE(control);
}

void ViewCtrlTest::TearDown() { control = nullptr; }

void ViewCtrlTest::Connect() {
  ComPtr<IConnectionPointContainer> container;
  control->QueryInterface(kelto::com::IidOf<IConnectionPointContainer>(), container.PutVoid());
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(
                kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(), point.Put()),
            S_OK);
  const auto sink = kelto::com::MakeObject<EventSink>(events, names);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
}

std::vector<std::string> ViewCtrlTest::TakeEvents() {
  std::vector<std::string> taken;
  taken.swap(events);
  return taken;
}

ComPtr<IDispatch> ViewCtrlTest::LoadExample(const char* name) {
  const auto file = Create(kelto::clsid::KeltoFile);
  const std::string path = (std::filesystem::path(KELTO_SOURCE_DIR) / "examples" / name).string();
  EXPECT_TRUE(Call(file.Get(), u"Load", {_variant_t(path.c_str())}).ok());
  return file;
}

ComPtr<IDispatch> ViewCtrlTest::NewNode(const std::string& name) {
  const auto node = Create(kelto3d::kClsidModelNode);
  // Any object serves as a node's key; a PipeItems is the cheapest to make.
  const auto object = Create(kelto3d::kClsidPipeItems);
  names[kelto::com::Identity(object.Get()).Get()] = name;
  objects[name] = object;
  EXPECT_TRUE(PutRef(node.Get(), u"Object", {_variant_t(object.Get())}).ok());
  return node;
}

void ViewCtrlTest::AddPipe(IDispatch* node, double y) {
  const ScriptResult geometry = Get(node, u"Geometry");
  EXPECT_TRUE(Call(ObjectOf(geometry), u"Add3DCone",
                   {_variant_t(0.0), _variant_t(y), _variant_t(0.0), _variant_t(2.0),
                    _variant_t(10.0), _variant_t(y), _variant_t(0.0), _variant_t(2.0),
                    _variant_t(0x808080)})
                  .ok());
}

void ViewCtrlTest::AddThreePipes() {
  const auto file = NewNode("file");
  const auto north = NewNode("north");
  const auto middle = NewNode("middle");
  const auto line = NewNode("line");
  const auto valve = NewNode("valve");
  AddPipe(north.Get(), 6);
  AddPipe(middle.Get(), 0);
  AddPipe(valve.Get(), -6);
  for (IDispatch* child : {north.Get(), middle.Get(), line.Get()})
    ASSERT_TRUE(Call(file.Get(), u"AddChild", {_variant_t(child)}).ok());
  ASSERT_TRUE(Call(line.Get(), u"AddChild", {_variant_t(valve.Get())}).ok());
  ASSERT_TRUE(Call(Script(), u"AddModel", {_variant_t(file.Get())}).ok());
}

IDispatch* ViewCtrlTest::Object(const std::string& name) const {
  const auto it = objects.find(name);
  return it == objects.end() ? nullptr : it->second.Get();
}

std::vector<std::string> ViewCtrlTest::SelectedNames() {
  ComPtr<kelto3d::IPipeItems> items;
  EXPECT_EQ(control->get_SelectedItems(items.Put()), S_OK);
  LONG count = 0;
  items->get_Count(&count);
  std::vector<std::string> result;
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IDispatch> item;
    items->get_Item(i, item.Put());
    const auto it = names.find(kelto::com::Identity(item.Get()).Get());
    result.push_back(it == names.end() ? "?" : it->second);
  }
  return result;
}

}  // namespace kelto::test
