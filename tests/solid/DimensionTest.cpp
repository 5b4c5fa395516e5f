// Default dimension tables, end data of runs and external dimension rules.
#include "SolidTestSupport.h"
#include "solid/DimensionTables.h"

namespace solid_test {
namespace {

using namespace kelto::solid;

struct TableCase {
  double bore;
  long units;
  double pipeOD;
  double flangeOD;
  double thickness;
};

TEST(DimensionTables, DefaultsFollowTheRowsAndUnits) {
  const TableCase cases[] = {
      // 100 mm falls in the 105 row: 9/4 × 100.
      {100, 2, 100, 225, 23.8},
      // 4 in = 101.6 mm, same row: 2.25 × 4 × 25.4; thickness from the inch table.
      {4, 1, 101.6, 228.6, 0.9375 * 25.4},
      // Exactly on a key takes that row (55 for the diameter); the thickness
      // takes the next key up, 65.
      {55, 2, 55, 165, 55 * 22.2 / 65},
      // Above the last key: the last rows (6/5 and 47.6 / 600).
      {1200, 2, 1200, 1440, 1200 * 47.6 / 600},
      // Between thickness keys the next key up gives the ratio: 70 → the 80 row.
      {70, 2, 70, 70 * 2.5, 70 * 23.8 / 80},
      // Any units other than 1 are millimetres.
      {50, 0, 50, 150, 19.5},
      // 30 in is past the inch table: the 24 in row, 1.875 / 24.
      {30, 1, 762, 762 * 6.0 / 5, 30 * 1.875 / 24 * 25.4},
      {0, 2, 0, 0, 0},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bore << " units " << c.units);
    EXPECT_DOUBLE_EQ(DefaultPipeOD(c.bore, c.units), c.pipeOD);
    EXPECT_DOUBLE_EQ(DefaultFlangeOD(c.bore, c.units), c.flangeOD);
    EXPECT_DOUBLE_EQ(DefaultFlangeThickness(c.bore, c.units), c.thickness);
  }
}

class EndDataTest : public SolidTest {
 protected:
  // The end data of two points of a loaded component.
  std::pair<CEndData, CEndData> Ends(const Loaded& l, const char16_t* a, const char16_t* b) {
    CComponentInfo info(l.file.Get(), l.pipeline.Get(), l.component.Get(), &dims);
    std::pair<CEndData, CEndData> ends;
    info.EndData(l.Point(a).Get(), l.Point(b).Get(), ends.first, ends.second);
    return ends;
  }
};

// How far a flange reaches along its run: the flanged goldens of
// ConstructionFunctionTest. Here the ends that have no flange: an internal
// point, whatever its end type says, and a plain end, whose pipe diameter
// stands in for the flange's.
TEST_F(EndDataTest, InternalPointsAndPlainEndsHaveNoFlange) {
  const auto [centre, plain] = Ends(LoadOne(Comp("F", "Flange", "Flanges")
                                                .Point("Run_1", {0, 0, 0}, 100, "FL")
                                                .Point("Run_2", {0, 0, 10}, 80, "BW")
                                                .Point("Centre_1", {0, 0, 5}, 100, "FL", true)),
                                    u"Centre_1", u"Run_2");
  EXPECT_FALSE(centre.flanged);
  EXPECT_FALSE(plain.flanged);
  EXPECT_EQ(plain.face, plain.position);
  EXPECT_DOUBLE_EQ(plain.flangeOD, 80);
}

// The attachment a support is drawn against: ConstructionFunctionTest.
TEST_F(EndDataTest, AnAttachmentPastTheLastIsNoneAndANullComponentIsRefused) {
  const Loaded l = LoadOne(Comp("S", "Support", "Supports").Attach("P"), {Comp("P", "Pipe")});
  EXPECT_THROW(CComponentInfo(l.file.Get(), l.pipeline.Get(), nullptr, &dims),
               std::invalid_argument);
  CComponentInfo info(l.file.Get(), l.pipeline.Get(), l.component.Get(), &dims);
  EXPECT_FALSE(info.Attached(1));  // the data's failure is swallowed
}

constexpr const char* kDimensionRules = R"(<Dimensions>
  <Aspect Name="Bore" Expression="Bore"/>
  <Aspect Name="Name" Expression="Name"/>
  <Lookup Bore="100"><Tag PipeOD="114.3" FlangeOD="229"/></Lookup>
  <Lookup Name="Run_2"><Tag FlangeThickness="abc"/></Lookup>
</Dimensions>)";

// A flange whose Run_1 has bore 100 and Run_2 the bore given.
Loaded Flange(double run2Bore) {
  return LoadOne(Comp("F", "Flange", "Flanges")
                     .Point("Run_1", {0, 0, 0}, 100, "FL")
                     .Point("Run_2", {100, 0, 0}, run2Bore, "FL"));
}

TEST_F(EndDataTest, ExternalDimensionTagsOverrideTheDefaults) {
  std::string errors = "stale";
  dims.SetConfig(kDimensionRules, errors);
  EXPECT_EQ(errors, "");
  const Loaded f = Flange(80);
  const auto r1 = f.Point(u"Run_1"), r2 = f.Point(u"Run_2");
  EXPECT_DOUBLE_EQ(dims.PipeOD(r1.Get()), 114.3);
  EXPECT_DOUBLE_EQ(dims.FlangeOD(r1.Get()), 229);
  EXPECT_DOUBLE_EQ(dims.FlangeThickness(r1.Get()), 23.8);  // no tag: the table
  EXPECT_DOUBLE_EQ(dims.PipeOD(r2.Get()), 80);
  EXPECT_DOUBLE_EQ(dims.FlangeThickness(r2.Get()), 0);  // not a number reads 0
}

TEST_F(EndDataTest, TagsOfOnePointAreEvaluatedOnceUntilAnotherIsAsked) {
  std::string errors;
  dims.SetConfig(kDimensionRules, errors);
  const Loaded f = Flange(100);
  const auto r1 = f.Point(u"Run_1"), r2 = f.Point(u"Run_2");
  dims.PipeOD(r1.Get());
  dims.FlangeThickness(r1.Get());
  EXPECT_EQ(dims.Evaluations(), 1u);
  dims.PipeOD(r2.Get());
  dims.PipeOD(r1.Get());
  EXPECT_EQ(dims.Evaluations(), 3u);
  // New rules are never answered from old tags.
  dims.SetConfig(R"(<D><Lookup><Tag PipeOD="1"/></Lookup></D>)", errors);
  EXPECT_DOUBLE_EQ(dims.PipeOD(r1.Get()), 1);
}

TEST_F(EndDataTest, ConfigurationMessagesEndInLineFeeds) {
  std::string errors;
  dims.SetConfig("<D><Aspect Expression='Bore'/><Lookup Missing='1'/></D>", errors);
  EXPECT_EQ(errors, "Ignored unnamed aspect.\nUnknown aspect : Missing\n");
  dims.SetConfig("not xml", errors);
  EXPECT_EQ(errors, "XML is not well formed.\n");
  // Points without tags still get the defaults.
  EXPECT_DOUBLE_EQ(dims.FlangeOD(Flange(100).Point(u"Run_1").Get()), 225);
}

}  // namespace
}  // namespace solid_test
