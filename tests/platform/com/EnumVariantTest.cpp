// IEnumVARIANT over adopted items: Next with partial fetches and ownership of
// the items.
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
