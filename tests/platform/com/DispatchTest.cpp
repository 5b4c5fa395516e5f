// Late-bound calls through a table-driven dual interface: name lookup,
// argument counts and conversion, optional arguments, put/putref selection,
// results and [out] parameters, failures reported as exceptions; the boundary
// helper and the thread's error information behind it.
#include "platform/com/Dispatch.h"

#include <gtest/gtest.h>

#include <thread>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Boundary.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "support/NoDispatch.h"
#include "support/ScriptHost.h"

// Test interfaces live in a named namespace: their IIDs and dispatch tables
// are declared at global scope, as the macros require.
namespace dispatch_test {
struct ITestWidget : IDispatch {
  virtual HRESULT get_Count(LONG* pVal) = 0;
  virtual HRESULT get_Name(BSTR* pVal) = 0;
  virtual HRESULT put_Name(BSTR newVal) = 0;
  virtual HRESULT get_Item(VARIANT index, VARIANT* pVal) = 0;
  virtual HRESULT put_Item(BSTR key, VARIANT newVal) = 0;
  virtual HRESULT get_Child(ITestWidget** pVal) = 0;
  virtual HRESULT putref_Child(ITestWidget* newVal) = 0;
  virtual HRESULT get_Tag(VARIANT* pVal) = 0;
  virtual HRESULT put_Tag(VARIANT newVal) = 0;
  virtual HRESULT putref_Tag(IDispatch* newVal) = 0;
  virtual HRESULT Format(LONG number, double scale, VARIANT_BOOL negate, BSTR suffix,
                         BSTR* result) = 0;
  virtual HRESULT IsMissing(VARIANT value, VARIANT_BOOL* result) = 0;
  virtual HRESULT Small(SHORT value, SHORT* result) = 0;
  virtual HRESULT Fail(BSTR message) = 0;
  virtual HRESULT Unimplemented() = 0;
};
}  // namespace dispatch_test

using dispatch_test::ITestWidget;

KELTO_INTERFACE_IID(ITestWidget, IDispatch, "6B1B7C3E-0D4A-4F0E-9E55-2C4C7E1B9A01");

// One row per line reads like the interface definition; keep it that way.
// clang-format off
KELTO_DISPATCH_MAP(ITestWidget,
    PropGet<&ITestWidget::get_Count>("Count", 1),
    PropGet<&ITestWidget::get_Name>("Name", 2),
    PropPut<&ITestWidget::put_Name>("Name", 2),
    PropGet<&ITestWidget::get_Item>("Item", DISPID_VALUE),
    PropPut<&ITestWidget::put_Item>("Item", DISPID_VALUE),
    PropGet<&ITestWidget::get_Child>("Child", 3),
    PropPutRef<&ITestWidget::putref_Child>("Child", 3),
    PropGet<&ITestWidget::get_Tag>("Tag", 4),
    PropPut<&ITestWidget::put_Tag>("Tag", 4),
    PropPutRef<&ITestWidget::putref_Tag>("Tag", 4),
    Method<&ITestWidget::Format>("Format", 5, {false, "!"}),
    Method<&ITestWidget::IsMissing>("IsMissing", 7, {kelto::com::kMissing}),
    Method<&ITestWidget::Small>("Small", 8).ParamType(0, VT_I2).ParamType(1, VT_I2),
    Method<&ITestWidget::Fail>("Fail", 9),
    Method<&ITestWidget::Unimplemented>("Unimplemented", 11));
// clang-format on

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::test::Ref;
using kelto::test::InvokeId;
using kelto::test::InvokeName;
using kelto::test::Pending;
using kelto::test::TakePending;
using Outcome = kelto::test::ScriptResult;

// Stores an [out] value; returns S_OK.
template <class T, class V>
HRESULT Out(T* p, V v) {
  *p = static_cast<T>(v);
  return S_OK;
}

constexpr CLSID kWidgetClsid = kelto::com::MakeGuid("0F6A1E22-3B7C-4D8E-9F10-A1B2C3D4E5F6");

