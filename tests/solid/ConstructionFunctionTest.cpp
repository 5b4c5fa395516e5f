// Each construction function on small hand-made components, primitives
// checked field by field (DescribePrimitive prints every field).
#include "SolidTestSupport.h"
#include "solid/ConstructionFunctions.h"

namespace solid_test {
namespace {

using namespace kelto::solid;
using Lines = std::vector<std::string>;

class ConstructionTest : public SolidTest {
 protected:
  FakeComponent& Elbow(const std::string& runEnd = "BW", CPoint3 centre = {150, 0, 0}) {
    FakeComponent& c = line.Add("E1", "Elbow-90", "Fittings");
    c.Point("Run_1", {0, 0, 0}, 100, runEnd);
    c.Point("Centre_1", centre, 100, "", true);
    c.Point("Run_2", {centre.x, 150, 0}, 100, "BW");
    c.Leg("Run_1", "Centre_1");
    c.Leg("Centre_1", "Run_2");
    return c;
  }
};

TEST_F(ConstructionTest, Bend1DrawsACurvedConeAroundItsCentreWithFlanges) {
  EXPECT_EQ(Draw(&Bend1, Elbow()),
            Lines{"CurvedCone (0, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) colour "
                  "0xffff00"});
  line.components.clear();
  EXPECT_EQ(Draw(&Bend1, Elbow("FL")),
            (Lines{"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xffff00",
                   "CurvedCone (23.8, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) "
                   "colour 0xffff00"}));
}

TEST_F(ConstructionTest, ABendWhoseFaceMeetsItsCentreIsDrawnByDrawLegs) {
  // The flange (23.8 thick) is cut to the 10 mm run: its face is the centre.
  FakeComponent& c = Elbow("FL", {10, 0, 0});
  Draw(&Bend1, c, false);
  CBuildOutcome outcome;
  EXPECT_EQ(Build(c, &outcome),
            (Lines{"Cone (0, 0, 0) D 225 to (10, 0, 0) D 225 colour 0xffff00",
                   "Circle (10, 0, 0) D 100 normal (1, 0, 0) colour 0xffff00",
                   "Circle (10, 0, 0) D 100 normal (1, 0, 0) colour 0xffff00",
                   "Cone (10, 0, 0) D 100 to (10, 150, 0) D 100 colour 0xffff00"}));
  EXPECT_EQ(outcome.requested, "Bend1");
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "a run face meets the centre or the other face");
}

TEST_F(ConstructionTest, Bend1NeedsEndsAroundAnInternalCentre) {
  FakeComponent& c = Elbow();
  c.Find("Centre_1")->internal = false;
  Draw(&Bend1, c, false);
  c.Find("Centre_1")->name = "Centre_9";
  Draw(&Bend1, c, false);
}

TEST_F(ConstructionTest, Bend2DrawsTwoCurvedConesMeetingBetweenTheCentres) {
  FakeComponent& c = line.Add("RB", "ReturnBend", "Fittings");
  c.Point("Run_1", {0, 0, 0}, 50);
  c.Point("Centre_1", {100, 0, 0}, 50, "", true);
  c.Point("Centre_2", {100, 200, 0}, 50, "", true);
  c.Point("Run_2", {0, 200, 0}, 40);
  EXPECT_EQ(Draw(&Bend2, c),
            (Lines{"CurvedCone (0, 0, 0) D 50 to (100, 100, 0) D 45 centre (100, 0, 0) colour "
                   "0xffff00",
                   "CurvedCone (100, 100, 0) D 45 to (0, 200, 0) D 40 centre (100, 200, 0) "
                   "colour 0xffff00"}));
  // Coincident centres leave nothing to bend around.
  c.Find("Centre_2")->position = {100, 0, 0};
  Draw(&Bend2, c, false);
}

TEST_F(ConstructionTest, TeedBendAddsTheBranchToItsFlange) {
  FakeComponent& c = line.Add("TB", "TeedBend", "Fittings");
  c.Point("Centre_1", {0, 0, 0}, 80, "", true);
  c.Point("Run_1", {-100, 0, 0}, 80);
  c.Point("Run_2", {0, 100, 0}, 80);
  c.Point("End_1", {100, 0, 0}, 80, "FL");
  EXPECT_EQ(Draw(&TeedBend, c),
            (Lines{"CurvedCone (-100, 0, 0) D 80 to (0, 100, 0) D 80 centre (0, 0, 0) colour "
                   "0xffff00",
                   "Cone (0, 0, 0) D 80 to (76.2, 0, 0) D 80 colour 0xffff00",
                   "Cone (100, 0, 0) D 200 to (76.2, 0, 0) D 200 colour 0xffff00"}));
}

TEST_F(ConstructionTest, TeedReducersDrawTheRunAndTheBranch) {
  FakeComponent& c = line.Add("TR", "Teed-Concentric-Reducer", "Fittings");
  c.Point("Run_1", {0, 0, 0}, 100);
  c.Point("Run_2", {200, 0, 0}, 50);
  c.Point("Centre_1", {100, 0, 0}, 100, "", true);
  c.Point("End_1", {100, 100, 0}, 50);
  EXPECT_EQ(Draw(&TeedConcentricReducer, c),
            (Lines{"Cone (0, 0, 0) D 100 to (200, 0, 0) D 50 colour 0xffff00",
                   "Cone (100, 0, 0) D 50 to (100, 100, 0) D 50 colour 0xffff00"}));

  FakeComponent& e = line.Add("TE", "Teed-Eccentric-Reducer", "Fittings");
  e.Point("Run_1", {0, 0, 0}, 100);
  e.Point("Centre_1", {100, 0, 0}, 100, "", true);
  e.Point("Centre_2", {100, 0, -25}, 50, "", true);
  e.Point("Run_2", {200, 0, -25}, 50);
  e.Point("End_1", {100, 100, 0}, 50);
  EXPECT_EQ(Draw(&TeedEccentricReducer, e),
            (Lines{"Snout (0, 0, 0) D 100 to (200, 0, -25) D 50 direction (1, 0, 0) colour "
                   "0xffff00",
                   "Cone (100, 0, 0) D 50 to (100, 100, 0) D 50 colour 0xffff00"}));
}

TEST_F(ConstructionTest, EccentricReducerNeedsTheOffsetShapeCode) {
  FakeComponent& c = line.Add("ER", "Eccentric-Reducer", "Fittings");
  c.Point("Run_1", {0, 0, 0}, 100);
  c.Point("Centre_1", {100, 0, 0}, 100, "", true);
  c.Point("Centre_2", {100, 0, -25}, 50, "", true);
  c.Point("Run_2", {200, 0, -25}, 50);
  c.Leg("Run_1", "Centre_1");
  c.Leg("Centre_1", "Centre_2");
  c.Leg("Centre_2", "Run_2");
  c.details->shapeCode = "Offset_2D";
  EXPECT_EQ(Draw(&EccentricReducer, c),
            Lines{"Snout (0, 0, 0) D 100 to (200, 0, -25) D 50 direction (1, 0, 0) colour "
                  "0xffff00"});
  // Without it "DrawLegs" draws the chain; the leg between the two centres
  // takes its sizes from the ends the walk reaches: 100 and 50.
  c.details->shapeCode = "offset_2d";
  CBuildOutcome outcome;
  EXPECT_EQ(Build(c, &outcome),
            (Lines{"Cone (0, 0, 0) D 100 to (100, 0, 0) D 100 colour 0xffff00",
                   "Cone (100, 0, 0) D 100 to (100, 0, -25) D 50 colour 0xffff00",
                   "Cone (100, 0, -25) D 50 to (200, 0, -25) D 50 colour 0xffff00"}));
  EXPECT_EQ(outcome.reason, "the shape code is not \"Offset_2D\"");
}

TEST_F(ConstructionTest, StraightValveDrawsTwoConesFlangesAndASpindle) {
  FakeComponent& c = line.Add("V1", "Gate-Valve", "Valves");
  c.Point("Run_1", {0, 0, 0}, 100, "FL");
  c.Point("Run_2", {200, 0, 0}, 100, "FL");
  c.Leg("Run_1", "Run_2");
  c.attributes["SPINDLE-DIRECTION"] = "UP";
  EXPECT_EQ(Draw(&Valve, c),
            (Lines{"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xff00ff",
                   "Cone (200, 0, 0) D 225 to (176.2, 0, 0) D 225 colour 0xff00ff",
                   "Cone (23.8, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
                   "Cone (176.2, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
                   "Line (100, 0, 0) to (100, 0, 112.5) colour 0xff00ff",
                   "Circle (100, 0, 112.5) D 100 normal (0, 0, 1) colour 0xff00ff"}));
}

TEST_F(ConstructionTest, ValveWithLegsToItsCentreHasTheSpindleThere) {
  FakeComponent& c = line.Add("V2", "Globe-Valve", "Valves");
  c.Point("Run_1", {0, 0, 0}, 50);
  c.Point("Centre_1", {100, 0, 0}, 50, "", true);
  c.Point("Run_2", {200, 0, 0}, 50);
  c.Leg("Run_1", "Centre_1");
  c.Leg("Centre_1", "Run_2");
  c.attributes["SPINDLE-DIRECTION"] = "NORTH";
  EXPECT_EQ(Draw(&Valve, c), (Lines{"Cone (0, 0, 0) D 50 to (100, 0, 0) D 50 colour 0xff00ff",
                                    "Cone (100, 0, 0) D 50 to (200, 0, 0) D 50 colour 0xff00ff",
                                    "Line (100, 0, 0) to (100, 25, 0) colour 0xff00ff",
                                    "Circle (100, 25, 0) D 25 normal (0, 1, 0) colour 0xff00ff"}));
  // A spindle along the pipe has no square part: it keeps its own direction.
  c.attributes["SPINDLE-DIRECTION"] = "EAST";
  EXPECT_EQ(Draw(&Valve, c)[2], "Line (100, 0, 0) to (125, 0, 0) colour 0xff00ff");
  // No direction (or one not in the compass): no spindle.
  c.attributes["SPINDLE-DIRECTION"] = "Up";
  EXPECT_EQ(Draw(&Valve, c).size(), 2u);
}

TEST_F(ConstructionTest, ValveWithoutLegsDrawsNothingAndAMissingPointFallsBack) {
  FakeComponent& c = line.Add("V3", "Ball-Valve", "Valves");
  c.attributes["SPINDLE-DIRECTION"] = "UP";
  EXPECT_EQ(Draw(&Valve, c), Lines{});
  c.Point("Run_1", {0, 0, 0}, 50);
  c.Leg("Run_1", "Run_2");  // Run_2 does not exist
  CBuildOutcome outcome;
  EXPECT_EQ(Build(c, &outcome), Lines{});
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "failed: leg 0 names a point the valve lacks");
}

