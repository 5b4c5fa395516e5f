// IEnumVARIANT over copies: Next with partial fetches and ownership of the
// items.
#include "platform/com/EnumVariant.h"

#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/Object.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::ComPtr;

// Counts live instances, to see that the enumerator holds and releases
// references to object items.
class Counted final : public kelto::com::Object<Counted, IUnknown> {
 public:
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }

 private:
  int* alive_;
};

ComPtr<IEnumVARIANT> Over(std::vector<_variant_t> items) {
  std::vector<VARIANT> raw(items.begin(), items.end());
  ComPtr<IEnumVARIANT> e;
  EXPECT_EQ(kelto::com::CreateEnumVariant(raw, e.Put()), S_OK);
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

TEST(EnumVariantTest, NextFetchesInOrderAndChecksTheFetchedCount) {
  auto e = Over({1, 2, 3});
  EXPECT_EQ(Take(e.Get(), 2, S_OK), (std::vector<LONG>{1, 2}));
  EXPECT_EQ(Take(e.Get(), 5, S_FALSE), (std::vector<LONG>{3}));
  EXPECT_EQ(Take(e.Get(), 1, S_FALSE), (std::vector<LONG>{}));

  // The fetched count may be left out only when one item is asked for.
  e = Over({"a", "b"});
  VARIANT v[2];
  EXPECT_EQ(e->Next(2, v, nullptr), E_POINTER);
  ASSERT_EQ(e->Next(1, v, nullptr), S_OK);  // the refused call did not move
  EXPECT_EQ(_bstr_t(v[0]).str(), "a");
  VariantClear(&v[0]);
}

TEST(EnumVariantTest, ItemsAreCopiesObjectsAreReleasedAndBadItemsRefused) {
  int alive = 0;
  {
    std::vector<VARIANT> items(2);
    _variant_t text("first");
    VariantInit(&items[0]);
    VariantCopy(&items[0], &text);
    auto object = kelto::com::MakeObject<Counted>(&alive);
    items[1].vt = VT_UNKNOWN;
    items[1].punkVal = object.Detach();

    ComPtr<IEnumVARIANT> copied;
    ASSERT_EQ(kelto::com::CreateEnumVariant(std::span<const VARIANT>(items), copied.Put()), S_OK);
    // Changing the source afterwards does not reach the enumerator.
    VariantClear(&items[0]);
    items[0].vt = VT_I4;
    items[0].lVal = 5;
    VARIANT v;
    ASSERT_EQ(copied->Next(1, &v, nullptr), S_OK);
    EXPECT_EQ(_bstr_t(v).str(), "first");
    VariantClear(&v);

    // The adopting form takes the items over: the vector is emptied.
    ComPtr<IEnumVARIANT> adopted;
    ASSERT_EQ(kelto::com::CreateEnumVariant(std::move(items), adopted.Put()), S_OK);
    EXPECT_TRUE(items.empty());
    ASSERT_EQ(adopted->Next(1, &v, nullptr), S_OK);
    EXPECT_EQ(v.lVal, 5);
    ASSERT_EQ(adopted->Next(1, &v, nullptr), S_OK);
    EXPECT_EQ(v.vt, VT_UNKNOWN);
    VariantClear(&v);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);

  // Items that cannot be copied fail the creation.
  VARIANT bad{};
  bad.vt = 0x0FFF;  // no such type
  IEnumVARIANT* e = reinterpret_cast<IEnumVARIANT*>(1);
  EXPECT_TRUE(FAILED(kelto::com::CreateEnumVariant(std::span<const VARIANT>(&bad, 1), &e)));
  EXPECT_EQ(e, nullptr);
}

}  // namespace