class Widget final : public kelto::com::Object<Widget, kelto::com::Dual<ITestWidget>,
                                               kelto::com::SupportErrorInfo<ITestWidget>> {
 public:
  std::string name = "widget";
  _variant_t tag;
  std::string lastPut;  // "put" or "putref"
  ComPtr<ITestWidget> child;
  std::vector<std::pair<std::string, _variant_t>> items;

  template <class F>
  HRESULT Guarded(F&& f) {
    return kelto::com::Guard(kWidgetClsid, IidOf<ITestWidget>(), std::forward<F>(f));
  }
  HRESULT get_Count(LONG* pVal) override { return Out(pVal, items.size()); }
  HRESULT get_Name(BSTR* pVal) override { return Out(pVal, kelto::com::AllocBstr(name)); }
  HRESULT put_Name(BSTR v) override { return Out(&name, kelto::com::BstrToUtf8(v)); }
  HRESULT get_Item(VARIANT index, VARIANT* pVal) override {
    for (auto& [k, v] : items)
      if (k == _bstr_t(index).str()) return VariantCopy(pVal, &v);
    return DISP_E_BADINDEX;
  }
  HRESULT put_Item(BSTR key, VARIANT v) override {
    return Guarded([&] { items.emplace_back(kelto::com::BstrToUtf8(key), _variant_t(v)); });
  }
  HRESULT get_Child(ITestWidget** pVal) override { return child.CopyTo(pVal); }
  HRESULT putref_Child(ITestWidget* v) override { return Out(&child, v); }
  HRESULT get_Tag(VARIANT* pVal) override { return VariantCopy(pVal, &tag); }
  HRESULT put_Tag(VARIANT v) override {
    tag = v;
    return Out(&lastPut, "put");
  }
  HRESULT putref_Tag(IDispatch* v) override {
    tag = _variant_t(v);
    return Out(&lastPut, "putref");
  }
  HRESULT Format(LONG number, double scale, VARIANT_BOOL negate, BSTR suffix,
                 BSTR* result) override {
    const double value = (negate ? -1 : 1) * number * scale;
    return Out(result, kelto::com::AllocBstr(std::to_string(value).substr(0, 4) +
                                             kelto::com::BstrToUtf8(suffix)));
  }
  HRESULT IsMissing(VARIANT value, VARIANT_BOOL* result) override {
    const bool missing = value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND;
    return Out(result, missing ? VARIANT_TRUE : VARIANT_FALSE);
  }
  HRESULT Small(SHORT value, SHORT* result) override { return Out(result, value * 2); }
  HRESULT Fail(BSTR message) override {
    return Guarded([&] { throw std::runtime_error(kelto::com::BstrToUtf8(message)); });
  }
  HRESULT Unimplemented() override { return E_NOTIMPL; }
};

// An object that is not a widget, to pass where a widget is expected.
class Plain final : public kelto::com::Object<Plain, kelto::test::NoDispatch<IDispatch>> {};

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kPutRef = DISPATCH_PROPERTYPUTREF;
constexpr WORD kCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

DISPID IdOf(IDispatch* d, const char16_t* name) { return kelto::test::DispidOf(d, name); }

class DispatchTest : public ::testing::Test {
 protected:
  ComPtr<Widget> widget = kelto::com::MakeObject<Widget>();
  IDispatch* d = static_cast<ITestWidget*>(widget.Get());
};

