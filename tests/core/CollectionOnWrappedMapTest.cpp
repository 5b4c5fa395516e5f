// CCollectionOnWrappedMapImpl over a plain map of bindings: the table
// behaviour the mouse action tables are built on, through IDispatch and
// through the C++-only position-or-key members.
#include "core/CollectionOnWrappedMap.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "core/ComWrapper.h"
#include "core/Wrapped.h"
#include "platform/com/Object.h"
#include "support/ScriptHost.h"

namespace {

// Keys are flag sets, values are what the scripting enumeration stands for
// (here: 10 for "one", 20 for "two"; 99 is a stored value no enumerator
// names).
enum TestKeys : LONG { tkLeft = 1, tkRight = 2, tkShift = 4 };
enum TestAction : LONG { taNone = 0, taOne = 1, taTwo = 2 };
using TestMap = CWrapped<std::map<unsigned, int>>;

struct ITestTable : IDispatch {
  virtual HRESULT Add(TestKeys Keys, TestAction Action) = 0;
  virtual HRESULT Remove(TestKeys Keys) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get_Item(TestKeys Keys, TestAction* pVal) = 0;
  virtual HRESULT put_Item(TestKeys Keys, TestAction newVal) = 0;
  virtual HRESULT get_Count(LONG* pVal) = 0;
  virtual HRESULT Keys(VARIANT* pVal) = 0;
};

}  // namespace

KELTO_INTERFACE_IID(ITestTable, IDispatch, "3D4A4F2F-A06C-42A4-9029-06B9E7C0AD9B");
// clang-format off
KELTO_DISPATCH_MAP(ITestTable,
    kelto::com::Method<&ITestTable::Add>("Add", 1),
    kelto::com::Method<&ITestTable::Remove>("Remove", 2),
    kelto::com::Method<&ITestTable::RemoveAll>("RemoveAll", 3),
    kelto::com::PropGet<&ITestTable::get_Item>("Item", DISPID_VALUE),
    kelto::com::PropPut<&ITestTable::put_Item>("Item", DISPID_VALUE),
    kelto::com::PropGet<&ITestTable::get_Count>("Count", 4),
    kelto::com::Method<&ITestTable::Keys>("Keys", 5));
// clang-format on

namespace {

struct TestTableClass {
  static constexpr CLSID clsid = kelto::com::MakeGuid("18F351FD-35E2-44D8-BB2F-3761D83131C7");
};

class CTestTable : public kelto::com::Object<
                       CTestTable,
                       CCollectionOnWrappedMapImpl<CTestTable, ITestTable, TestMap, TestKeys,
                                                   unsigned, TestAction, int, LONG>,
                       kelto::com::SupportErrorInfo<ITestTable>>,
                   public CComWrapper<TestMap, CTestTable, TestTableClass, ITestTable, TestMap*,
                                      CDPOwner<TestMap>> {
 public:
  static constexpr CLSID kClsid = TestTableClass::clsid;
  static TestAction ToEnum(const int& value) {
    if (value == 10) return taOne;
    if (value == 20) return taTwo;
    throw std::invalid_argument("Unknown test action.");
  }
  static int FromEnum(TestAction action) {
    if (action == taOne) return 10;
    if (action == taTwo) return 20;
    throw std::invalid_argument("Unknown test action.");
  }
};

using kelto::test::Call;
using kelto::test::Get;
using kelto::test::Put;

class CollectionOnWrappedMap : public ::testing::Test {
 protected:
  CollectionOnWrappedMap() {
    table_ = kelto::com::MakeObject<CTestTable>();
    table_->Attach(&map_);
    dispatch_ = static_cast<ITestTable*>(table_.Get());
  }

  std::vector<LONG> Keys() {
    auto r = Call(dispatch_, u"Keys");
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.value.vt, VT_ARRAY | VT_I4);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(r.value.parray, 1, &lower);
    SafeArrayGetUBound(r.value.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    std::vector<LONG> keys(upper - lower + 1);
    for (LONG i = lower; i <= upper; ++i) SafeArrayGetElement(r.value.parray, &i, &keys[i - lower]);
    return keys;
  }
  LONG ItemOf(LONG keys) { return Get(dispatch_, u"Item", {_variant_t(keys)}).value.lVal; }

