// The Options object: IOptions through IDispatch, the three persistence
// protocols over a registry, and the dirty and pending-contents rules.
#include "options/ComOptions.h"

#include <gtest/gtest.h>

#include "OptionsFixtures.h"
#include "options/VariantStream.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Stream.h"
#include "support/ScriptHost.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::MakeMemoryStream;
using kelto::com::MemoryStreamBytes;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::NoticeRecorder;
using kelto::test::Put;
using kelto::test::RendererOptions;
using Bytes = std::vector<BYTE>;

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

// What IPersistStreamInit::Save writes.
Bytes Saved(IUnknown* object, BOOL clearDirty = TRUE) {
  auto stream = MakeMemoryStream();
  EXPECT_EQ(As<IPersistStreamInit>(object)->Save(stream.Get(), clearDirty), S_OK);
  return MemoryStreamBytes(stream.Get());
}

// The upper bound of TestGetContents' array (-1 when empty).
LONG ContentsUpperBound(IDispatch* options) {
  auto contents = Call(options, u"TestGetContents");
  EXPECT_TRUE(contents.ok());
  EXPECT_EQ(contents.value.vt, VT_ARRAY | VT_VARIANT);
  LONG upper = -2;
  SafeArrayGetUBound(contents.value.parray, 1, &upper);
  return upper;
}

struct EdgesOnly {
  EdgesOnly() { options.AddOption("Edges", &edges); }
  int edges = 16;
  COptions options;
};

}  // namespace

TEST(ComOptions, ItemAndContentsReachTheRegistry) {
  RendererOptions renderer;
  NoticeRecorder notices(renderer.options);
  auto options = Face(renderer.options);

  auto edges = Get(options.Get(), u"Item", {_variant_t("Edges")});
  ASSERT_TRUE(edges.ok());
  EXPECT_EQ(edges.value.vt, VT_I4);
  EXPECT_EQ(edges.value.lVal, 16);

  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t("24")}).ok());
  EXPECT_EQ(renderer.Long("Edges"), 24);

  // Names are case-sensitive; an unknown one changes nothing.
  EXPECT_EQ(Get(options.Get(), u"Item", {_variant_t("edges")}).scode, DISP_E_BADINDEX);
  notices.notices.clear();
  const auto unknown = Put(options.Get(), u"Item", {_variant_t("edges"), _variant_t(3)});
  EXPECT_EQ(unknown.scode, DISP_E_BADINDEX);
  EXPECT_NE(unknown.error.find("\"edges\""), std::string::npos) << unknown.error;
  EXPECT_TRUE(notices.notices.empty());

  // Contents out and back in: nothing changes, every name is announced once.
  EXPECT_EQ(ContentsUpperBound(options.Get()), 27);
  auto contents = Call(options.Get(), u"TestGetContents");
  notices.notices.clear();
  ASSERT_TRUE(Call(options.Get(), u"TestSetContents", {contents.value}).ok());
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(notices.notices[0], std::set<std::string>(kelto::test::kRendererNamesSorted.begin(),
                                                      kelto::test::kRendererNamesSorted.end()));
  EXPECT_EQ(renderer.Long("Edges"), 24);
  EXPECT_EQ(Call(options.Get(), u"TestSetContents", {_variant_t(3)}).scode, E_INVALIDARG);
}

// The bag layout itself is OptionsPersistence's; here the face's use of it.
TEST(ComOptions, APropertyBagRoundTripAppliesEveryValueAndClearsDirty) {
  RendererOptions renderer;
  auto options = Face(renderer.options);
  auto bag = kelto::com::MakePropertyBag();
  // The clear-dirty argument does not matter to a bag save.
  ASSERT_EQ(As<IPersistPropertyBag>(options.Get())->Save(bag.Get(), FALSE, TRUE), S_OK);
  EXPECT_EQ(As<IPersistStreamInit>(options.Get())->IsDirty(), S_FALSE);

  RendererOptions other;
  other.options.Set("Edges", _variant_t(3));
  auto otherOptions = Face(other.options);
  EXPECT_EQ(As<IPersistStreamInit>(otherOptions.Get())->IsDirty(), S_OK);
  ASSERT_EQ(As<IPersistPropertyBag>(otherOptions.Get())->Load(bag.Get(), nullptr), S_OK);
  EXPECT_EQ(other.Long("Edges"), 16);
  EXPECT_FALSE(other.options.IsModified());
  EXPECT_EQ(As<IPersistStreamInit>(otherOptions.Get())->IsDirty(), S_FALSE);
}

