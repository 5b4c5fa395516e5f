#include "platform/com/PropertyBag.h"

#include <gtest/gtest.h>

#include "ComFakes.h"
#include "platform/com/Variant.h"

using kelto::com::CPropertyBag;
using kelto::com::MakePropertyBag;

namespace {

// Records the names and codes a bag reports as errors.
class RecordingLog final : public kelto::com::Object<RecordingLog, IErrorLog> {
 public:
  HRESULT AddError(LPCOLESTR name, EXCEPINFO* info) override {
    entries.emplace_back(name, info ? info->scode : S_OK);
    return S_OK;
  }
  std::vector<std::pair<std::u16string, SCODE>> entries;
};

HRESULT WriteValue(IPropertyBag* bag, const char16_t* name, _variant_t v) {
  return bag->Write(name, &v);
}

}  // namespace

TEST(PropertyBag, ReadGivesBackACopyOfWhatWasWritten) {
  auto bag = MakePropertyBag();
  ASSERT_EQ(WriteValue(bag.Get(), u"Name", _variant_t(u"AxesRight")), S_OK);
  _variant_t name;
  ASSERT_EQ(bag->Read(u"Name", &name, nullptr), S_OK);
  // The bag kept its own copy: the one handed out is the caller's to free.
  EXPECT_NE(name.bstrVal, bag->Find(u"Name")->bstrVal);

  // A by-reference value is stored as the value it refers to.
  LONG target = 7;
  VARIANT ref = kelto::com::test::Ref(VT_I4, &target);
  ASSERT_EQ(bag->Write(u"Ref", &ref), S_OK);
  target = 8;  // the bag must not see this
  const VARIANT* stored = bag->Find(u"Ref");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->vt, VT_I4);
  EXPECT_EQ(stored->lVal, 7);
}

TEST(PropertyBag, MissingNamesFailWithInvalidArgAndAreLogged) {
  auto bag = MakePropertyBag();
  auto log = kelto::com::MakeObject<RecordingLog>();
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(bag->Read(u"Length", &v, log.Get()), E_INVALIDARG);
  EXPECT_EQ(v.vt, VT_EMPTY);
  ASSERT_EQ(log->entries.size(), 1u);
  EXPECT_EQ(log->entries[0].first, u"Length");
  EXPECT_EQ(log->entries[0].second, E_INVALIDARG);
}

TEST(PropertyBag, RewritingANameKeepsItsPlaceAndSpelling) {
  auto bag = MakePropertyBag();
  ASSERT_EQ(WriteValue(bag.Get(), u"Length", _variant_t(1)), S_OK);
  ASSERT_EQ(WriteValue(bag.Get(), u"0.Name", _variant_t(u"Edges")), S_OK);
  ASSERT_EQ(WriteValue(bag.Get(), u"LENGTH", _variant_t(u"two")), S_OK);
  EXPECT_EQ(bag->Names(), (std::vector<std::u16string>{u"Length", u"0.Name"}));
  EXPECT_EQ(bag->Count(), 2u);
  const VARIANT* length = bag->Find(u"length");
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length->vt, VT_BSTR);
  bag->Clear();
  EXPECT_EQ(bag->Count(), 0u);
}
