// SAFEARRAY: element types and element ownership. Two-dimensional bounds and
// storage order are pinned byte for byte by the option stream tests.
#include <gtest/gtest.h>

#include <cstring>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::test::FakeUnknown;

struct ArrayDeleter {
  void operator()(SAFEARRAY* psa) const { SafeArrayDestroy(psa); }
};
using ArrayPtr = std::unique_ptr<SAFEARRAY, ArrayDeleter>;

TEST(SafeArray, VectorsRememberTheirElementTypeAndMayBeEmpty) {
  for (VARTYPE vt : {VT_I2, VT_BSTR, VT_VARIANT, VT_DISPATCH, VT_DECIMAL}) {
    ArrayPtr psa(SafeArrayCreateVector(vt, 0, 2));
    ASSERT_TRUE(psa) << vt;
    VARTYPE got = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(psa.get(), &got), S_OK);
    EXPECT_EQ(got, vt);
  }
  EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);

  // An empty dimension has its upper bound below its lower bound.
  ArrayPtr empty(SafeArrayCreateVector(VT_I4, 5, 0));
  ASSERT_TRUE(empty);
  LONG hi = 0;
  ASSERT_EQ(SafeArrayGetUBound(empty.get(), 1, &hi), S_OK);
  EXPECT_EQ(hi, 4);
}

TEST(SafeArray, StringElementsAreCopiedInAndOutAndFreedWithTheArray) {
  ArrayPtr psa(SafeArrayCreateVector(VT_BSTR, 0, 3));
  ASSERT_TRUE(psa);
  LONG idx = 1;
  _bstr_t elbow("elbow");
  ASSERT_EQ(SafeArrayPutElement(psa.get(), &idx, elbow.GetBSTR()), S_OK);
  BSTR out = nullptr;
  ASSERT_EQ(SafeArrayGetElement(psa.get(), &idx, &out), S_OK);
  EXPECT_EQ(kelto::com::BstrToUtf8(out), "elbow");
  SysFreeString(out);
  idx = 0;
  ASSERT_EQ(SafeArrayGetElement(psa.get(), &idx, &out), S_OK);
  EXPECT_EQ(out, nullptr);  // never set
  // ASan reports a leak here if destroying the array skips its strings.
}

TEST(SafeArray, VariantAndInterfaceElementsOwnTheirContent) {
  FakeUnknown unk;
  {
    ArrayPtr objs(SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
    LONG idx = 0;
    ASSERT_EQ(SafeArrayPutElement(objs.get(), &idx, static_cast<IUnknown*>(&unk)), S_OK);
    EXPECT_EQ(unk.refs, 2u);
    IUnknown* got = nullptr;
    ASSERT_EQ(SafeArrayGetElement(objs.get(), &idx, &got), S_OK);
    EXPECT_EQ(got, &unk);
    EXPECT_EQ(unk.refs, 3u);
    got->Release();

    ArrayPtr vars(SafeArrayCreateVector(VT_VARIANT, 0, 2));
    _variant_t text("valve");
    ASSERT_EQ(SafeArrayPutElement(vars.get(), &idx, &text), S_OK);
    _variant_t obj(static_cast<IUnknown*>(&unk));
    idx = 1;
    ASSERT_EQ(SafeArrayPutElement(vars.get(), &idx, &obj), S_OK);
    EXPECT_EQ(unk.refs, 4u);
    VARIANT out;
    idx = 0;
    ASSERT_EQ(SafeArrayGetElement(vars.get(), &idx, &out), S_OK);
    _variant_t owned(out, false);
    EXPECT_EQ(owned.ToString(), "valve");
    EXPECT_NE(owned.bstrVal, text.bstrVal);
  }
  EXPECT_EQ(unk.refs, 1u);
}

}  // namespace