TEST_F(ConstructionTest, SupportRingsThePipeItStandsOnAndPointsItsStem) {
  FakeComponent& pipe = line.Add("P1", "Pipe");
  pipe.Point("Run_1", {0, 0, 0}, 100);
  pipe.Point("Run_2", {1000, 0, 0}, 100);
  pipe.Leg("Run_1", "Run_2");
  FakeComponent& s = line.Add("S1", "Support", "Supports");
  s.Point("Centre_1", {500, 0, 0}, 0, "", true);
  s.attributes["SUPPORT-DIRECTION"] = "DOWN";
  s.attachments.push_back(&pipe);
  EXPECT_EQ(Draw(&Support, s),
            (Lines{"Circle (500, 0, 0) D 100 normal (1000, 0, 0) colour 0x00ffff",
                   "Line (500, 0, -50) to (500, 0, -75) colour 0x00ffff"}));
  // The stem is never longer than 25.
  pipe.Find("Run_1")->bore = pipe.Find("Run_2")->bore = 300;
  EXPECT_EQ(Draw(&Support, s)[1], "Line (500, 0, -150) to (500, 0, -175) colour 0x00ffff");
}

TEST_F(ConstructionTest, SupportWithoutAttachmentOrLegs) {
  FakeComponent& s = line.Add("S1", "Support", "Supports");
  s.Point("Centre_1", {500, 0, 0}, 0, "", true);
  Draw(&Support, s, false);
  CBuildOutcome outcome;
  EXPECT_EQ(Build(s, &outcome), Lines{});
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "the support is attached to nothing");
  // Attached to something without legs: drawn, as nothing.
  FakeComponent& bare = line.Add("X", "Pipe");
  s.attachments.push_back(&bare);
  EXPECT_EQ(Draw(&Support, s), Lines{});
}

