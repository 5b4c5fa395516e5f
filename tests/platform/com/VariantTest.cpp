// VariantClear/Copy/CopyInd ownership rules, the _variant_t wrapper and
// _com_error; BSTR allocation, UTF-8/UTF-16 and the _bstr_t wrapper; the
// IEnumVARIANT the collections hand out.
#include <gtest/gtest.h>

#include <cstring>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::Utf16ToUtf8;
using kelto::com::Utf8ToUtf16;
using kelto::com::test::FakeDispatch;
using kelto::com::test::FakeUnknown;
using kelto::com::test::Ref;

// Owned values are released by every _variant_t here (ASan and the reference
// counts below see a miss); references are not.
TEST(Variant, ClearLeavesWhatAReferencePointsAt) {
  FakeUnknown unk;
  IUnknown* slot = &unk;
  VARIANT v = Ref(VT_UNKNOWN, &slot);
  ASSERT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(unk.refs, 1u);

  BSTR s = SysAllocString(u"kept");
  v = Ref(VT_BSTR, &s);
  ASSERT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(kelto::com::BstrToUtf8(s), "kept");  // ASan would flag a use after free
  SysFreeString(s);

  v.vt = 15;
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
}

TEST(Variant, CopyIsDeep) {
  FakeDispatch disp;
  _variant_t src("joint");
  _variant_t dst(42);
  ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
  EXPECT_NE(dst.bstrVal, src.bstrVal);

  // Odd byte lengths survive a copy.
  VARIANT bytes;
  bytes.vt = VT_BSTR;
  bytes.bstrVal = SysAllocStringByteLen("abc", 3);
  _variant_t copy(bytes);
  EXPECT_EQ(SysStringByteLen(copy.bstrVal), 3u);
  VariantClear(&bytes);

  {
    _variant_t obj(static_cast<IDispatch*>(&disp));
    EXPECT_EQ(disp.refs, 2u);
    _variant_t obj2(obj);
    EXPECT_EQ(disp.refs, 3u);
    // Copying onto itself changes nothing.
    ASSERT_EQ(VariantCopy(&obj2, &obj2), S_OK);
    EXPECT_EQ(disp.refs, 3u);
    // A reference is copied as a reference: no AddRef.
    IDispatch* slot = &disp;
    _variant_t refCopy(Ref(VT_DISPATCH, &slot));
    EXPECT_EQ(refCopy.vt, VT_DISPATCH | VT_BYREF);
    EXPECT_EQ(disp.refs, 3u);
  }
  EXPECT_EQ(disp.refs, 1u);
}

TEST(Variant, CopyIndDereferencesOneLevel) {
  FakeUnknown unk;
  IUnknown* slot = &unk;
  VARIANT ref = Ref(VT_UNKNOWN, &slot);
  {
    _variant_t out;
    ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
    EXPECT_EQ(out.vt, VT_UNKNOWN);
    EXPECT_EQ(unk.refs, 2u);
  }
  EXPECT_EQ(unk.refs, 1u);

  BSTR s = SysAllocString(u"spool");
  const VARIANT sref = Ref(VT_BSTR, &s);
  _variant_t out;
  ASSERT_EQ(VariantCopyInd(&out, &sref), S_OK);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_NE(out.bstrVal, s);
  EXPECT_EQ(out.ToString(), "spool");
  SysFreeString(s);

  double d = 2.5;
  _variant_t inner(Ref(VT_R8, &d));  // VariantCopy keeps the reference...
  VARIANT vref = Ref(VT_VARIANT, &inner);
  // ...and a reference to a variant that is itself a reference is refused.
  EXPECT_EQ(VariantCopyInd(&out, &vref), E_INVALIDARG);
  EXPECT_EQ(out.ToString(), "spool");
  _variant_t plain(2.5);
  vref.pvarVal = &plain;
  ASSERT_EQ(VariantCopyInd(&out, &vref), S_OK);
  EXPECT_EQ(out.vt, VT_R8);
  EXPECT_EQ(out.dblVal, 2.5);
}

TEST(VariantWrapper, AccessorsConvertAndThrowOnFailure) {
  EXPECT_EQ(_variant_t("  17 ").ToInt32(), 17);
  EXPECT_TRUE(_variant_t("True").ToBool());
  EXPECT_EQ(_variant_t(u"\u00e9t\u00e9").ToString(), "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(_variant_t().ToString(), "");
  EXPECT_TRUE(_bstr_t() == _bstr_t(""));
  EXPECT_EQ(_bstr_t(_variant_t(2.5)).str(), "2.5");
  EXPECT_THROW(_bstr_t(_variant_t::Null()), _com_error);
  try {
    (void)_variant_t("pipe").ToInt32();
    FAIL() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DISP_E_TYPEMISMATCH);
    EXPECT_NE(std::string(e.what()).find("Type mismatch."), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("0x80020005"), std::string::npos) << e.what();
  }
}

