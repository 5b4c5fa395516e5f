// The scripting classes TagEngine and TagSet, driven the way a late-bound
// client drives them: GetIDsOfNames and IDispatch::Invoke.
#include "tags/ComTagEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeAutomation.h"
#include "platform/com/Api.h"
#include "platform/com/ErrorInfo.h"
#include "tags/ComTagSet.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto3d::ITagEngine;
using kelto3d::ITagSet;

namespace {

DISPID IdOf(IDispatch* object, const char16_t* name) {
  std::u16string copy(name);
  LPOLESTR names[1] = {copy.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id), S_OK);
  return id;
}

// Invokes with flags 3; args in the order written (reversed for rgvarg).
HRESULT Call(IDispatch* object, DISPID id, std::vector<VARIANT> args, _variant_t* result,
             EXCEPINFO* info = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  UINT argError = 0;
  return object->Invoke(id, GUID_NULL, LOCALE_SYSTEM_DEFAULT,
                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result, info, &argError);
}

// SetSpec through Invoke; returns the Errors text.
std::string SetSpec(IDispatch* engine, const std::string& xml) {
  _variant_t spec(xml);
  _bstr_t errors("stale");
  VARIANT errorsRef;
  VariantInit(&errorsRef);
  errorsRef.vt = VT_BYREF | VT_BSTR;
  errorsRef.pbstrVal = errors.GetAddress();
  _variant_t ignored;
  EXPECT_EQ(Call(engine, IdOf(engine, u"SetSpec"), {spec, errorsRef}, &ignored), S_OK);
  EXPECT_NE(errors.GetBSTR(), nullptr);  // "" rather than null when all is well
  return errors.str();
}

ComPtr<IDispatch> GetTags(IDispatch* engine, const VARIANT& object) {
  _variant_t result;
  EXPECT_EQ(Call(engine, IdOf(engine, u"GetTags"), {object}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_DISPATCH);
  return ComPtr<IDispatch>(result.vt == VT_DISPATCH ? result.pdispVal : nullptr);
}

class ComTagEngineTest : public ::testing::Test {
 protected:
  ComTagEngineTest() {
    engine =
        ComPtr<IDispatch>(static_cast<ITagEngine*>(kelto::com::MakeObject<CComTagEngine>().Get()));
  }

  ComPtr<IDispatch> engine;
  ComPtr<tags_test::FakeObject> valve = tags_test::MakeFake("Gate-Valve");
};

TEST_F(ComTagEngineTest, DispatchIdsAreThoseOfTheTypeLibrary) {
  EXPECT_EQ(IdOf(engine.Get(), u"SetSpec"), 1);
  EXPECT_EQ(IdOf(engine.Get(), u"GetTags"), 2);
  const ComPtr<IDispatch> set = GetTags(engine.Get(), _variant_t());
  ASSERT_TRUE(set);
  EXPECT_EQ(IdOf(set.Get(), u"Item"), 0);
  EXPECT_EQ(IdOf(set.Get(), u"Count"), 1);
  EXPECT_EQ(IdOf(set.Get(), u"_NewEnum"), -4);
}

TEST_F(ComTagEngineTest, SetSpecReturnsEveryMessageWithALineFeed) {
  EXPECT_EQ(SetSpec(engine.Get(), ""), "XML is not well formed.\n");
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

  _variant_t count;
  ASSERT_EQ(Call(set.Get(), 1, {}, &count), S_OK);
  EXPECT_EQ(count.vt, VT_I4);
  EXPECT_EQ(count.lVal, 3);

  _variant_t item;
  ASSERT_EQ(Call(set.Get(), DISPID_VALUE, {_variant_t("Colour")}, &item), S_OK);
  EXPECT_EQ(item.vt, VT_BSTR);
  EXPECT_EQ(kelto::com::BstrToUtf8(item.bstrVal), "Red");

  // A tag that was not set: a null string, and success.
  _variant_t missing;
  ASSERT_EQ(Call(set.Get(), DISPID_VALUE, {_variant_t("colour")}, &missing), S_OK);
  EXPECT_EQ(missing.vt, VT_BSTR);
  EXPECT_EQ(missing.bstrVal, nullptr);

  // _NewEnum: the values, in tag-name order.
  _variant_t enumResult;
  ASSERT_EQ(Call(set.Get(), DISPID_NEWENUM, {}, &enumResult), S_OK);
  ASSERT_EQ(enumResult.vt, VT_UNKNOWN);
  ComPtr<IEnumVARIANT> values;
  ASSERT_EQ(enumResult.punkVal->QueryInterface(IidOf<IEnumVARIANT>(), values.PutVoid()), S_OK);
  std::vector<std::string> seen;
  VARIANT v;
  ULONG fetched = 0;
  while (values->Next(1, &v, &fetched) == S_OK) {
    EXPECT_EQ(v.vt, VT_BSTR);
    seen.push_back(kelto::com::BstrToUtf8(v.bstrVal));
    VariantClear(&v);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "Red", "last"}));
}

