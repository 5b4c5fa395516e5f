// Contents through property bags and storages: the bag layout of the
// renderer's fourteen options, round trips into a registry, missing and
// corrupted bag entries, and the "Contents" stream of a storage.
#include "options/OptionsPersistence.h"

#include <gtest/gtest.h>

#include "options/OptionsFixtures.h"
#include "options/VariantStream.h"
#include "platform/com/Api.h"
#include "platform/com/Object.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Stream.h"

using kelto::com::BstrToUtf8;
using kelto::com::ComPtr;
using kelto::com::MakePropertyBag;
using kelto::options::LoadContentsFromBag;
using kelto::options::LoadContentsFromStorage;
using kelto::options::SaveContentsToBag;
using kelto::options::SaveContentsToStorage;
using kelto::test::kRendererNamesSorted;
using kelto::test::NoticeRecorder;
using kelto::test::RendererOptions;

namespace {

void Put(IPropertyBag* bag, const char16_t* key, _variant_t value) {
  ASSERT_EQ(bag->Write(key, &value), S_OK);
}

ComPtr<IStorage> MakeStorage() {
  ComPtr<IStorage> storage;
  EXPECT_EQ(StgCreateMemoryStorage(storage.Put()), S_OK);
  return storage;
}

// A bag that accepts a number of writes and then fails.
class FullBag final : public kelto::com::Object<FullBag, IPropertyBag> {
 public:
  explicit FullBag(int accepted) : m_left(accepted) {}
  HRESULT Read(LPCOLESTR, VARIANT*, IErrorLog*) override { return E_INVALIDARG; }
  HRESULT Write(LPCOLESTR, VARIANT*) override { return m_left-- > 0 ? S_OK : STG_E_MEDIUMFULL; }

 private:
  int m_left;
};

// A bag that answers every read with the value as stored, whatever type
// the reader asked for (bags are allowed to).
class VerbatimBag final : public kelto::com::Object<VerbatimBag, IPropertyBag> {
 public:
  std::map<std::u16string, _variant_t> values;
  HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto it = values.find(name);
    if (it == values.end()) return E_INVALIDARG;
    return VariantCopy(value, &it->second);
  }
  HRESULT Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
};

}  // namespace

TEST(OptionsPersistence, ALengthOfAnotherTypeIsConvertedToALong) {
  const _variant_t lengths[] = {_variant_t(short{1}), _variant_t("1"), _variant_t(1.0)};
  for (const _variant_t& length : lengths) {
    SCOPED_TRACE(length.vt);
    auto bag = kelto::com::MakeObject<VerbatimBag>();
    bag->values[u"Length"] = length;
    bag->values[u"0.Name"] = _variant_t("Edges");
    bag->values[u"0.Value"] = _variant_t(24);
    _variant_t contents;
    ASSERT_EQ(LoadContentsFromBag(bag.Get(), nullptr, contents.GetAddress()), S_OK);
    EXPECT_EQ(contents.parray->rgsabound[0].cElements, 2u);
  }
}

TEST(OptionsPersistence, RendererOptionsInABagGiveLengthAndSortedPairs) {
  RendererOptions r;
  auto bag = MakePropertyBag();
  ASSERT_EQ(SaveContentsToBag(bag.Get(), r.options.GetContents()), S_OK);

  EXPECT_TRUE(_variant_t(*bag->Find(u"Length")) == _variant_t(14));
  // Written in order: Length, 0.Name, 0.Value, 1.Name, ...
  const auto names = bag->Names();
  ASSERT_EQ(names.size(), 29u);
  EXPECT_EQ(names[0], u"Length");
  EXPECT_EQ(names[27], u"13.Name");
  EXPECT_EQ(names[28], u"13.Value");
  // Names in byte-wise order ("NormalLineWidth" before "NormalizeScale").
  for (std::size_t i = 0; i < kRendererNamesSorted.size(); ++i) {
    const auto key = kelto::com::Utf8ToUtf16(std::to_string(i) + ".Name");
    EXPECT_EQ(BstrToUtf8(bag->Find(key.c_str())->bstrVal), kRendererNamesSorted[i]);
  }
  // Values keep their types: Edges, NormalLineWidth, ViewLimits.
  EXPECT_TRUE(_variant_t(*bag->Find(u"6.Value")) == _variant_t(16));
  EXPECT_TRUE(_variant_t(*bag->Find(u"8.Value")) == _variant_t(1.0f));
  EXPECT_TRUE(_variant_t(*bag->Find(u"13.Value")) == _variant_t(true));
}

