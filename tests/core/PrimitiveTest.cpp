#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/GeometrySet.h"
#include "core/NumberText.h"
#include "core/Primitive.h"
#include "core/Wrapper.h"

namespace {

struct BoxCase {
  const char* name;
  CPrimitive primitive;
  std::string text;
  CPoint3 min, max;
};

TEST(PrimitiveTest, DumpAndBoundBoxPerKind) {
  // clang-format off
  const BoxCase cases[] = {
      {"line", CPrimitive::Line{{0, 0, 0}, {1, 2, 3}, 0}, "Line : (0, 0, 0) to (1, 2, 3)",
       {0, 0, 0}, {1, 2, 3}},
      {"cone", CPrimitive::Cone{{0, 0, 0}, 2, {10, 0, 0}, 4, 0}, "Cone : (0, 0, 0) to (10, 0, 0)",
       {-4, -4, -4}, {14, 4, 4}},
      // Start, centre and end all count; the larger diameter widens.
      {"curved cone", CPrimitive::CurvedCone{{0, 0, 0}, 3, {5, 5, 0}, 1, {5, 0, 0}, 0},
       "Curved Cone", {-3, -3, -3}, {8, 8, 3}},
      {"snout", CPrimitive::Snout{{0, 0, 0}, 1, {0, 0, 10}, 2, {0, 0, 1}, 0}, "Snout",
       {-2, -2, -2}, {2, 2, 12}},
      // The diameter, not the radius, widens the box.
      {"circle", CPrimitive::Circle{{0, 0, 0}, 10, {0, 0, 1}, 0}, "Circle D = 10",
       {-10, -10, -10}, {10, 10, 10}},
  };
  // clang-format on
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.primitive.Dump(), c.text);
    const CBoundBox box = c.primitive.GetBoundBox();
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_EQ(box.GetMin(), c.min);
    EXPECT_EQ(box.GetMax(), c.max);
  }
  EXPECT_DOUBLE_EQ(cases[0].primitive.GetBoundBox().GetRadius(), std::sqrt(14.0) / 2);
  EXPECT_DOUBLE_EQ(cases[4].primitive.GetBoundBox().GetRadius(), std::sqrt(300.0));

  EXPECT_TRUE(CPrimitive().GetBoundBox().IsEmpty());
}

TEST(PrimitiveTest, KindAccessorConvertsToFreshRecord) {
  CPrimitive p(CPrimitive::Line{{1, 2, 3}, {4, 5, 6}, 0xFF});
  EXPECT_EQ(p.GetType(), ptLine);
  p.AsLine().End.x = 7;  // same kind: no conversion
  EXPECT_EQ(p.GetLine()->End, CPoint3(7, 5, 6));
  CPrimitive::Cone& cone = p.AsCone();
  EXPECT_EQ(p.GetType(), ptCone);
  EXPECT_EQ(cone.End, CPoint3());  // a fresh record, not the line's bytes
  EXPECT_EQ(p.GetLine(), nullptr);
}

// An empty box adds nothing, but Expand works on its corners regardless.
TEST(PrimitiveTest, EmptyBoxRules) {
  CBoundBox empty;
  EXPECT_EQ(empty.GetRadius(), 0.0);
  CBoundBox box = CPrimitive(CPrimitive::Line{{1, 2, 3}, {-1, 5, 0}, 0}).GetBoundBox();
  const CBoundBox before = box;
  box.Add(empty);
  EXPECT_EQ(box, before);
  empty.Expand(2);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.GetMin(), CPoint3(-2, -2, -2));
}

struct FakeWrapper : CWrapper {
  CWrappedClass* object = nullptr;
  int detaches = 0;
  void Attach(CWrappedClass* w) override {
    object = w;
    w->SetWrapper(this);
  }
  void Detach() override {
    ++detaches;
    if (object) object->SetWrapper(nullptr);
    object = nullptr;
  }
};

TEST(PrimitiveTest, WrapperLinkIsNeverCopiedAndIsToldOfDestruction) {
  FakeWrapper wrapper;
  {
    CGeometrySet set;
    set.AddLine({0, 0, 0}, {1, 1, 1}, 0);
    wrapper.Attach(&set);
    CGeometrySet copy(set);
    EXPECT_EQ(copy.GetWrapper(), nullptr);
    CGeometrySet other;
    set = other;  // assignment keeps the existing face
    EXPECT_EQ(set.GetWrapper(), &wrapper);
    EXPECT_TRUE(set.empty());
    CPrimitive p(CPrimitive::Line{});
    CPrimitive q(p);
    EXPECT_EQ(q.GetWrapper(), nullptr);
  }
  EXPECT_EQ(wrapper.detaches, 1);
  EXPECT_EQ(wrapper.object, nullptr);
}

}  // namespace

// The dumps promise what a default-formatted stream prints.
TEST(NumberTextTest, MatchesDefaultStreamFormatting) {
  std::vector<double> values = {0.0,      -0.0,    1.0,       -2.5,    1234567.0, 123456.0,
                                1e-5,     1e-4,    0.1 + 0.2, 1.0 / 3, 1e100,     -7.25e-300,
                                999999.5, 9999995, 1e6,       100000.0};
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  for (int i = 0; i < 2000; ++i)
    values.push_back(mantissa(rng) * std::pow(10.0, int(rng() % 30) - 15));
  for (double v : values) {
    std::ostringstream expected, actual;
    expected << v;
    WriteNumber(actual, v);
    EXPECT_EQ(actual.str(), expected.str()) << v;
  }
}
