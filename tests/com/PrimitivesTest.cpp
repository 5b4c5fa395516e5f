// Primitives and the typed primitive objects, driven through IDispatch (and
// the vtables where the struct form of XYZValue matters).
#include "com/faces/ComPrimitives.h"

#include <gtest/gtest.h>

#include "ModelTreeFixtures.h"
#include "com/faces/ComPrimitiveKinds.h"
#include "core/WrapperFace.h"
#include "platform/com/Api.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::Call;
using kelto::test::Get;
using kelto::test::ObjectOf;
using kelto::test::Put;

namespace {

std::vector<_variant_t> Numbers(std::initializer_list<double> values) {
  std::vector<_variant_t> args;
  for (double v : values) args.emplace_back(v);
  return args;
}

// The three doubles of a point read through IDispatch (VT_ARRAY | VT_R8).
std::vector<double> PointOf(const kelto::test::ScriptResult& r) {
  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.value.vt, VT_ARRAY | VT_R8);
  if (r.value.vt != (VT_ARRAY | VT_R8)) return {};
  SAFEARRAY* array = r.value.parray;
  LONG lower = -1;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 0);
  std::vector<double> xyz;
  for (LONG i = lower; i <= upper; ++i) {
    double d = 0;
    SafeArrayGetElement(array, &i, &d);
    xyz.push_back(d);
  }
  return xyz;
}

// A VT_ARRAY | VT_VARIANT of the given values, with the given lower bound.
_variant_t VariantArray(std::vector<_variant_t> values, LONG lower = 0) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, lower, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    LONG index = lower + i;
    SafeArrayPutElement(array, &index, &values[static_cast<std::size_t>(i)]);
  }
  return _variant_t::AdoptArray(array, VT_VARIANT);
}

CComPrimitives* ImplementationOf(IDispatch* primitives) {
  ComPtr<kelto3d::IPrimitives> typed;
  primitives->QueryInterface(IidOf<kelto3d::IPrimitives>(), typed.PutVoid());
  return CComPrimitives::GetObj(typed.Get());
}

// An object as CoCreateInstance makes it (through the class's creator).
template <class TComClass = CComPrimitives>
ComPtr<IDispatch> NewObject() {
  ComPtr<IDispatch> p;
  kelto::com::CreateInstanceOf<TComClass>(IidOf<IDispatch>(), p.PutVoid());
  return p;
}

// One of each kind, in kind order.
ComPtr<IDispatch> FilledPrimitives() {
  auto set = NewObject();
  EXPECT_TRUE(Call(set.Get(), u"Add3DLine", Numbers({0, 0, 0, 1, 2, 3})).ok());
  auto cone = Numbers({0, 0, 0, 2, 10, 0, 0, 4});
  cone.emplace_back(0x0000FF);
  EXPECT_TRUE(Call(set.Get(), u"Add3DCone", cone).ok());
  EXPECT_TRUE(Call(set.Get(), u"Add3DCurvedCone", Numbers({0, 0, 0, 2, 5, 5, 0, 2, 5, 0, 0})).ok());
  EXPECT_TRUE(Call(set.Get(), u"Add3DSnout", Numbers({0, 0, 0, 4, 0, 0, 5, 2, 0, 0, 1})).ok());
  EXPECT_TRUE(Call(set.Get(), u"Add3DCircle", Numbers({1, 1, 1, 10, 0, 0, 1})).ok());
  return set;
}

}  // namespace

// Enumeration in order: the Python package's tests, which iterate through it.
TEST(Primitives, ItemsAreZeroBasedOfTheirKind) {
  auto set = FilledPrimitives();
  EXPECT_EQ(Get(set.Get(), u"Count").value.lVal, 5);
  for (LONG i = 0; i < 5; ++i) {
    auto item = Get(set.Get(), u"Item", {_variant_t(i)});
    ASSERT_NE(ObjectOf(item), nullptr);
    EXPECT_EQ(Get(ObjectOf(item), u"Type").value.lVal, i + 1);
    // The same primitive gives the same object while it lives.
    EXPECT_EQ(ObjectOf(Get(set.Get(), u"Item", {_variant_t(i)})), ObjectOf(item));
  }
}