TEST_F(DispatchTest, NamesAreFoundInAnyCaseAndTypeInfoComesFromTheTable) {
  EXPECT_EQ(IdOf(d, u"cOuNt"), 1);
  EXPECT_EQ(IdOf(d, u"Co\u0155nt"), DISPID_UNKNOWN);  // no folding onto ASCII
  LPOLESTR named[] = {const_cast<LPOLESTR>(u"format"), const_cast<LPOLESTR>(u"scale")};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(d->GetIDsOfNames(GUID_NULL, named, 2, 0x800, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 5);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  // The Python package describes objects from this one type information.
  ITypeInfo* info = nullptr;
  ASSERT_EQ(d->GetTypeInfo(0, 0, &info), S_OK);
  MEMBERID member = 0;
  EXPECT_EQ(info->GetIDsOfNames(named, 1, &member), S_OK);
  EXPECT_EQ(member, 5);
  info->Release();
}

TEST_F(DispatchTest, MethodsAndGettersUnderFlagsThree) {
  // The tag engine calls everything with METHOD|PROPERTYGET and string arguments.
  Outcome r = InvokeName(d, u"format", kCall, {_variant_t("12"), _variant_t("0.5")});
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(_bstr_t(r.value).str(), "6.00!");

  EXPECT_EQ(_bstr_t(InvokeName(d, u"Name", kCall, {}).value).str(), "widget");

  // Results follow the row's declared types.
  r = InvokeName(d, u"Small", kCall, {_variant_t(21)});
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.vt, VT_I2);
  EXPECT_EQ(r.value.iVal, 42);

  // A property is not a method, nor is a method a property.
  EXPECT_EQ(InvokeName(d, u"Name", DISPATCH_METHOD, {}).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeName(d, u"Unimplemented", kGet, {}).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeId(d, 999, kCall, {}).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeName(d, u"Count", kPut, {_variant_t(1)}).hr, DISP_E_MEMBERNOTFOUND);
  // Named arguments other than the put value are refused.
  _variant_t arg(1);
  DISPID name = 0;
  DISPPARAMS named{&arg, &name, 1, 1};
  EXPECT_EQ(d->Invoke(7, GUID_NULL, 0, kCall, &named, nullptr, nullptr, nullptr),
            DISP_E_NONAMEDARGS);
}

TEST_F(DispatchTest, ArgumentCountsAndOptionalArguments) {
  struct Case {
    const char* what;
    std::vector<_variant_t> args;
    HRESULT hr;
    std::string text;
  };
  const Case cases[] = {
      {"last default", {3, 2.0, true}, S_OK, "-6.0!"},
      {"both defaults", {3, 2.0}, S_OK, "6.00!"},
      {"missing marker takes the default", {3, 2.0, _variant_t::Missing(), "?"}, S_OK, "6.00?"},
      {"too few", {3}, DISP_E_BADPARAMCOUNT, ""},
      {"too many", {3, 2.0, true, "?", 1}, DISP_E_BADPARAMCOUNT, ""},
      {"required left out", {_variant_t::Missing(), 2.0}, DISP_E_PARAMNOTOPTIONAL, ""},
  };
  for (const Case& c : cases) {
    Outcome r = InvokeName(d, u"Format", kCall, c.args);
    EXPECT_EQ(r.hr, c.hr) << c.what;
    if (c.hr == S_OK) {
      EXPECT_EQ(_bstr_t(r.value).str(), c.text) << c.what;
    }
  }
  // An optional VARIANT without a default receives the "not passed" marker.
  EXPECT_EQ(InvokeName(d, u"IsMissing", kCall, {}).value.boolVal, VARIANT_TRUE);
}

TEST_F(DispatchTest, ConversionFailuresNameTheArgumentInRgvargOrder) {
  struct Case {
    const char* what;
    std::vector<_variant_t> args;
    HRESULT hr;
    UINT argErr;
  };
  const Case cases[] = {
      // Format(number, scale, negate, suffix): rgvarg holds suffix first.
      {"text for a number", {"twelve", 1.0}, DISP_E_TYPEMISMATCH, 1},
      {"text for a double", {1, "half"}, DISP_E_TYPEMISMATCH, 0},
      {"too large for LONG", {1e12, 1.0}, DISP_E_OVERFLOW, 1},
      {"bad bool in third of four", {1, 1.0, "maybe", "x"}, DISP_E_TYPEMISMATCH, 1},
  };
  for (const Case& c : cases) {
    Outcome r = InvokeName(d, u"Format", kCall, c.args);
    EXPECT_EQ(r.hr, c.hr) << c.what;
    EXPECT_EQ(r.argErr, c.argErr) << c.what;
  }
  // An object that is not a widget where a widget is wanted.
  auto plain = kelto::com::MakeObject<Plain>();
  Outcome r = InvokeName(d, u"Child", kPutRef, {_variant_t(static_cast<IDispatch*>(plain.Get()))});
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.argErr, 0u);
  EXPECT_EQ(widget->child, nullptr);
}

