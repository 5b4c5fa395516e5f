// Item, Count and _NewEnum of the collection faces: the index forms a script
// may pass, what an unknown name and a bad position give, the error info of a
// failure, and enumeration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaceFixtures.h"

namespace faces_test {
namespace {

VARIANT ByRef(VARTYPE vt, void* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | vt;
  v.byref = target;
  return v;
}

class Collections : public ::testing::Test {
 protected:
  ComPtr<CKeltoFile> file = OpenFile(Example("drain-spool.json"));
  ComPtr<IKeltoComponent> valve = FindComponent(file.Get(), "D401-V1");
  ComPtr<IKeltoPoints> points = Out(valve.Get(), &IKeltoComponent::get_Points);
  ComPtr<IKeltoLegs> legs = Out(valve.Get(), &IKeltoComponent::get_Legs);
  ComPtr<IKeltoAttributes> attributes = Out(valve.Get(), &IKeltoComponent::get_Attributes);
  ComPtr<IKeltoComponents> components =
      Out(Out(valve.Get(), &IKeltoComponent::get_Pipeline).Get(), &IKeltoPipeline::get_Components);
};

TEST_F(Collections, ItemTakesPositionsAndNames) {
  const _bstr_t runName("Run_2");
  BSTR runText = runName.GetBSTR();
  struct Row {
    const char* what;
    IDispatch* collection;
    _variant_t index;
    HRESULT hr;
    std::string result;  // Name / Id of the item, "<null>", or the error text
  };
  const std::vector<Row> rows = {
      {"point by name", points.Get(), _variant_t("Run_2"), S_OK, "Run_2"},
      {"point by position", points.Get(), _variant_t(0), S_OK, "Run_1"},
      {"point by double", points.Get(), _variant_t(1.0), S_OK, "Run_2"},
      {"point by name reference", points.Get(), ByRef(VT_BSTR, &runText), S_OK, "Run_2"},
      {"unknown point", points.Get(), _variant_t("Centre_1"), S_OK, "<null>"},
      {"point past the end", points.Get(), _variant_t(2), DISP_E_BADINDEX,
       "Invalid index 2: the collection holds 2 items."},
      {"negative point", points.Get(), _variant_t(-1), DISP_E_BADINDEX,
       "Invalid index -1: the collection holds 2 items."},
      {"attribute names are exact", attributes.Get(), _variant_t("tag"), S_OK, "<null>"},
      {"null attribute index", attributes.Get(), _variant_t::Null(), DISP_E_TYPEMISMATCH,
       "Invalid index: expected a 0-based number or a name."},
      {"component by numeric text", components.Get(), _variant_t("6"), S_OK, "D401-V1"},
      {"component by empty index", components.Get(), _variant_t(), S_OK, "D401-FL1"},
      {"component by other text", components.Get(), _variant_t("D401-V1"), DISP_E_TYPEMISMATCH,
       "Invalid index: expected a 0-based number."},
      {"component beyond 32 bits", components.Get(), _variant_t(1e10), DISP_E_BADINDEX,
       "Invalid index: out of range."},
      {"leg past the end", legs.Get(), _variant_t(1), DISP_E_BADINDEX,
       "Invalid index 1: the collection holds 1 item."},
  };
  for (const Row& row : rows) {
    const kelto::test::ScriptResult r = Invoke(row.collection, DISPID_VALUE, {row.index});
    const _variant_t& item = r.value;
    if (row.hr != S_OK) {
      EXPECT_EQ(r.hr, DISP_E_EXCEPTION) << row.what;
      EXPECT_EQ(r.scode, row.hr) << row.what;
      EXPECT_EQ(r.error, row.result) << row.what;
      continue;
    }
    ASSERT_EQ(r.hr, S_OK) << row.what;
    ASSERT_EQ(item.vt, VT_DISPATCH) << row.what;
    const bool isComponent = row.collection == static_cast<IDispatch*>(components.Get());
    EXPECT_EQ(item.pdispVal ? Text(Get(item.pdispVal, isComponent ? "Id" : "Name")) : "<null>",
              row.result)
        << row.what;
  }
}

// Through the vtable the failure is an HRESULT plus error info naming the
// interface; the object says it reports errors that way.
TEST_F(Collections, VtableFailuresLeaveErrorInfo) {
  ComPtr<IKeltoPoint> point;
  EXPECT_EQ(points->get_Item(_variant_t(7), point.Put()), DISP_E_BADINDEX);
  EXPECT_EQ(point, nullptr);
  EXPECT_EQ(kelto::test::TakePending().guid, IidOf<IKeltoPoints>());
  const ComPtr<ISupportErrorInfo> support = points.As<ISupportErrorInfo>();
  ASSERT_TRUE(support);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IidOf<IKeltoPoints>()), S_OK);

  // Null out-pointers: one family for every member of the faces.
  EXPECT_EQ(points->get_Count(nullptr), E_POINTER);
}

// Enumeration hands out the collection's own objects, in order.
TEST_F(Collections, NewEnumListsTheItemsInOrder) {
  const _variant_t enumObject = Get(points.Get(), "_NewEnum");
  ASSERT_EQ(enumObject.vt, VT_UNKNOWN);
  ComPtr<IEnumVARIANT> items = ComPtr<IUnknown>(enumObject.punkVal).As<IEnumVARIANT>();
  ASSERT_TRUE(items);
  std::vector<std::string> names;
  _variant_t item;
  while (items->Next(1, &item, nullptr) == S_OK) {
    if (names.empty()) {
      EXPECT_EQ(kelto::com::Identity(item.pdispVal).Get(),
                kelto::com::Identity(PointOf(valve.Get(), "Run_1").Get()).Get());
    }
    names.push_back(Text(Get(item.pdispVal, "Name")));
    item.Clear();
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Run_1", "Run_2"}));
}

}  // namespace
}  // namespace faces_test