TEST_F(ComTagEngineTest, NothingAsObjectGivesTheUnconditionalTags) {
  SetSpec(engine.Get(),
          "<R><Aspect Name='N' Expression='Name'/>"
          "<Lookup><Tag Always='1'/></Lookup><Lookup N='x'><Tag Never='1'/></Lookup></R>");
  const ComPtr<IDispatch> set = GetTags(engine.Get(), _variant_t());
  _variant_t count;
  ASSERT_EQ(Call(set.Get(), 1, {}, &count), S_OK);
  EXPECT_EQ(count.lVal, 1);
}

TEST_F(ComTagEngineTest, EachEngineHasItsOwnRules) {
  SetSpec(engine.Get(), "<R><Lookup><Tag A='1'/></Lookup></R>");
  const ComPtr<IDispatch> other(
      static_cast<ITagEngine*>(kelto::com::MakeObject<CComTagEngine>().Get()));
  const ComPtr<IDispatch> set = GetTags(other.Get(), _variant_t());
  _variant_t count;
  ASSERT_EQ(Call(set.Get(), 1, {}, &count), S_OK);
  EXPECT_EQ(count.lVal, 0);
}

TEST_F(ComTagEngineTest, FailuresComeBackAsErrorInfo) {
  const ComPtr<IDispatch> set = GetTags(engine.Get(), _variant_t());
  // An index with no text form.
  EXCEPINFO info{};
  _variant_t result;
  EXPECT_EQ(Call(set.Get(), DISPID_VALUE, {_variant_t::Null()}, &result, &info), DISP_E_EXCEPTION);
  EXPECT_EQ(info.scode, DISP_E_TYPEMISMATCH);
  EXPECT_NE(info.bstrDescription, nullptr);
  EXPECT_EQ(kelto::com::BstrToUtf8(info.bstrSource), "{C18E2BC0-C4D2-458D-A297-8E56A3978EA4}");
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);

  // Null out-pointers through the vtable.
  const ComPtr<ITagSet> typed = set.As<ITagSet>();
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->get_Count(nullptr), E_POINTER);
  const ComPtr<ITagEngine> typedEngine = engine.As<ITagEngine>();
  EXPECT_EQ(typedEngine->SetSpec(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(typedEngine->GetTags(nullptr, nullptr), E_POINTER);

  // Both classes say they report errors that way.
  for (IDispatch* object : {engine.Get(), set.Get()}) {
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(object->QueryInterface(IidOf<ISupportErrorInfo>(), support.PutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<ITagEngine>()),
              object == engine.Get() ? S_OK : S_FALSE);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<ITagSet>()),
              object == set.Get() ? S_OK : S_FALSE);
  }
}

TEST_F(ComTagEngineTest, ATagSetCreatedOnItsOwnIsEmpty) {
  auto set = kelto::com::MakeObject<CComTagSet>();
  LONG count = -1;
  EXPECT_EQ(set->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
  BSTR value = reinterpret_cast<BSTR>(0x1);  // must be overwritten
  EXPECT_EQ(set->get_Item(_variant_t("A"), &value), S_OK);
  EXPECT_EQ(value, nullptr);
}

}  // namespace