TEST(Primitives, PointsTravelAsArraysOfThreeNumbers) {
  auto set = FilledPrimitives();
  auto line = ComPtr<IDispatch>(ObjectOf(Get(set.Get(), u"Item", {_variant_t(0)})));
  EXPECT_EQ(PointOf(Get(line.Get(), u"End")), (std::vector<double>{1, 2, 3}));

  // A put takes any one-dimensional array of three numbers.
  const _variant_t accepted[] = {
      VariantArray({_variant_t(4), _variant_t("5"), _variant_t(6.0f)}),
      VariantArray({_variant_t(4.0), _variant_t(5.0), _variant_t(6.0)}, 1),
  };
  for (const _variant_t& value : accepted) {
    ASSERT_TRUE(Put(line.Get(), u"Start", {value}).ok());
    EXPECT_EQ(PointOf(Get(line.Get(), u"Start")), (std::vector<double>{4, 5, 6}));
    ASSERT_TRUE(Call(line.Get(), u"SetStart", Numbers({0, 0, 0})).ok());
  }
  // A refused point leaves the old one.
  auto r = Put(line.Get(), u"Start", {VariantArray({_variant_t(1.0), _variant_t(2.0)})});
  EXPECT_EQ(r.scode, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(PointOf(Get(line.Get(), u"Start")), (std::vector<double>{0, 0, 0}));
}

// Writes by name land in the set itself; members of other kinds are absent.
TEST(Primitives, EachKindWritesItsOwnFieldsIntoTheSet) {
  auto set = FilledPrimitives();
  auto item = [&](LONG i) {
    return ComPtr<IDispatch>(ObjectOf(Get(set.Get(), u"Item", {_variant_t(i)})));
  };
  ASSERT_TRUE(Put(item(1).Get(), u"EndDiameter", {_variant_t("6.5")}).ok());
  auto circle = item(4);
  ASSERT_TRUE(Call(circle.Get(), u"SetCentre", Numbers({7, 8, 9})).ok());
  ASSERT_TRUE(Put(circle.Get(), u"Colour", {_variant_t(0x00FF00)}).ok());
  CGeometrySet* geometry = ImplementationOf(set.Get())->GetObject();
  EXPECT_EQ((*geometry)[4].GetCircle()->Centre, CPoint3(7, 8, 9));
  EXPECT_EQ((*geometry)[4].GetCircle()->Colour, 0x00FF00);
  EXPECT_EQ((*geometry)[1].GetCone()->EndDiameter, 6.5);
  EXPECT_EQ(Get(circle.Get(), u"Start").hr, DISP_E_UNKNOWNNAME);

  // A standalone object has a primitive of its own kind; the vtable keeps
  // the struct form of a point.
  auto standalone = NewObject<CComCircle>();
  EXPECT_EQ(Get(standalone.Get(), u"Type").value.lVal, ptCircle);
  ComPtr<kelto3d::ICircle> typed;
  ASSERT_EQ(standalone->QueryInterface(IidOf<kelto3d::ICircle>(), typed.PutVoid()), S_OK);
  ASSERT_EQ(typed->put_Centre(kelto3d::XYZValue{1.5, 2.5, 3.5}), S_OK);
  kelto3d::XYZValue centre{};
  ASSERT_EQ(typed->get_Centre(&centre), S_OK);
  EXPECT_EQ(centre.Z, 3.5);
}

TEST(Primitives, ObjectsLeftBehindByAGrowingSetStartAfresh) {
  auto set = NewObject();
  ASSERT_TRUE(Call(set.Get(), u"Add3DLine", Numbers({0, 0, 0, 1, 2, 3})).ok());
  auto line = ComPtr<IDispatch>(ObjectOf(Get(set.Get(), u"Item", {_variant_t(0)})));
  ASSERT_NE(line, nullptr);
  // Enough additions to move the storage.
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(Call(set.Get(), u"Add3DCircle", Numbers({0, 0, 0, 1, 0, 0, 1})).ok());
  // The old object lets go: it reads as a new, empty line of its own ...
  EXPECT_EQ(Get(line.Get(), u"Type").value.lVal, 1);
  EXPECT_EQ(PointOf(Get(line.Get(), u"End")), (std::vector<double>{0, 0, 0}));
  ASSERT_TRUE(Call(line.Get(), u"SetEnd", Numbers({9, 9, 9})).ok());
  // ... and the set keeps its primitive, which a fresh Item reaches.
  auto again = Get(set.Get(), u"Item", {_variant_t(0)});
  EXPECT_NE(ObjectOf(again), line.Get());
  EXPECT_EQ(PointOf(Get(ObjectOf(again), u"End")), (std::vector<double>{1, 2, 3}));
}

TEST(Primitives, APrimitiveWithoutAKindIsNothing) {
  auto set = NewObject();
  ImplementationOf(set.Get())->GetObject()->push_back(CPrimitive());
  auto item = Get(set.Get(), u"Item", {_variant_t(0)});
  ASSERT_TRUE(item.ok());
  EXPECT_EQ(item.value.vt, VT_DISPATCH);
  EXPECT_EQ(ObjectOf(item), nullptr);
}

TEST(Primitives, ANodesGeometryIsItsPrimitivesObject) {
  auto node = kelto::test::NewModelNode();
  auto first = Get(node.Get(), u"Geometry");
  auto second = Get(node.Get(), u"Geometry");
  EXPECT_EQ(ObjectOf(first), ObjectOf(second));
  ASSERT_TRUE(Call(ObjectOf(first), u"Add3DCircle", Numbers({0, 0, 0, 0.5, 0, 0, 1})).ok());
  EXPECT_EQ(kelto::test::NodeOf(node.Get())->GetGeometry().size(), 1u);
  // The set dies with its node; the Primitives object then has a set of its
  // own.
  ComPtr<IDispatch> kept(ObjectOf(first));
  first.value.Clear();
  second.value.Clear();
  node.Reset();
  EXPECT_EQ(Get(kept.Get(), u"Count").value.lVal, 0);
}