  TestMap map_;
  kelto::com::ComPtr<CTestTable> table_;
  IDispatch* dispatch_ = nullptr;
};

TEST_F(CollectionOnWrappedMap, AddBindsOnceAndNoneBindsNothing) {
  ASSERT_TRUE(Call(dispatch_, u"Add", {_variant_t(tkRight | tkShift), _variant_t(taOne)}).ok());
  ASSERT_TRUE(Call(dispatch_, u"Add", {_variant_t(tkLeft), _variant_t(taTwo)}).ok());
  EXPECT_EQ(map_, (std::map<unsigned, int>{{1, 20}, {6, 10}}));
  // Bound already: refused even with the same action.
  auto again = Call(dispatch_, u"Add", {_variant_t(tkLeft), _variant_t(taTwo)});
  EXPECT_EQ(again.error, "Already exists.");
  EXPECT_TRUE(Call(dispatch_, u"Add", {_variant_t(tkShift), _variant_t(taNone)}).ok());
  auto unknown = Call(dispatch_, u"Add", {_variant_t(tkShift), _variant_t(7)});
  EXPECT_EQ(unknown.error, "Unknown test action.");
  EXPECT_EQ(unknown.scode, E_INVALIDARG);
  EXPECT_EQ(Get(dispatch_, u"Count").value.lVal, 2);
  EXPECT_EQ(Keys(), (std::vector<LONG>{1, 6}));
}

TEST_F(CollectionOnWrappedMap, ItemReadsRebindsAndUnbinds) {
  map_ = {{1, 10}, {4, 20}};
  EXPECT_EQ(ItemOf(1), taOne);
  EXPECT_EQ(ItemOf(2), taNone);
  ASSERT_TRUE(Put(dispatch_, u"Item", {_variant_t(1), _variant_t(taTwo)}).ok());
  ASSERT_TRUE(Put(dispatch_, u"Item", {_variant_t(8), _variant_t(taOne)}).ok());
  EXPECT_EQ(map_, (std::map<unsigned, int>{{1, 20}, {4, 20}, {8, 10}}));
  auto refused = Put(dispatch_, u"Item", {_variant_t(1), _variant_t(7)});
  EXPECT_EQ(refused.error, "Unknown test action.");
  EXPECT_EQ(map_.at(1), 20);
  ASSERT_TRUE(Put(dispatch_, u"Item", {_variant_t(4), _variant_t(taNone)}).ok());
  EXPECT_EQ(map_.count(4), 0u);
  // A stored value no enumerator names cannot be read back.
  map_[16] = 99;
  EXPECT_EQ(Get(dispatch_, u"Item", {_variant_t(16)}).error, "Unknown test action.");
}

TEST_F(CollectionOnWrappedMap, VariantIndicesArePositionsOrKeys) {
  map_ = {{1, 10}, {4, 20}, {6, 10}};
  TestAction action = taNone;
  // VT_I4 is a 0-based position; other types are keys.
  ASSERT_EQ(table_->get_ItemAt(_variant_t(1), &action), S_OK);
  EXPECT_EQ(action, taTwo);
  ASSERT_EQ(table_->get_ItemAt(_variant_t("6"), &action), S_OK);
  EXPECT_EQ(action, taOne);
  ASSERT_EQ(table_->get_ItemAt(_variant_t(short{2}), &action), S_OK);
  EXPECT_EQ(action, taNone);  // key 2 is unbound

  ASSERT_EQ(table_->put_ItemAt(_variant_t(0), taTwo), S_OK);
  EXPECT_EQ(map_.at(1), 20);
  ASSERT_EQ(table_->RemoveAt(_variant_t(2)), S_OK);  // position 2 is key 6
  ASSERT_EQ(table_->RemoveAt(_variant_t("4")), S_OK);
  EXPECT_EQ(map_, (std::map<unsigned, int>{{1, 20}}));

  EXPECT_EQ(table_->get_ItemAt(_variant_t(1), &action), DISP_E_BADINDEX);  // past the end
  EXPECT_EQ(table_->get_ItemAt(_variant_t(-1), &action), DISP_E_BADINDEX);
  EXPECT_EQ(table_->RemoveAt(_variant_t("left")), DISP_E_BADINDEX);
  EXPECT_EQ(table_->get_ItemAt(_variant_t(1), nullptr), E_POINTER);
}

TEST_F(CollectionOnWrappedMap, AMapThatGoesAwayLeavesAnEmptyTableOfItsOwn) {
  auto table = kelto::com::MakeObject<CTestTable>();
  {
    TestMap owned;
    owned[1] = 10;
    table->Attach(&owned);
    EXPECT_EQ(Get(static_cast<ITestTable*>(table.Get()), u"Count").value.lVal, 1);
  }
  IDispatch* dispatch = static_cast<ITestTable*>(table.Get());
  EXPECT_EQ(Get(dispatch, u"Count").value.lVal, 0);
  ASSERT_TRUE(Call(dispatch, u"Add", {_variant_t(tkLeft), _variant_t(taOne)}).ok());
  EXPECT_EQ(Get(dispatch, u"Count").value.lVal, 1);
}

}  // namespace
