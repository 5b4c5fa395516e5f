// The Options object: IOptions through IDispatch, the three persistence
// protocols over a registry, and the dirty and pending-contents rules.
#include "options/ComOptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "OptionsFixtures.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/PropertyBag.h"
#include "support/ScriptHost.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::NoticeRecorder;
using kelto::test::Put;
using kelto::test::RendererOptions;

namespace {

template <class I>
ComPtr<I> As(IUnknown* object) {
  ComPtr<I> r;
  EXPECT_EQ(object->QueryInterface(IidOf<I>(), r.PutVoid()), S_OK);
  return r;
}

ComPtr<IDispatch> Face(COptions& registry) {
  return ComPtr<IDispatch>(
      static_cast<kelto3d::IOptions*>(CComOptions::ForRegistry(registry).Get()));
}

ComPtr<IDispatch> HostOptions() {
  ComPtr<IDispatch> options;
  kelto::com::CreateInstanceOf<CComOptions>(IidOf<IDispatch>(), options.PutVoid());
  return options;
}

std::vector<std::uint8_t> StreamBytes(IStream* stream) {
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return bytes;
}

void Rewind(IStream* stream) {
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

ComPtr<IStream> NewStream() {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
  return stream;
}

struct EdgesOnly {
  EdgesOnly() { options.AddOption("Edges", &edges); }
  int edges = 16;
  COptions options;
};

}  // namespace

TEST(ComOptions, ItemReadsAndWritesOptionsByName) {
  RendererOptions renderer;
  NoticeRecorder notices(renderer.options);
  auto options = Face(renderer.options);

  auto edges = Get(options.Get(), u"Item", {_variant_t("Edges")});
  ASSERT_TRUE(edges.ok());
  EXPECT_EQ(edges.value.vt, VT_I4);
  EXPECT_EQ(edges.value.lVal, 16);
  auto top = Get(options.Get(), u"Item", {_variant_t("AxesTop")});
  EXPECT_EQ(top.value.vt, VT_BOOL);
  EXPECT_EQ(top.value.boolVal, VARIANT_TRUE);

  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t("24")}).ok());
  EXPECT_EQ(renderer.Long("Edges"), 24);
  // A value that does not convert changes nothing but is still announced.
  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t("abc")}).ok());
  EXPECT_EQ(renderer.Long("Edges"), 24);
  EXPECT_EQ(notices.notices.size(), 2u);

  auto unknown = Get(options.Get(), u"Item", {_variant_t("edges")});  // names are case-sensitive
  EXPECT_EQ(unknown.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(unknown.scode, DISP_E_BADINDEX);
}

TEST(ComOptions, ContentsRoundTripChangesNothingAndAnnouncesEveryNameOnce) {
  RendererOptions renderer;
  auto options = Face(renderer.options);
  auto contents = Call(options.Get(), u"TestGetContents");
  ASSERT_TRUE(contents.ok());
  ASSERT_EQ(contents.value.vt, VT_ARRAY | VT_VARIANT);
  LONG upper = -1;
  SafeArrayGetUBound(contents.value.parray, 1, &upper);
  EXPECT_EQ(upper, 27);

  NoticeRecorder notices(renderer.options);
  ASSERT_TRUE(Call(options.Get(), u"TestSetContents", {contents.value}).ok());
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0], std::set<std::string>(kelto::test::kRendererNamesSorted.begin(),
                                                      kelto::test::kRendererNamesSorted.end()));
  EXPECT_EQ(renderer.Long("Edges"), 16);
  EXPECT_EQ(renderer.Long("AxesSize"), 50);
  EXPECT_TRUE(renderer.Bool("ViewLimits"));

  auto bad = Call(options.Get(), u"TestSetContents", {_variant_t(3)});
  EXPECT_EQ(bad.scode, E_INVALIDARG);
}