TEST(ComError, CarriesHresultIidAndTheCapturedDescription) {
  _com_error plain(E_NOINTERFACE, nullptr, kelto::com::IidOf<IDispatch>());
  EXPECT_EQ(plain.Error(), E_NOINTERFACE);
  EXPECT_EQ(plain.Iid(), kelto::com::IidOf<IDispatch>());
  EXPECT_EQ(plain.Description(), "");
  EXPECT_STREQ(plain.what(), "No such interface supported. (0x80004002)");
  EXPECT_EQ(kelto::com::DescribeHResult(MakeHResult(0x80041234)), "Unknown error 0x80041234");

  EXPECT_EQ(kelto::com::ThrowIfFailed(S_FALSE), S_FALSE);
  // The thread's error information travels with the exception.
  kelto::com::SetError(GUID_NULL, GUID_NULL, "Pipe 12 has no end point");
  try {
    kelto::com::ThrowIfFailed(E_FAIL);
    FAIL() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Description(), "Pipe 12 has no end point");
    EXPECT_STREQ(e.what(), "Pipe 12 has no end point (0x80004005)");
    EXPECT_NE(e.ErrorInfo(), nullptr);
  }
}

std::uint32_t Prefix(BSTR b) {
  std::uint32_t n = 0;
  std::memcpy(&n, reinterpret_cast<const char*>(b) - 4, 4);
  return n;
}

TEST(Bstr, CarriesItsByteLengthInFrontAnExtraNullAndEmbeddedNulls) {
  BSTR b = SysAllocString(u"Test");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Prefix(b), 8u);
  EXPECT_EQ(SysStringLen(b), 4u);
  EXPECT_EQ(b[4], u'\0');
  SysFreeString(b);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  BSTR empty = SysAllocStringLen(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], u'\0');
  SysFreeString(empty);

  const char16_t text[] = {u'a', u'\0', u'b'};
  b = SysAllocStringLen(text, 3);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(kelto::com::BstrView(b), std::u16string_view(text, 3));
  EXPECT_EQ(kelto::com::BstrToUtf8(b), std::string("a\0b", 3));
  SysFreeString(b);

  b = SysAllocStringByteLen("Test", 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringByteLen(b), 3u);
  EXPECT_EQ(SysStringLen(b), 1u);  // whole characters only
  EXPECT_STREQ(reinterpret_cast<const char*>(b), "Tes");
  SysFreeString(b);
  EXPECT_EQ(SysAllocStringByteLen("x", 0xFFFFFFFFu), nullptr);
}

TEST(Strings, Utf8AndUtf16ConvertAndInvalidInputIsReplaced) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"DN 50 \xc3\x98", u"DN 50 \u00D8"},
      {"\xf0\x9f\x94\xa7", u"\U0001F527"},  // a surrogate pair
      {"a\xff"
       "b",
       u"a\uFFFDb"},                                      // impossible byte
      {"\xc3", u"\uFFFD"},                                // truncated sequence
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Utf8ToUtf16(in), out) << in;
  EXPECT_EQ(Utf16ToUtf8(u"DN 50 \u00D8\U0001F527"), "DN 50 \xc3\x98\xf0\x9f\x94\xa7");
  // A lone surrogate in UTF-16 becomes U+FFFD in UTF-8.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'x'}), "\xef\xbf\xbdx");
}

// Counts live instances, to see that the enumerator holds and releases
// references to object items.
class Counted final : public kelto::com::Object<Counted, IUnknown> {
 public:
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }

 private:
  int* alive_;
};

// The collections hand their items over with the adopting form.
ComPtr<IEnumVARIANT> Over(std::vector<_variant_t> items) {
  std::vector<VARIANT> raw;
  for (_variant_t& v : items) raw.push_back(v.Detach());
  ComPtr<IEnumVARIANT> e;
  EXPECT_EQ(kelto::com::CreateEnumVariant(std::move(raw), e.Put()), S_OK);
  EXPECT_TRUE(raw.empty());
  return e;
}

// Fetches up to n items and returns their I4 values.
std::vector<LONG> Take(IEnumVARIANT* e, ULONG n, HRESULT expect) {
  std::vector<VARIANT> out(n);
  ULONG fetched = 99;
  EXPECT_EQ(e->Next(n, out.data(), &fetched), expect);
  std::vector<LONG> values;
  for (ULONG i = 0; i < fetched; ++i) {
    values.push_back(out[i].lVal);
    VariantClear(&out[i]);
  }
  return values;
}

TEST(EnumVariantTest, NextFetchesInOrderAndObjectItemsAreHeldUntilTheEnd) {
  auto e = Over({1, 2, 3});
  EXPECT_EQ(Take(e.Get(), 2, S_OK), (std::vector<LONG>{1, 2}));
  EXPECT_EQ(Take(e.Get(), 5, S_FALSE), (std::vector<LONG>{3}));
  EXPECT_EQ(Take(e.Get(), 1, S_FALSE), (std::vector<LONG>{}));

  // Object items are held until the enumerator goes.
  int alive = 0;
  {
    auto object = kelto::com::MakeObject<Counted>(&alive);
    e = Over({_variant_t(static_cast<IUnknown*>(object.Get()))});
    object.Reset();
    VARIANT v;
    ASSERT_EQ(e->Next(1, &v, nullptr), S_OK);
    EXPECT_EQ(v.vt, VT_UNKNOWN);
    VariantClear(&v);
    EXPECT_EQ(alive, 1);
    e.Reset();
  }
  EXPECT_EQ(alive, 0);
}

}  // namespace
