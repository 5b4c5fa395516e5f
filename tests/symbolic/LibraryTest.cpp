// The builder library and its filters, the symbolic graphics builder, the
// perpendicular rules and the symbol frame.
#include <cmath>

#include "SymbolicTestSupport.h"
#include "symbolic/CSSGBLibrary.h"
#include "symbolic/DefaultCSSGBBase.h"
#include "symbolic/SymbolFrame.h"
#include "symbolic/SymbolicGraphicsBuilder.h"
#include "symbolic/SymbolicModelBuilder.h"

namespace symbolic_test {
namespace {

void ExpectVector(const CVector3& actual, const CVector3& expected, double tolerance = 1e-12) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Runs within five degrees of level are drawn across in the vertical; the
// rest across the cross product with unit(1,1,-1) (not normalised), or the
// vertical cross for runs along that reference.
TEST(PerpendicularTest, PlanarPerpendicularFlattensRunsWithinFiveDegrees) {
  CGeometrySet sink;
  CSymbolicGraphicsBuilder gb(&sink, 0);
  const double r = 1.0 / std::sqrt(3.0);
  const double justInside = std::tan(4.99 * 0.017453292519943295) * 2;
  const double justOutside = std::tan(5.01 * 0.017453292519943295) * 2;
  const struct {
    CVector3 d, expected;
  } cases[] = {
      {{1, 0, 0.05}, {0, 0, 1}},               // 2.9°: flattened
      {{1, 0, 0.2}, {0.2 * r, -1.2 * r, -r}},  // 11°: kept
      {{0, 2, justInside}, {0, 0, 2}},         // just under 5°
      {{0, 2, justOutside}, {(justOutside + 2) * r, -justOutside * r, 2 * r}},
      {{0, 0, 4}, {4, 0, 0}},     // vertical
      {{-2, -2, 2}, {2, -2, 0}},  // along the reference
      {{0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Text(CPoint3(c.d)));
    ExpectVector(CComponentSSGBuilder::PlanarPerpendicular(c.d, gb), c.expected);
  }
  EXPECT_TRUE(sink.empty());
}

TEST(SymbolFrameTest, DegenerateBasesMapToTheOriginWithoutNaN) {
  const struct {
    CVector2 e1, e2;
  } cases[] = {{{0, 0}, {0, 1}}, {{1, 2}, {2, 4}}, {{1e-200, 0}, {0, 1e-200}}};
  for (const auto& c : cases) {
    const CSymbolFrame f({0, 0}, c.e1, c.e2, {1, 2, 3}, {1, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(f.IsDegenerate());
    EXPECT_EQ(f.Map(7, -9), CPoint3(1, 2, 3));
  }
}

TEST(NearlyParallelTest, OneDegreeEitherWay) {
  const double inside = std::tan(0.99 * CDefaultCSSGBBase::kOneDegree);
  const double outside = std::tan(1.01 * CDefaultCSSGBBase::kOneDegree);
  EXPECT_TRUE(CDefaultCSSGBBase::NearlyParallel({1, 0, 0}, {5, inside * 5, 0}));
  EXPECT_TRUE(CDefaultCSSGBBase::NearlyParallel({1, 0, 0}, {-5, inside * 5, 0}));
  EXPECT_FALSE(CDefaultCSSGBBase::NearlyParallel({1, 0, 0}, {5, outside * 5, 0}));
  EXPECT_FALSE(CDefaultCSSGBBase::NearlyParallel({1, 0, 0}, {-5, outside * 5, 0}));
  EXPECT_FALSE(CDefaultCSSGBBase::NearlyParallel({0, 0, 0}, {1, 0, 0}));
}

class LibraryTest : public ::testing::Test {
 protected:
  static std::string Item(const char* id, const char* type, const char* group, int code) {
    return Component(id, type, group, "Run_1 0,0,0 bore=50; Run_2 100,0,0 bore=50", "Run_1>Run_2",
                     R"("itemCode": )" + std::to_string(code));
  }

  LibraryTest()
      : plant(OnePipeline(
            {Item("ECC", "Eccentric-Reducer", "Fittings", 9),
             Item("ODD", "Mystery-Item", "Oddities", 0), Item("CV", "Control-Valve", "Valves", 15),
             Item("LC", "control-valve", "Other", 15), Item("INS", "Gauge", "Instruments", 7)})) {}

  // The builders' names in candidate order.
  std::vector<std::string> Candidates(const char* id) {
    std::vector<std::string> names;
    for (const auto& b : library.FindBuilders(plant.Component(id).Get())) names.push_back(Name(b));
    return names;
  }

  std::string Name(const CComponentSSGBuilder::Ptr& b) const {
    const CComponentSSGBuilder* p = b.get();
    if (p == library.Filter("Default")->GetBuilder(nullptr).get()) return "default";
    for (const char* filter : {"Component Type", "Group"}) {
      auto* keyed = dynamic_cast<CCSSGBLibrary::SimpleFilter*>(library.Filter(filter).get());
      for (const auto& [key, builder] : keyed->Builders())
        if (builder.get() == p) return std::string(filter) + ":" + key;
    }
    return "?";
  }

  Plant plant;
  CSymbolicModelBuilder builder;  // its library, no symbol file added
  CCSSGBLibrary& library = builder.Library();
};

TEST_F(LibraryTest, CandidatesRunFromTheLastFilterAddedToTheFirst) {
  const struct {
    const char* id;
    std::vector<std::string> expected;
  } cases[] = {
      {"ECC", {"Component Type:Eccentric-Reducer", "Group:Fittings", "default"}},
      {"CV", {"Component Type:Control-Valve", "Group:Valves", "default"}},
      {"ODD", {"default"}},
      // Keys match case-sensitively: "control-valve" is not "Control-Valve".
      {"LC", {"default"}},
      {"INS", {"Group:Instruments", "default"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Candidates(c.id), c.expected) << c.id;
}

}  // namespace
}  // namespace symbolic_test
