// Default dimension tables, end data of runs, the compass table and external
// dimension rules.
#include <cmath>

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
      {50, 2, 50, 150, 19.5},
      // Above the last key: the last rows (6/5 and 47.6 / 600).
      {1200, 2, 1200, 1440, 1200 * 47.6 / 600},
      {700, 2, 700, 700 * 6.0 / 5, 700 * 47.6 / 600},
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

TEST(DimensionTables, CompassNamesAreExactUpperCase) {
  EXPECT_EQ(CompassDirection(u"UP"), CVector3(0, 0, 1));
  EXPECT_EQ(CompassDirection(u"DOWN"), CVector3(0, 0, -1));
  EXPECT_EQ(CompassDirection(u"NORTH"), CVector3(0, 1, 0));
  EXPECT_EQ(CompassDirection(u"SOUTH"), CVector3(0, -1, 0));
  EXPECT_EQ(CompassDirection(u"EAST"), CVector3(1, 0, 0));
  EXPECT_EQ(CompassDirection(u"WEST"), CVector3(-1, 0, 0));
  EXPECT_FALSE(CompassDirection(u"North"));
  EXPECT_FALSE(CompassDirection(u"UP "));
  EXPECT_FALSE(CompassDirection(u""));
}

class EndDataTest : public SolidTest {};

TEST_F(EndDataTest, TwoFlangesCloseTogetherShareTheRun) {
  // 100 mm flanges 10 mm apart: 5 mm faces, not the table's 23.8.
  FakeComponent& c = line.Add("F", "Flange", "Flanges");
  c.Point("Run_1", {0, 0, 0}, 100, "FL");
  c.Point("Run_2", {10, 0, 0}, 100, "FLRF");
  CComponentInfo info(file.Get(), &line, &c, &dims);
  CEndData e1, e2;
  info.EndData(c.Find("Run_1"), c.Find("Run_2"), e1, e2);
  EXPECT_TRUE(e1.flanged);
  EXPECT_TRUE(e2.flanged);
  EXPECT_EQ(e1.face, CPoint3(5, 0, 0));
  EXPECT_EQ(e2.face, CPoint3(5, 0, 0));
  EXPECT_DOUBLE_EQ(e1.flangeOD, 225);
  EXPECT_DOUBLE_EQ(e1.pipeOD, 100);
}

TEST_F(EndDataTest, OneFlangeMayUseTheWholeRunAndPlainEndsHaveNoFace) {
  FakeComponent& c = line.Add("F", "Flange", "Flanges");
  c.Point("Run_1", {0, 0, 0}, 100, "FL");
  c.Point("Run_2", {0, 0, 10}, 80, "BW");
  c.Point("Centre_1", {0, 0, 5}, 100, "FL", true);
  CComponentInfo info(file.Get(), &line, &c, &dims);
  CEndData e1, e2;
  info.EndData(c.Find("Run_1"), c.Find("Run_2"), e1, e2);
  EXPECT_EQ(e1.face, CPoint3(0, 0, 10));  // limited by the whole run, 10 < 23.8
  EXPECT_FALSE(e2.flanged);
  EXPECT_EQ(e2.face, e2.position);
  EXPECT_DOUBLE_EQ(e2.flangeOD, 80);  // the pipe diameter stands in
  // An internal point is never flanged, whatever its end type says.
  info.EndData(c.Find("Centre_1"), c.Find("Run_2"), e1, e2);
  EXPECT_FALSE(e1.flanged);
  // Along a long run the table thickness applies.
  c.Find("Run_2")->position = {0, 0, 1000};
  info.EndData(c.Find("Run_1"), c.Find("Run_2"), e1, e2);
  EXPECT_NEAR(e1.face.z, 23.8, 1e-12);
}

TEST_F(EndDataTest, DirectionAttributesGoThroughTheCompass) {
  FakeComponent& c = line.Add("V", "Gate-Valve", "Valves");
  c.attributes["SPINDLE-DIRECTION"] = "UP";
  c.attributes["SUPPORT-DIRECTION"] = "North";
  CComponentInfo info(file.Get(), &line, &c, &dims);
  EXPECT_EQ(info.GetDirectionAttribute(u"SPINDLE-DIRECTION"), CVector3(0, 0, 1));
  EXPECT_EQ(info.GetDirectionAttribute(u"SUPPORT-DIRECTION"), CVector3());
  EXPECT_EQ(info.GetDirectionAttribute(u"PLATE-DIRECTION"), CVector3());
  EXPECT_EQ(info.GetAttribute(u"PLATE-DIRECTION").vt, VT_EMPTY);
}

