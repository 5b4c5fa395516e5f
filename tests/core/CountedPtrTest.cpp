#include "core/CountedPtr.h"

#include <gtest/gtest.h>

namespace {

// Counts live instances so that every test can assert "destroyed exactly once".
struct Tracked {
  static inline int alive = 0;
  static inline int destroyed = 0;
  Tracked() { ++alive; }
  Tracked(const Tracked&) { ++alive; }
  virtual ~Tracked() {
    --alive;
    ++destroyed;
  }
};
struct DerivedTracked : Tracked {};

struct Intrusive : Tracked, cptr::counted<Intrusive> {
  cptr::counted_ptr<Intrusive, 1> Self() { return cptr::counted_ptr<Intrusive, 1>(this); }
};

class CountedPtrTest : public ::testing::Test {
 protected:
  void SetUp() override { Tracked::alive = Tracked::destroyed = 0; }
  void TearDown() override { EXPECT_EQ(Tracked::alive, 0) << "leaked or double-freed object"; }
};

// Plain sharing, copying and destruction are exercised by every model-tree
// test (and checked by the sanitizers); here the rules peculiar to this pointer.
TEST_F(CountedPtrTest, IntrusiveCountIsSharedByPointersMadeFromTheSameRawPointer) {
  Intrusive* raw = new Intrusive;
  {
    cptr::counted_ptr<Intrusive, 1> a(raw);
    cptr::counted_ptr<Intrusive, 1> b(raw);
    cptr::counted_ptr<Intrusive, 1> c = raw->Self();
    EXPECT_EQ(a.use_count(), 3u);
    a.reset();
    b.reset();
    EXPECT_EQ(Tracked::destroyed, 0);
  }
  EXPECT_EQ(Tracked::destroyed, 1);
  // A copy of an intrusively counted object has its own count.
  cptr::counted_ptr<Intrusive, 1> a(new Intrusive);
  cptr::counted_ptr<Intrusive, 1> b(new Intrusive(*a));
  EXPECT_EQ(a.use_count(), 1u);
  EXPECT_EQ(b.use_count(), 1u);
}

// A plain Detach hands a model node back to its ModelNode (tests/com).
TEST_F(CountedPtrTest, DetachHandsOverOnlyTheLastReference) {
  cptr::counted_ptr<Intrusive, 1> i(new Intrusive);
  Intrusive* iraw = i.Detach();
  EXPECT_EQ(Tracked::alive, 1);
  // The object forgot its old block: counting it again starts afresh.
  cptr::counted_ptr<Intrusive, 1> again(iraw);
  EXPECT_EQ(again.use_count(), 1u);

  // With a second reference, Detach throws and changes nothing.
  cptr::counted_ptr<Tracked> b(new Tracked);
  cptr::counted_ptr<Tracked> c = b;
  EXPECT_THROW(b.Detach(), cptr::counted_ptr<Tracked>::BadDetach);
  EXPECT_EQ(b.get(), c.get());
  EXPECT_EQ(b.use_count(), 2u);
  cptr::counted_ptr<Intrusive, 1> k(new Intrusive);
  cptr::counted_ptr<Intrusive, 1> j = k->Self();
  using IntrusiveBase = cptr::counted_ptr_base<Intrusive, 1>;
  EXPECT_THROW(k.Detach(), IntrusiveBase::BadDetach);
  EXPECT_EQ(j.use_count(), 2u);
}

TEST_F(CountedPtrTest, ConversionToBaseSharesIntrusiveBlocksOnly) {
  cptr::counted_ptr<Intrusive, 1> i(new Intrusive);
  cptr::counted_ptr<Tracked> base = i;  // N = 1 block: CanConvert
  EXPECT_EQ(i.use_count(), 2u);
  EXPECT_EQ(base.get(), static_cast<Tracked*>(i.get()));
  i.reset();
  EXPECT_EQ(Tracked::alive, 1);
  base.reset();
  EXPECT_EQ(Tracked::destroyed, 1);

  cptr::counted_ptr<DerivedTracked> d(new DerivedTracked);
  using Target = cptr::counted_ptr<Tracked>;
  EXPECT_THROW(Target t = d, Target::BadCountedPtr);
  EXPECT_EQ(d.use_count(), 1u);

  cptr::counted_ptr<DerivedTracked> nothing;
  EXPECT_NO_THROW(Target t = nothing);
}

}  // namespace