TEST(ComOptions, APropertyBagHoldsTheRenderersOptionsInNameOrder) {
  RendererOptions renderer;
  auto options = Face(renderer.options);
  auto bag = kelto::com::MakePropertyBag();
  // The clear-dirty argument does not matter to a bag save.
  ASSERT_EQ(As<IPersistPropertyBag>(options.Get())->Save(bag.Get(), FALSE, TRUE), S_OK);

  std::vector<std::u16string> expected = {u"Length"};
  for (std::size_t i = 0; i < kelto::test::kRendererNamesSorted.size(); ++i) {
    const std::u16string index = kelto::com::Utf8ToUtf16(std::to_string(i));
    expected.push_back(index + u".Name");
    expected.push_back(index + u".Value");
  }
  EXPECT_EQ(bag->Names(), expected);
  EXPECT_EQ(bag->Find(u"Length")->lVal, 14);
  EXPECT_EQ(kelto::com::BstrToUtf8(bag->Find(u"0.Name")->bstrVal), "AxesRight");
  EXPECT_EQ(kelto::com::BstrToUtf8(bag->Find(u"13.Name")->bstrVal), "ViewLimits");
  EXPECT_EQ(As<IPersistStreamInit>(options.Get())->IsDirty(), S_FALSE);

  // Loading into another renderer's registry applies every value.
  RendererOptions other;
  other.options.Set("Edges", _variant_t(3));
  other.options.Set("AxesTop", _variant_t(false));
  other.options.SetModified(true);
  auto otherOptions = Face(other.options);
  EXPECT_EQ(As<IPersistStreamInit>(otherOptions.Get())->IsDirty(), S_OK);
  ASSERT_EQ(As<IPersistPropertyBag>(otherOptions.Get())->Load(bag.Get(), nullptr), S_OK);
  EXPECT_EQ(other.Long("Edges"), 16);
  EXPECT_TRUE(other.Bool("AxesTop"));
  EXPECT_FALSE(other.options.IsModified());
  EXPECT_EQ(As<IPersistStreamInit>(otherOptions.Get())->IsDirty(), S_FALSE);
}

TEST(ComOptions, ABagWithoutSomeAnnouncedPairsLoadsTheOthers) {
  EdgesOnly target;
  auto bag = kelto::com::MakePropertyBag();
  _variant_t length(3);
  bag->Write(u"Length", &length);
  _variant_t name("Edges");
  _variant_t value(40);
  bag->Write(u"0.Name", &name);  // pair 0 lacks its value
  bag->Write(u"2.Name", &name);
  bag->Write(u"2.Value", &value);
  ASSERT_EQ(As<IPersistPropertyBag>(Face(target.options).Get())->Load(bag.Get(), nullptr), S_OK);
  EXPECT_EQ(target.edges, 40);
}

TEST(ComOptions, TheStreamOfOneOptionIsByteExact) {
  EdgesOnly source;
  auto options = Face(source.options);
  auto stream = NewStream();
  ASSERT_EQ(As<IPersistStreamInit>(options.Get())->Save(stream.Get(), TRUE), S_OK);
  const std::vector<std::uint8_t> expected = {0x0C, 0x20, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
                                              0x00, 0x00, 0x00, 0x08, 0x00, 0x0A, 0x00, 0x00, 0x00,
                                              0x45, 0x00, 0x64, 0x00, 0x67, 0x00, 0x65, 0x00, 0x73,
                                              0x00, 0x03, 0x00, 0x10, 0x00, 0x00, 0x00};
  EXPECT_EQ(StreamBytes(stream.Get()), expected);
  ULARGE_INTEGER size{};
  ASSERT_EQ(As<IPersistStreamInit>(options.Get())->GetSizeMax(&size), S_OK);
  EXPECT_EQ(size.QuadPart, expected.size());

  EdgesOnly target;
  target.edges = 5;
  ASSERT_EQ(As<IPersistStreamInit>(Face(target.options).Get())->Load(stream.Get()), S_OK);
  EXPECT_EQ(target.edges, 16);
}

TEST(ComOptions, AStorageKeepsTheContentsStream) {
  EdgesOnly source;
  source.edges = 33;
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateMemoryStorage(storage.Put()), S_OK);
  ASSERT_EQ(As<IPersistStorage>(Face(source.options).Get())->Save(storage.Get(), TRUE), S_OK);
  ComPtr<IStream> contents;
  EXPECT_EQ(storage->OpenStream(u"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                contents.Put()),
            S_OK);
  EdgesOnly target;
  ASSERT_EQ(As<IPersistStorage>(Face(target.options).Get())->Load(storage.Get()), S_OK);
  EXPECT_EQ(target.edges, 33);
}

TEST(ComOptions, AHostCreatedObjectHasAnEmptyRegistry) {
  RendererOptions renderer;
  auto saved = NewStream();
  ASSERT_EQ(As<IPersistStreamInit>(Face(renderer.options).Get())->Save(saved.Get(), TRUE), S_OK);

  auto options = HostOptions();
  auto persist = As<IPersistStreamInit>(options.Get());
  Rewind(saved.Get());
  ASSERT_EQ(persist->Load(saved.Get()), S_OK);  // nothing there to apply it to
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  auto contents = Call(options.Get(), u"TestGetContents");
  ASSERT_TRUE(contents.ok());
  LONG upper = 0;
  SafeArrayGetUBound(contents.value.parray, 1, &upper);
  EXPECT_EQ(upper, -1);
  EXPECT_EQ(Get(options.Get(), u"Item", {_variant_t("Edges")}).scode, DISP_E_BADINDEX);
  CLSID clsid{};
  ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, kelto3d::kClsidOptions);
}