TEST_F(DispatchTest, PropertyPutsConvertAndNeedNoNamedArgument) {
  // A number put into a string property is converted.
  ASSERT_EQ(InvokeName(d, u"name", kPut, {_variant_t(42)}).hr, S_OK);
  EXPECT_EQ(widget->name, "42");

  // Item(key) = value, then the default member with flags 3.
  ASSERT_EQ(InvokeId(d, DISPID_VALUE, kPut, {_variant_t(2), _variant_t("two")}).hr, S_OK);
  EXPECT_EQ(_bstr_t(InvokeId(d, DISPID_VALUE, kCall, {_variant_t(2)}).value).str(), "two");
  // Without the named DISPID_PROPERTYPUT argument the put is still understood.
  _variant_t value("plain");
  DISPPARAMS bare{&value, nullptr, 1, 0};
  EXPECT_EQ(d->Invoke(2, GUID_NULL, 0, kPut, &bare, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(widget->name, "plain");
}

TEST_F(DispatchTest, PutAndPutRefChooseTheirMember) {
  auto other = kelto::com::MakeObject<Widget>();
  _variant_t object(static_cast<IDispatch*>(static_cast<ITestWidget*>(other.Get())));

  // Tag has both: each flag reaches its own member.
  ASSERT_EQ(InvokeName(d, u"Tag", kPut, {_variant_t(5)}).hr, S_OK);
  EXPECT_EQ(widget->lastPut, "put");
  ASSERT_EQ(InvokeName(d, u"Tag", kPutRef, {object}).hr, S_OK);
  EXPECT_EQ(widget->lastPut, "putref");
  // Both flags with an object: by reference.
  ASSERT_EQ(InvokeName(d, u"Tag", kPut | kPutRef, {object}).hr, S_OK);
  EXPECT_EQ(widget->lastPut, "putref");

  // Child has putref only: a plain put of an object falls back to it, a
  // plain put of a number finds nothing.
  ASSERT_EQ(InvokeName(d, u"Child", kPut, {object}).hr, S_OK);
  EXPECT_EQ(widget->child.Get(), static_cast<ITestWidget*>(other.Get()));
  EXPECT_EQ(InvokeName(d, u"Child", kPut, {_variant_t(1)}).hr, DISP_E_MEMBERNOTFOUND);
  // Name has put only: a putref does not reach it.
  EXPECT_EQ(InvokeName(d, u"Name", kPutRef, {object}).hr, DISP_E_MEMBERNOTFOUND);

  // The interface getter hands the child back as VT_DISPATCH; Nothing clears it.
  Outcome r = InvokeName(d, u"Child", kCall, {});
  ASSERT_EQ(r.value.vt, VT_DISPATCH);
  EXPECT_EQ(r.value.pdispVal, static_cast<IDispatch*>(static_cast<ITestWidget*>(other.Get())));
  ASSERT_EQ(InvokeName(d, u"Child", kPutRef, {_variant_t(static_cast<IDispatch*>(nullptr))}).hr,
            S_OK);
  EXPECT_EQ(widget->child, nullptr);
}

TEST_F(DispatchTest, MemberFailuresBecomeExceptionsWithErrorInfo) {
  Outcome r = InvokeName(d, u"Fail", kCall, {_variant_t("Key not found")});
  EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, E_FAIL);
  EXPECT_EQ(r.error, "Key not found");
  EXPECT_EQ(r.source, kelto::com::FormatGuid(kWidgetClsid));
  EXPECT_EQ(r.value.vt, VT_EMPTY);
  // The information went into EXCEPINFO; nothing is left pending.
  IErrorInfo* pending = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &pending), S_FALSE);

  // A member failing without error information still gets a description,
  // and an older failure's text does not leak into it.
  kelto::com::SetError(kWidgetClsid, IidOf<ITestWidget>(), "stale");
  r = InvokeName(d, u"Unimplemented", DISPATCH_METHOD, {});
  EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, E_NOTIMPL);
  EXPECT_NE(r.error, "stale");
  EXPECT_FALSE(r.error.empty());
}