TEST_F(EndDataTest, NullComponentAndAttachments) {
  EXPECT_THROW(
      {
        try {
          CComponentInfo info(file.Get(), &line, nullptr, &dims);
        } catch (const std::invalid_argument& e) {
          EXPECT_STREQ(e.what(), "Null Component");
          throw;
        }
      },
      std::invalid_argument);
  FakeComponent& pipe = line.Add("P", "Pipe");
  FakeComponent& support = line.Add("S", "Support", "Supports");
  support.attachments.push_back(&pipe);
  CComponentInfo info(file.Get(), &line, &support, &dims);
  const CComponentInfo::Ptr attached = info.Attached(0);
  ASSERT_TRUE(attached);
  EXPECT_EQ(attached->Component(), static_cast<IKeltoComponent*>(&pipe));
  EXPECT_EQ(attached->Dimensions(), &dims);
  EXPECT_FALSE(info.Attached(1));  // the data's failure is swallowed
}

constexpr const char* kDimensionRules = R"(<Dimensions>
  <Aspect Name="Bore" Expression="Bore"/>
  <Aspect Name="Name" Expression="Name"/>
  <Lookup Bore="100"><Tag PipeOD="114.3" FlangeOD="229"/></Lookup>
  <Lookup Name="Run_2"><Tag FlangeThickness="abc"/></Lookup>
</Dimensions>)";

TEST_F(EndDataTest, ExternalDimensionTagsOverrideTheDefaults) {
  std::string errors = "stale";
  dims.SetConfig(kDimensionRules, errors);
  EXPECT_EQ(errors, "");
  FakeComponent& c = line.Add("F", "Flange", "Flanges");
  FakePoint& r1 = c.Point("Run_1", {0, 0, 0}, 100, "FL");
  FakePoint& r2 = c.Point("Run_2", {100, 0, 0}, 80, "FL");
  EXPECT_DOUBLE_EQ(dims.PipeOD(&r1), 114.3);
  EXPECT_DOUBLE_EQ(dims.FlangeOD(&r1), 229);
  EXPECT_DOUBLE_EQ(dims.FlangeThickness(&r1), 23.8);  // no tag: the table
  EXPECT_DOUBLE_EQ(dims.PipeOD(&r2), 80);
  EXPECT_DOUBLE_EQ(dims.FlangeThickness(&r2), 0);  // not a number reads 0
}

TEST_F(EndDataTest, TagsOfOnePointAreEvaluatedOnceUntilAnotherIsAsked) {
  std::string errors;
  dims.SetConfig(kDimensionRules, errors);
  FakeComponent& c = line.Add("F", "Flange", "Flanges");
  FakePoint& r1 = c.Point("Run_1", {0, 0, 0}, 100, "FL");
  FakePoint& r2 = c.Point("Run_2", {100, 0, 0}, 100, "FL");
  dims.PipeOD(&r1);
  dims.FlangeOD(&r1);
  dims.FlangeThickness(&r1);
  EXPECT_EQ(dims.Evaluations(), 1u);
  dims.PipeOD(&r2);
  dims.PipeOD(&r1);
  EXPECT_EQ(dims.Evaluations(), 3u);
  // New rules are never answered from old tags.
  dims.SetConfig(R"(<D><Lookup><Tag PipeOD="1"/></Lookup></D>)", errors);
  EXPECT_DOUBLE_EQ(dims.PipeOD(&r1), 1);
}

TEST_F(EndDataTest, ConfigurationMessagesEndInLineFeeds) {
  std::string errors;
  dims.SetConfig("<D><Aspect Expression='Bore'/><Lookup Missing='1'/></D>", errors);
  EXPECT_EQ(errors, "Ignored unnamed aspect.\nUnknown aspect : Missing\n");
  dims.SetConfig("not xml", errors);
  EXPECT_EQ(errors, "XML is not well formed.\n");
  // Points without tags still get the defaults.
  FakeComponent& c = line.Add("P", "Pipe");
  EXPECT_DOUBLE_EQ(dims.FlangeOD(&c.Point("Run_1", {0, 0, 0}, 100)), 225);
}

}  // namespace
}  // namespace solid_test
