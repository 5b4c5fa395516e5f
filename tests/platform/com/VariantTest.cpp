// VariantClear/Copy/CopyInd ownership rules, the _variant_t wrapper and
// _com_error.
#include <gtest/gtest.h>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::test::FakeDispatch;
using kelto::com::test::FakeUnknown;
using kelto::com::test::Ref;

TEST(Variant, ClearReleasesOwnedValuesButNotReferences) {
  FakeUnknown unk;
  VARIANT v;
  v.vt = VT_UNKNOWN;
  v.punkVal = &unk;
  unk.AddRef();
  ASSERT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(unk.refs, 1u);

  IUnknown* slot = &unk;
  v = Ref(VT_UNKNOWN, &slot);
  ASSERT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(unk.refs, 1u);

  BSTR s = SysAllocString(u"kept");
  v = Ref(VT_BSTR, &s);
  ASSERT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(kelto::com::BstrToUtf8(s), "kept");  // ASan would flag a use after free
  SysFreeString(s);

  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"owned");
  EXPECT_EQ(VariantClear(&v), S_OK);  // ASan flags a leak if not freed

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

  // In place.
  ASSERT_EQ(VariantCopyInd(&ref, &ref), S_OK);
  EXPECT_EQ(ref.vt, VT_UNKNOWN);
  EXPECT_EQ(unk.refs, 2u);
  VariantClear(&ref);

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

}  // namespace