TEST(OptionsPersistence, PairsWithMissingOrEmptyEntriesAreSkipped) {
  auto bag = MakePropertyBag();
  Put(bag.Get(), u"Length", _variant_t("5"));  // text that converts is fine
  Put(bag.Get(), u"0.Name", _variant_t("Edges"));
  Put(bag.Get(), u"0.Value", _variant_t(24));
  Put(bag.Get(), u"1.Value", _variant_t(3));           // no 1.Name
  Put(bag.Get(), u"2.Name", _variant_t("BendSteps"));  // no 2.Value
  Put(bag.Get(), u"3.Name", _variant_t("CylStacks"));
  Put(bag.Get(), u"3.Value", _variant_t());  // an empty value: treated as missing
  Put(bag.Get(), u"4.Name", _variant_t("AxesTop"));
  Put(bag.Get(), u"4.Value", _variant_t(false));
  Put(bag.Get(), u"5.Name", _variant_t("Beyond Length"));
  Put(bag.Get(), u"5.Value", _variant_t(1));

  _variant_t contents;
  ASSERT_EQ(LoadContentsFromBag(bag.Get(), nullptr, contents.GetAddress()), S_OK);
  ASSERT_EQ(contents.vt, VT_ARRAY | VT_VARIANT);
  ASSERT_EQ(contents.parray->rgsabound[0].cElements, 4u);
  RendererOptions r;
  r.options.SetContents(contents);
  EXPECT_EQ(r.Long("Edges"), 24);
  EXPECT_FALSE(r.Bool("AxesTop"));
  EXPECT_EQ(r.Long("BendSteps"), 8);
  EXPECT_EQ(r.Long("CylStacks"), 2);
}

TEST(OptionsPersistence, ABadLengthFailsTheLoad) {
  struct Case {
    const char* label;
    _variant_t length;  // VT_EMPTY: not written at all
    HRESULT expected;
  };
  const Case cases[] = {
      {"missing", _variant_t(), E_INVALIDARG},  // the bag's answer for a missing name
      {"negative", _variant_t(-1), E_INVALIDARG},
      {"not a number", _variant_t("many"), DISP_E_TYPEMISMATCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    auto bag = MakePropertyBag();
    if (!c.length.IsEmpty()) Put(bag.Get(), u"Length", c.length);
    _variant_t contents(5);
    EXPECT_EQ(LoadContentsFromBag(bag.Get(), nullptr, contents.GetAddress()), c.expected);
    EXPECT_EQ(contents.vt, VT_EMPTY);
  }
  // Length 0 is an empty registry, not an error.
  auto bag = MakePropertyBag();
  Put(bag.Get(), u"Length", _variant_t(0));
  _variant_t contents;
  ASSERT_EQ(LoadContentsFromBag(bag.Get(), nullptr, contents.GetAddress()), S_OK);
  EXPECT_EQ(contents.parray->rgsabound[0].cElements, 0u);
}

TEST(OptionsPersistence, BagSaveFailuresAreReported) {
  RendererOptions r;
  const _variant_t contents = r.options.GetContents();
  for (int accepted : {0, 28}) {
    SCOPED_TRACE(accepted);
    auto bag = kelto::com::MakeObject<FullBag>(accepted);
    EXPECT_EQ(SaveContentsToBag(bag.Get(), contents), STG_E_MEDIUMFULL);
  }
  EXPECT_EQ(SaveContentsToBag(kelto::com::MakeObject<FullBag>(29).Get(), contents), S_OK);
}

TEST(OptionsPersistence, StorageLoadsFailWithoutAWholeContentsStream) {
  _variant_t contents;
  EXPECT_EQ(LoadContentsFromStorage(MakeStorage().Get(), contents.GetAddress()),
            STG_E_FILENOTFOUND);

  auto storage = MakeStorage();
  ComPtr<IStream> stream;
  ASSERT_EQ(storage->CreateStream(u"Contents", STGM_CREATE | STGM_READWRITE, 0, 0, stream.Put()),
            S_OK);
  const BYTE truncated[] = {0x0C, 0x20, 0x01, 0x00, 0x00};
  ASSERT_EQ(kelto::com::WriteExact(stream.Get(), truncated, sizeof truncated), S_OK);
  EXPECT_EQ(LoadContentsFromStorage(storage.Get(), contents.GetAddress()), STG_E_READFAULT);
  EXPECT_EQ(contents.vt, VT_EMPTY);
}
