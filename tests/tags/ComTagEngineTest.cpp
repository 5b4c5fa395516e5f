// The scripting classes TagEngine and TagSet, driven the way a late-bound
// client drives them: GetIDsOfNames and IDispatch::Invoke.
#include "tags/ComTagEngine.h"

#include <gtest/gtest.h>

#include "FakeAutomation.h"
#include "support/ScriptHost.h"
#include "tags/ComTagSet.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::InvokeId;
using kelto3d::ITagEngine;
constexpr WORD kCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

namespace {

DISPID IdOf(IDispatch* object, const char16_t* name) { return kelto::test::DispidOf(object, name); }

ComPtr<IDispatch> NewEngine() {
  return ComPtr<IDispatch>(static_cast<ITagEngine*>(kelto::com::MakeObject<CComTagEngine>().Get()));
}

std::string SetSpec(IDispatch* engine, const std::string& xml) {
  return kelto::test::CallWithErrors(engine, u"SetSpec", xml);
}

ComPtr<IDispatch> GetTags(IDispatch* engine, const VARIANT& object) {
  const auto r = InvokeId(engine, IdOf(engine, u"GetTags"), kCall, {object});
  EXPECT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.vt, VT_DISPATCH);
  return ComPtr<IDispatch>(r.value.vt == VT_DISPATCH ? r.value.pdispVal : nullptr);
}

LONG CountOf(IDispatch* set) { return kelto::test::Get(set, u"Count").value.lVal; }

class ComTagEngineTest : public ::testing::Test {
 protected:
  ComPtr<IDispatch> engine = NewEngine();
  ComPtr<tags_test::FakeObject> valve = tags_test::MakeFake("Gate-Valve");
};

TEST_F(ComTagEngineTest, DispatchIdsAndSetSpecMessages) {
  // Every message comes back, each followed by a line feed.
  EXPECT_EQ(
      SetSpec(engine.Get(), "<R><Aspect Expression='Name'/><Aspect Name='A'/><Lookup Q='1'/></R>"),
      "Ignored unnamed aspect.\nError reading aspect A : Missing expression.\n"
      "Unknown aspect : Q\n");
  EXPECT_EQ(SetSpec(engine.Get(), "<R><Aspect Name='N' Expression='Name'/></R>"), "");
}

TEST_F(ComTagEngineTest, GetTagsGivesATagSetWithItemCountAndEnumeration) {
  SetSpec(engine.Get(),
          "<R><Aspect Name='N' Expression='Name'/>"
          "<Lookup N='Gate-Valve'><Tag Zeta='last' Alpha='first' Colour='Red'/></Lookup></R>");
  const ComPtr<IDispatch> set = GetTags(engine.Get(), _variant_t(tags_test::AsDispatch(valve)));
  ASSERT_TRUE(set);
  EXPECT_EQ(CountOf(set.Get()), 3);

  const auto item = InvokeId(set.Get(), DISPID_VALUE, kCall, {_variant_t("Colour")});
  ASSERT_EQ(item.hr, S_OK);
  EXPECT_EQ(item.value.vt, VT_BSTR);
  EXPECT_EQ(kelto::com::BstrToUtf8(item.value.bstrVal), "Red");
  // A tag that was not set: a null string, and success.
  const auto missing = InvokeId(set.Get(), DISPID_VALUE, kCall, {_variant_t("colour")});
  ASSERT_EQ(missing.hr, S_OK);
  EXPECT_EQ(missing.value.vt, VT_BSTR);
  EXPECT_EQ(missing.value.bstrVal, nullptr);

  // _NewEnum: the values, in tag-name order.
  const auto enumResult = InvokeId(set.Get(), DISPID_NEWENUM, kCall, {});
  ASSERT_EQ(enumResult.value.vt, VT_UNKNOWN);
  ComPtr<IEnumVARIANT> values;
  ASSERT_EQ(enumResult.value.punkVal->QueryInterface(IidOf<IEnumVARIANT>(), values.PutVoid()),
            S_OK);
  std::vector<std::string> seen;
  VARIANT v;
  ULONG fetched = 0;
  while (values->Next(1, &v, &fetched) == S_OK) {
    seen.push_back(kelto::com::BstrToUtf8(v.bstrVal));
    VariantClear(&v);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "Red", "last"}));
}

TEST_F(ComTagEngineTest, NothingGetsTheUnconditionalTagsAndEachEngineHasItsOwnRules) {
  SetSpec(engine.Get(),
          "<R><Aspect Name='N' Expression='Name'/>"
          "<Lookup><Tag Always='1'/></Lookup><Lookup N=''><Tag Never='1'/></Lookup></R>");
  EXPECT_EQ(CountOf(GetTags(engine.Get(), _variant_t()).Get()), 1);
  EXPECT_EQ(CountOf(GetTags(NewEngine().Get(), _variant_t()).Get()), 0);
}

// The host's bound on one evaluation, reached by scripts through the second
// interface; ITagEngine's own table does not list it.
TEST_F(ComTagEngineTest, TheWorkLimitIsSetThroughTheSecondInterface) {
  using kelto::test::Get;
  EXPECT_EQ(IdOf(engine.Get(), u"WorkLimit"), DISPID_UNKNOWN);
  const ComPtr<IDispatch> limits(engine.As<kelto3d::ITagEngineLimits>().Get());
  ASSERT_TRUE(limits);
  EXPECT_EQ(Get(limits.Get(), u"WorkLimit").value.lVal, 5'000'000);
  const auto refused = kelto::test::Put(limits.Get(), u"WorkLimit", {_variant_t(0)});
  EXPECT_EQ(refused.scode, E_INVALIDARG);
  EXPECT_NE(refused.error.find("out of range"), std::string::npos) << refused.error;

  // Rules with back references over a long text stop at the bound, and the
  // script can read why.
  std::string rules = "<R><Aspect Name='V' Expression='Value' MatchType='RegExp'/>";
  for (int i = 0; i < 20; ++i) rules += "<Lookup V='{a|a}*\\0c'><Tag T='1'/></Lookup>";
  EXPECT_EQ(SetSpec(engine.Get(), rules + "</R>"), "");
  valve->value = _variant_t(std::string(200, 'a').c_str());
  ASSERT_TRUE(kelto::test::Put(limits.Get(), u"WorkLimit", {_variant_t(1000)}).ok());
  GetTags(engine.Get(), _variant_t(tags_test::AsDispatch(valve)));
  EXPECT_EQ(Get(limits.Get(), u"WorkDone").value.lVal, 1000);
  EXPECT_NE(Get(limits.Get(), u"EvaluationErrors").value.ToString().find("work limit of 1000 "),
            std::string::npos);
}

}  // namespace