// --- the boundary helper -----------------------------------------------------

TEST(BoundaryTest, ExceptionsBecomeHResultsAndErrorInfo) {
  constexpr CLSID clsid = kelto::com::MakeGuid("11111111-2222-3333-4444-555555555555");
  const IID& iid = IidOf<ITestWidget>();
  struct Case {
    const char* what;
    std::function<void()> body;
    HRESULT hr;
    std::string text;
  };
  const Case cases[] = {
      // runtime_error, invalid_argument and out_of_range reach scripts from the
      // model's faces, whose tests pin their codes and texts.
      {"bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, "Out of memory."},
      {"HResultError", [] { throw kelto::com::HResultError(E_POINTER, "Null."); }, E_POINTER,
       "Null."},
      {"HResultError with a success code still fails",
       [] { throw kelto::com::HResultError(S_FALSE, "odd"); }, E_FAIL, "odd"},
      {"_com_error without description", [] { throw _com_error(DISP_E_TYPEMISMATCH); },
       DISP_E_TYPEMISMATCH, kelto::com::DescribeHResult(DISP_E_TYPEMISMATCH)},
      {"anything else", [] { throw 42; }, E_FAIL, "Unknown error."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(kelto::com::Guard(clsid, iid, k.body), k.hr);
    const Pending p = TakePending();
    EXPECT_EQ(p.text, k.text);
    EXPECT_EQ(p.source, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(p.guid, iid);
  }

  // A _com_error keeps the description an outside object left behind.
  kelto::com::SetError(kelto::com::MakeGuid("99999999-2222-3333-4444-555555555555"), GUID_NULL,
                       "Disk full");
  EXPECT_EQ(kelto::com::Guard(clsid, iid, [] { kelto::com::ThrowComError(STG_E_MEDIUMFULL); }),
            STG_E_MEDIUMFULL);
  const Pending p = TakePending();
  EXPECT_EQ(p.text, "Disk full");
  EXPECT_EQ(p.source, kelto::com::FormatGuid(clsid));
}

TEST(BoundaryTest, SuccessClearsAndReturnedFailureKeepsErrorInfo) {
  const IID& iid = IidOf<ITestWidget>();
  kelto::com::SetError(kWidgetClsid, iid, "old");
  EXPECT_EQ(kelto::com::Guard(kWidgetClsid, iid, [] {}), S_OK);
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);

  EXPECT_EQ(kelto::com::Guard(kWidgetClsid, iid, [] { return S_FALSE; }), S_FALSE);
  const HRESULT hr = kelto::com::Guard(kWidgetClsid, iid, [&] {
    return kelto::com::ReportError(kWidgetClsid, iid, "Invalid Position", E_INVALIDARG);
  });
  EXPECT_EQ(hr, E_INVALIDARG);
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  info->Release();
}

// --- the thread's error information -----------------------------------------

TEST(ErrorInfoTest, EachThreadsSlotHandsOverOnce) {
  IErrorInfo* got = nullptr;
  if (GetErrorInfo(0, &got) == S_OK) got->Release();  // whatever earlier tests left
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  ComPtr<IErrorInfo> info = create.As<IErrorInfo>();
  // The slot holds a reference of its own: it keeps the object alive.
  IErrorInfo* raw = info.Get();
  SetErrorInfo(0, raw);
  create.Reset();
  info.Reset();
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  EXPECT_EQ(got, raw);
  EXPECT_EQ(got->Release(), 0u);
  EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);  // handed over once

  // Each thread has its own slot.
  kelto::com::SetError(GUID_NULL, GUID_NULL, "main thread");
  HRESULT seenByOther = S_OK;
  std::thread other([&] {
    IErrorInfo* info = nullptr;
    seenByOther = GetErrorInfo(0, &info);
    kelto::com::SetError(GUID_NULL, GUID_NULL, "other thread");  // released at thread exit
  });
  other.join();
  EXPECT_EQ(seenByOther, S_FALSE);
  EXPECT_EQ(TakePending().text, "main thread");
}

}  // namespace