TEST(ComOptions, StreamAndStorageHoldTheContentsLayout) {
  EdgesOnly source;
  auto options = Face(source.options);
  const Bytes bytes = Saved(options.Get());
  // The stream is the contents array in the VARIANT layout, nothing more.
  auto layout = MakeMemoryStream();
  ASSERT_EQ(kelto::options::WriteVariant(layout.Get(), source.options.GetContents()), S_OK);
  EXPECT_EQ(bytes, MemoryStreamBytes(layout.Get()));
  ULARGE_INTEGER size{};
  ASSERT_EQ(As<IPersistStreamInit>(options.Get())->GetSizeMax(&size), S_OK);
  EXPECT_EQ(size.QuadPart, bytes.size());
  EdgesOnly target;
  target.edges = 5;
  ASSERT_EQ(As<IPersistStreamInit>(Face(target.options).Get())->Load(MakeMemoryStream(bytes).Get()),
            S_OK);
  EXPECT_EQ(target.edges, 16);

  // A storage keeps the same in its "Contents" stream, replaced by a second save.
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateMemoryStorage(storage.Put()), S_OK);
  ASSERT_EQ(As<IPersistStorage>(options.Get())->Save(storage.Get(), TRUE), S_OK);
  source.edges = 33;
  ASSERT_EQ(As<IPersistStorage>(options.Get())->Save(storage.Get(), TRUE), S_OK);
  ASSERT_EQ(As<IPersistStorage>(Face(target.options).Get())->Load(storage.Get()), S_OK);
  EXPECT_EQ(target.edges, 33);
}

TEST(ComOptions, DirtyFollowsChangesLoadsAndSaves) {
  EdgesOnly registry;
  auto options = Face(registry.options);
  auto persist = As<IPersistStreamInit>(options.Get());
  EXPECT_EQ(persist->IsDirty(), S_FALSE);  // the registry was not modified

  ASSERT_TRUE(Put(options.Get(), u"Item", {_variant_t("Edges"), _variant_t(20)}).ok());
  EXPECT_EQ(persist->IsDirty(), S_OK);
  const Bytes copy = Saved(options.Get(), FALSE);  // a copy: still dirty
  EXPECT_EQ(persist->IsDirty(), S_OK);
  Saved(options.Get(), TRUE);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  EXPECT_FALSE(registry.options.IsModified());

  // The owner's own changes count too.
  registry.edges = 30;
  registry.options.NotifyChanged({"Edges"});
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ASSERT_EQ(persist->Load(MakeMemoryStream(copy).Get()), S_OK);
  EXPECT_EQ(registry.edges, 20);
  EXPECT_EQ(As<IPersistStorage>(options.Get())->IsDirty(), S_FALSE);
}

TEST(ComOptions, ContentsLoadedBeforeTheRegistryWaitForIt) {
  EdgesOnly source;
  source.edges = 64;
  const Bytes saved = Saved(Face(source.options).Get());

  // A component that hands the object out before its registry exists.
  auto object = kelto::com::MakeObject<CComOptions>();
  object->SetCreateOnDemand(false);
  auto options = ComPtr<IDispatch>(static_cast<kelto3d::IOptions*>(object.Get()));
  ASSERT_EQ(object->Load(MakeMemoryStream(saved).Get()), S_OK);
  EXPECT_TRUE(object->HasPendingContents());
  EXPECT_EQ(Get(options.Get(), u"Item", {_variant_t("Edges")}).scode, E_UNEXPECTED);
  EXPECT_EQ(Saved(options.Get()), saved);  // saving meanwhile keeps what was loaded

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
  EdgesOnly registry;
  auto object = CComOptions::ForRegistry(registry.options);
  const Bytes i4 = {0x03, 0x00, 0x10, 0x00, 0x00, 0x00};
  EXPECT_EQ(object->Load(MakeMemoryStream(i4).Get()), E_INVALIDARG);
  EXPECT_FALSE(object->HasPendingContents());
  EXPECT_EQ(registry.edges, 16);
  // A truncated stream fails as the stream does.
  EXPECT_TRUE(FAILED(object->Load(MakeMemoryStream().Get())));
}

TEST(ComOptions, AComponentHasOneOptionsObjectAndOutlivesIt) {
  ComPtr<IDispatch> kept;
  {
    EdgesOnly registry;
    kept = Face(registry.options);
    EXPECT_EQ(Face(registry.options), kept);
  }
  // The component went first: the object carries on with an empty registry
  // of its own.
  EXPECT_EQ(ContentsUpperBound(kept.Get()), -1);
}
