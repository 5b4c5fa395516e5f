// SAFEARRAY: bounds, indexing, element types and element ownership.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::test::FakeUnknown;

struct ArrayDeleter {
  void operator()(SAFEARRAY* psa) const { SafeArrayDestroy(psa); }
};
using ArrayPtr = std::unique_ptr<SAFEARRAY, ArrayDeleter>;

ArrayPtr Make2D(VARTYPE vt) {
  // Dimension 1 (leftmost): 2 elements from 1; dimension 2: 3 elements from -1.
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, -1}};
  return ArrayPtr(SafeArrayCreate(vt, 2, bounds));
}

TEST(SafeArray, TwoDimensionalBoundsAndIndexing) {
  ArrayPtr psa = Make2D(VT_I4);
  ASSERT_TRUE(psa);
  LONG lo = 0, hi = 0;
  ASSERT_EQ(SafeArrayGetLBound(psa.get(), 2, &lo), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(psa.get(), 2, &hi), S_OK);
  EXPECT_EQ(lo, -1);
  EXPECT_EQ(hi, 1);
  EXPECT_EQ(SafeArrayGetUBound(psa.get(), 3, &hi), DISP_E_BADINDEX);

  // Put i*10+j at [i][j]. The descriptor and memory order (rightmost first,
  // leftmost fastest) are pinned byte for byte by the option stream tests.
  for (LONG j = -1; j <= 1; ++j)
    for (LONG i = 1; i <= 2; ++i) {
      LONG idx[2] = {i, j};
      LONG value = i * 10 + j;
      ASSERT_EQ(SafeArrayPutElement(psa.get(), idx, &value), S_OK);
    }
  LONG idx[2] = {2, 0};
  LONG got = 0;
  ASSERT_EQ(SafeArrayGetElement(psa.get(), idx, &got), S_OK);
  EXPECT_EQ(got, 20);
  for (auto bad : {std::pair<LONG, LONG>{3, 0}, {1, -2}}) {
    LONG b[2] = {bad.first, bad.second};
    EXPECT_EQ(SafeArrayGetElement(psa.get(), b, &got), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(psa.get(), b, &got), DISP_E_BADINDEX);
  }
}

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
  LONG hi = 0, idx = 5, v = 0;
  ASSERT_EQ(SafeArrayGetUBound(empty.get(), 1, &hi), S_OK);
  EXPECT_EQ(hi, 4);
  EXPECT_EQ(SafeArrayGetElement(empty.get(), &idx, &v), DISP_E_BADINDEX);
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

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(vars.get(), &copy), S_OK);
    EXPECT_EQ(unk.refs, 5u);
    ASSERT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(unk.refs, 4u);
  }
  EXPECT_EQ(unk.refs, 1u);
}

}  // namespace