TEST(ComOptions, DirtyFollowsChangesLoadsAndSaves) {
  EdgesOnly registry;
  auto options = Face(registry.options);
  auto persist = As<IPersistStreamInit>(options.Get());
  EXPECT_EQ(persist->IsDirty(), S_FALSE);  // the registry was not modified

  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t(20)}).ok());
  EXPECT_EQ(persist->IsDirty(), S_OK);
  auto copy = NewStream();
  ASSERT_EQ(persist->Save(copy.Get(), FALSE), S_OK);  // a copy: still dirty
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ASSERT_EQ(persist->Save(NewStream().Get(), TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  EXPECT_FALSE(registry.options.IsModified());

  // The owner's own changes count too.
  registry.edges = 30;
  registry.options.NotifyChanged({"Edges"});
  EXPECT_EQ(persist->IsDirty(), S_OK);
  Rewind(copy.Get());
  ASSERT_EQ(persist->Load(copy.Get()), S_OK);
  EXPECT_EQ(registry.edges, 20);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  EXPECT_EQ(As<IPersistStorage>(options.Get())->IsDirty(), S_FALSE);
}

TEST(ComOptions, ContentsLoadedBeforeTheRegistryWaitForIt) {
  EdgesOnly source;
  source.edges = 64;
  auto saved = NewStream();
  ASSERT_EQ(As<IPersistStreamInit>(Face(source.options).Get())->Save(saved.Get(), TRUE), S_OK);

  // A component that hands the object out before its registry exists.
  auto object = kelto::com::MakeObject<CComOptions>();
  object->SetCreateOnDemand(false);
  auto options = ComPtr<IDispatch>(static_cast<kelto3d::IOptions*>(object.Get()));
  Rewind(saved.Get());
  ASSERT_EQ(object->Load(saved.Get()), S_OK);
  EXPECT_TRUE(object->HasPendingContents());
  EXPECT_EQ(Get(options.Get(), u"Item", {_variant_t("Edges")}).scode, E_UNEXPECTED);
  // Saving meanwhile keeps what was loaded.
  auto resaved = NewStream();
  ASSERT_EQ(object->Save(resaved.Get(), TRUE), S_OK);
  EXPECT_EQ(StreamBytes(resaved.Get()), StreamBytes(saved.Get()));

  EdgesOnly late;
  late.options.SetModified(true);
  object->Attach(&late.options);
  EXPECT_FALSE(object->HasPendingContents());
  EXPECT_EQ(late.edges, 64);
  EXPECT_FALSE(late.options.IsModified());
  EXPECT_EQ(object->IsDirty(), S_FALSE);
  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t(1)}).ok());
  EXPECT_EQ(object->IsDirty(), S_OK);
}

TEST(ComOptions, LoadingSomethingOtherThanContentsFails) {
  auto stream = NewStream();
  const std::uint8_t i4[] = {0x03, 0x00, 0x10, 0x00, 0x00, 0x00};
  stream->Write(i4, sizeof i4, nullptr);
  Rewind(stream.Get());
  EdgesOnly registry;
  auto object = CComOptions::ForRegistry(registry.options);
  EXPECT_EQ(object->Load(stream.Get()), E_INVALIDARG);
  EXPECT_FALSE(object->HasPendingContents());
  EXPECT_EQ(registry.edges, 16);
  // A truncated stream fails as the stream does.
  auto empty = NewStream();
  EXPECT_TRUE(FAILED(object->Load(empty.Get())));
}

TEST(ComOptions, AComponentHasOneOptionsObjectAndOutlivesIt) {
  ComPtr<IDispatch> kept;
  {
    EdgesOnly registry;
    kept = Face(registry.options);
    EXPECT_EQ(Face(registry.options), kept);
    ComPtr<IConnectionPointContainer> container = As<IConnectionPointContainer>(kept.Get());
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IidOf<kelto3d::_IOptionsEvents>(), point.Put()), S_OK);
  }
  // The component went first: the object carries on with an empty registry
  // of its own.
  auto contents = Call(kept.Get(), u"TestGetContents");
  ASSERT_TRUE(contents.ok());
  LONG upper = 0;
  SafeArrayGetUBound(contents.value.parray, 1, &upper);
  EXPECT_EQ(upper, -1);
}