TEST_F(ConstructionTest, DrawLegsDrawsDiscsForZeroLengthLegsWithADirection) {
  FakeComponent& weld = line.Add("W", "Weld", "Welds");
  weld.Point("Run_1", {0, 0, 0}, 100);
  weld.Point("Run_2", {0, 0, 0}, 100);
  weld.Leg("Run_1", "Run_2", CVector3(1, 0, 0));
  EXPECT_EQ(Draw(&DrawLegs, weld),
            (Lines{"Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff",
                   "Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff"}));
  // Without a direction there is nothing square to draw.
  weld.legs.clear();
  weld.Leg("Run_1", "Run_2");
  EXPECT_EQ(Draw(&DrawLegs, weld), Lines{});
}

TEST_F(ConstructionTest, DrawLegsFlangesTenMillimetresApartGetFiveMillimetreFaces) {
  FakeComponent& f = line.Add("F", "Flange", "Flanges");
  f.Point("Run_1", {0, 0, 0}, 100, "FL");
  f.Point("Run_2", {10, 0, 0}, 100, "FL");
  f.Leg("Run_1", "Run_2");
  EXPECT_EQ(Draw(&DrawLegs, f),
            (Lines{"Cone (0, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff",
                   "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
                   "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
                   "Cone (10, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff"}));
  // Coincident flanged ends: the flanges become discs square to the nearest leg.
  f.Find("Run_2")->position = {0, 0, 0};
  f.legs.clear();
  f.Leg("Run_1", "Run_2", CVector3(0, 0, 2));
  EXPECT_EQ(Draw(&DrawLegs, f), (Lines{"Circle (0, 0, 0) D 225 normal (0, 0, 2) colour 0xff00ff",
                                       "Circle (0, 0, 0) D 100 normal (0, 0, 2) colour 0xff00ff",
                                       "Circle (0, 0, 0) D 100 normal (0, 0, 2) colour 0xff00ff",
                                       "Circle (0, 0, 0) D 225 normal (0, 0, 2) colour 0xff00ff"}));
}

TEST_F(ConstructionTest, DrawLegsLinesForZeroBoresAndSkipsLegsWithoutPoints) {
  FakeComponent& c = line.Add("I", "Instrument", "Instruments");
  c.Point("Run_1", {0, 0, 0}, 0);
  c.Point("Run_2", {0, 50, 0}, 0);
  c.Leg("Run_1", "Nowhere");
  c.Leg("Run_1", "Run_2");
  EXPECT_EQ(Draw(&DrawLegs, c), Lines{"Line (0, 0, 0) to (0, 50, 0) colour 0xff0000"});
}

TEST_F(ConstructionTest, DrawLegsWalkStopsOnALoopOfCentres) {
  // Three centres joined in a ring: the walk from any of them never reaches
  // an end, and must give up rather than go round for ever.
  FakeComponent& c = line.Add("R", "Odd", "Pipe");
  c.Point("Centre_1", {0, 0, 0}, 0, "", true);
  c.Point("Centre_2", {100, 0, 0}, 0, "", true);
  c.Point("Centre_3", {0, 100, 0}, 0, "", true);
  c.Leg("Centre_1", "Centre_2");
  c.Leg("Centre_2", "Centre_3");
  c.Leg("Centre_3", "Centre_1");
  EXPECT_EQ(Draw(&DrawLegs, c).size(), 3u);
}

TEST_F(ConstructionTest, NearestLegTakesTheFirstOfEqualsAndHonoursTheFlag) {
  FakeComponent& c = line.Add("T", "Tee", "Fittings");
  c.Point("Run_1", {0, 0, 0});
  c.Point("Run_2", {200, 0, 0});
  c.Point("Centre_1", {100, 0, 0}, 100, "", true);
  c.Point("End_1", {100, 100, 0});
  c.Leg("Run_1", "Centre_1");
  c.Leg("Centre_1", "Run_2");
  c.Leg("Centre_1", "End_1");
  auto found = NearestLeg(&c, {100, 0, 0}, false);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->leg.Get(), static_cast<IKeltoLeg*>(c.legs[0].Get()));
  found = NearestLeg(&c, {150, 10, 0}, true);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->leg.Get(), static_cast<IKeltoLeg*>(c.legs[1].Get()));
  EXPECT_DOUBLE_EQ(found->distance, 10);
  EXPECT_FALSE(NearestLeg(&c, {150, 10, 0}, false));
  EXPECT_DOUBLE_EQ(DistanceToSegment({5, 5, 0}, {0, 0, 0}, {0, 0, 0}), std::sqrt(50.0));
}

// A scheme that counts how often it is asked.
class CountingScheme : public IFColourScheme {
 public:
  std::int32_t GetColour(IKeltoComponent*) override { return ++calls; }
  int calls = 0;
};

TEST_F(ConstructionTest, EveryPrimitiveAsksTheSchemeAgain) {
  auto* scheme = new CountingScheme;
  builder.SetColourScheme(CKelto3ComponentGeometryBuilder::SchemePtr(scheme));
  FakeComponent& c = line.Add("V1", "Gate-Valve", "Valves");
  c.Point("Run_1", {0, 0, 0}, 100);
  c.Point("Run_2", {200, 0, 0}, 100);
  c.Leg("Run_1", "Run_2");
  EXPECT_EQ(Build(c), (Lines{"Cone (0, 0, 0) D 100 to (100, 0, 0) D 0 colour 0x000001",
                             "Cone (200, 0, 0) D 100 to (100, 0, 0) D 0 colour 0x000002"}));
  EXPECT_EQ(scheme->calls, 2);
  // Without a scheme everything is white.
  builder.SetColourScheme(nullptr);
  EXPECT_EQ(Build(c)[0], "Cone (0, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xffffff");
}

}  // namespace
}  // namespace solid_test
