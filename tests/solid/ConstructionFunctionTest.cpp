// Each construction function on small components loaded from piping files,
// primitives checked field by field (DescribePrimitive prints every field).
#include <cmath>

#include "BrokenPiping.h"
#include "SolidTestSupport.h"
#include "platform/com/Strings.h"
#include "solid/ConstructionFunctions.h"

namespace solid_test {
namespace {

using namespace kelto::solid;

Comp Elbow(const std::string& runEnd = "BW", CPoint3 centre = {150, 0, 0},
           const std::string& centreName = "Centre_1", bool internalCentre = true) {
  return Comp("E1", "Elbow-90", "Fittings")
      .Point("Run_1", {0, 0, 0}, 100, runEnd)
      .Point(centreName, centre, 100, "", internalCentre)
      .Point("Run_2", {centre.x, 150, 0}, 100, "BW")
      .Leg("Run_1", centreName)
      .Leg(centreName, "Run_2");
}

using ConstructionTest = SolidTest;

TEST_F(ConstructionTest, Bend1DrawsACurvedConeAroundAnInternalCentreWithFlanges) {
  EXPECT_EQ(Draw(&Bend1, Elbow()),
            Lines{"CurvedCone (0, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) colour "
                  "0xffff00"});
  EXPECT_EQ(Draw(&Bend1, Elbow("FL")),
            (Lines{"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xffff00",
                   "CurvedCone (23.8, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) "
                   "colour 0xffff00"}));
  // No internal centre, or none of that name: declined.
  Draw(&Bend1, Elbow("BW", {150, 0, 0}, "Centre_1", false), false);
  Draw(&Bend1, Elbow("BW", {150, 0, 0}, "Centre_9"), false);
}

TEST_F(ConstructionTest, ABendWhoseFaceMeetsItsCentreIsDrawnByDrawLegs) {
  // The flange (23.8 thick) is cut to the 10 mm run: its face is the centre.
  const Comp c = Elbow("FL", {10, 0, 0});
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

TEST_F(ConstructionTest, Bend2DrawsTwoCurvedConesMeetingBetweenTheCentres) {
  Comp c = Comp("RB", "ReturnBend", "Fittings")
               .Point("Run_1", {0, 0, 0}, 50)
               .Centre("Centre_1", {100, 0, 0}, 50)
               .Centre("Centre_2", {100, 200, 0}, 50)
               .Point("Run_2", {0, 200, 0}, 40);
  EXPECT_EQ(Draw(&Bend2, c),
            (Lines{"CurvedCone (0, 0, 0) D 50 to (100, 100, 0) D 45 centre (100, 0, 0) colour "
                   "0xffff00",
                   "CurvedCone (100, 100, 0) D 45 to (0, 200, 0) D 40 centre (100, 200, 0) "
                   "colour 0xffff00"}));
  // Coincident centres leave nothing to bend around.
  c.Centre("Centre_2", {100, 0, 0}, 50);
  Draw(&Bend2, c, false);
}

TEST_F(ConstructionTest, TeedBendAddsTheBranchToItsFlange) {
  const Comp c = Comp("TB", "TeedBend", "Fittings")
                     .Centre("Centre_1", {0, 0, 0}, 80)
                     .Point("Run_1", {-100, 0, 0}, 80)
                     .Point("Run_2", {0, 100, 0}, 80)
                     .Point("End_1", {100, 0, 0}, 80, "FL");
  EXPECT_EQ(Draw(&TeedBend, c),
            (Lines{"CurvedCone (-100, 0, 0) D 80 to (0, 100, 0) D 80 centre (0, 0, 0) colour "
                   "0xffff00",
                   "Cone (0, 0, 0) D 80 to (76.2, 0, 0) D 80 colour 0xffff00",
                   "Cone (100, 0, 0) D 200 to (76.2, 0, 0) D 200 colour 0xffff00"}));
}

TEST_F(ConstructionTest, TeedReducersDrawTheRunAndTheBranch) {
  const Comp c = Comp("TR", "Teed-Concentric-Reducer", "Fittings")
                     .Point("Run_1", {0, 0, 0}, 100)
                     .Point("Run_2", {200, 0, 0}, 50)
                     .Centre("Centre_1", {100, 0, 0}, 100)
                     .Point("End_1", {100, 100, 0}, 50);
  EXPECT_EQ(Draw(&TeedConcentricReducer, c),
            (Lines{"Cone (0, 0, 0) D 100 to (200, 0, 0) D 50 colour 0xffff00",
                   "Cone (100, 0, 0) D 50 to (100, 100, 0) D 50 colour 0xffff00"}));

  const Comp e = Comp("TE", "Teed-Eccentric-Reducer", "Fittings")
                     .Point("Run_1", {0, 0, 0}, 100)
                     .Centre("Centre_1", {100, 0, 0}, 100)
                     .Centre("Centre_2", {100, 0, -25}, 50)
                     .Point("Run_2", {200, 0, -25}, 50)
                     .Point("End_1", {100, 100, 0}, 50);
  EXPECT_EQ(Draw(&TeedEccentricReducer, e),
            (Lines{"Snout (0, 0, 0) D 100 to (200, 0, -25) D 50 direction (1, 0, 0) colour "
                   "0xffff00",
                   "Cone (100, 0, 0) D 50 to (100, 100, 0) D 50 colour 0xffff00"}));
}

TEST_F(ConstructionTest, EccentricReducerNeedsTheOffsetShapeCode) {
  Comp c = Comp("ER", "Eccentric-Reducer", "Fittings")
               .Point("Run_1", {0, 0, 0}, 100)
               .Centre("Centre_1", {100, 0, 0}, 100)
               .Centre("Centre_2", {100, 0, -25}, 50)
               .Point("Run_2", {200, 0, -25}, 50)
               .Leg("Run_1", "Centre_1")
               .Leg("Centre_1", "Centre_2")
               .Leg("Centre_2", "Run_2")
               .Shape("Offset_2D");
  EXPECT_EQ(Draw(&EccentricReducer, c),
            Lines{"Snout (0, 0, 0) D 100 to (200, 0, -25) D 50 direction (1, 0, 0) colour "
                  "0xffff00"});
  // Without it "DrawLegs" draws the chain; the leg between the two centres
  // takes its sizes from the ends the walk reaches: 100 and 50.
  c.Shape("offset_2d");
  CBuildOutcome outcome;
  EXPECT_EQ(Build(c, &outcome),
            (Lines{"Cone (0, 0, 0) D 100 to (100, 0, 0) D 100 colour 0xffff00",
                   "Cone (100, 0, 0) D 100 to (100, 0, -25) D 50 colour 0xffff00",
                   "Cone (100, 0, -25) D 50 to (200, 0, -25) D 50 colour 0xffff00"}));
  EXPECT_EQ(outcome.reason, "the shape code is not \"Offset_2D\"");
}

TEST_F(ConstructionTest, StraightValveDrawsTwoConesFlangesAndASpindle) {
  const Comp c = Straight("V1", "Gate-Valve", "Valves", {0, 0, 0}, {200, 0, 0}, 100, "FL")
                     .Attribute("SPINDLE-DIRECTION", "UP");
  EXPECT_EQ(Draw(&Valve, c),
            (Lines{"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xff00ff",
                   "Cone (200, 0, 0) D 225 to (176.2, 0, 0) D 225 colour 0xff00ff",
                   "Cone (23.8, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
                   "Cone (176.2, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
                   "Line (100, 0, 0) to (100, 0, 112.5) colour 0xff00ff",
                   "Circle (100, 0, 112.5) D 100 normal (0, 0, 1) colour 0xff00ff"}));
}

TEST_F(ConstructionTest, ValveWithLegsToItsCentreHasTheSpindleThere) {
  Comp c = Comp("V2", "Globe-Valve", "Valves")
               .Point("Run_1", {0, 0, 0}, 50)
               .Centre("Centre_1", {100, 0, 0}, 50)
               .Point("Run_2", {200, 0, 0}, 50)
               .Leg("Run_1", "Centre_1")
               .Leg("Centre_1", "Run_2");
  EXPECT_EQ(Draw(&Valve, c.Attribute("SPINDLE-DIRECTION", "NORTH")),
            (Lines{"Cone (0, 0, 0) D 50 to (100, 0, 0) D 50 colour 0xff00ff",
                   "Cone (100, 0, 0) D 50 to (200, 0, 0) D 50 colour 0xff00ff",
                   "Line (100, 0, 0) to (100, 25, 0) colour 0xff00ff",
                   "Circle (100, 25, 0) D 25 normal (0, 1, 0) colour 0xff00ff"}));
  // A spindle along the pipe has no square part: it keeps its own direction.
  EXPECT_EQ(Draw(&Valve, c.Attribute("SPINDLE-DIRECTION", "EAST"))[2],
            "Line (100, 0, 0) to (125, 0, 0) colour 0xff00ff");
  // No direction (or one not in the compass): no spindle.
  EXPECT_EQ(Draw(&Valve, c.Attribute("SPINDLE-DIRECTION", "Up")).size(), 2u);
}

TEST_F(ConstructionTest, ValveWithoutLegsDrawsNothingAndALegToAMissingPointFallsBack) {
  EXPECT_EQ(Draw(&Valve, Comp("V3", "Ball-Valve", "Valves").Attribute("SPINDLE-DIRECTION", "UP")),
            Lines{});
  // Its leg names Run_2, which the valve's points lack.
  const Comp whole = Straight("V3", "Ball-Valve", "Valves", {0, 0, 0}, {100, 0, 0}, 50)
                         .Attribute("SPINDLE-DIRECTION", "UP");
  const Comp lacking = Comp("V3", "Ball-Valve", "Valves").Point("Run_1", {0, 0, 0}, 50);
  auto valve = kelto::com::MakeObject<MismatchedComponent>(
      ComponentOf(Load({whole}).Get(), "V3"), ComponentOf(Load({lacking}).Get(), "V3"));
  CBuildOutcome outcome;
  EXPECT_EQ(Build(valve.Get(), &outcome), Lines{});
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "failed: leg 0 names a point the valve lacks");
}

TEST_F(ConstructionTest, SupportRingsThePipeItStandsOnAndPointsItsStem) {
  Comp s = Comp("S1", "Support", "Supports").Point("Centre_1", {500, 0, 0}, 0, "", true);
  // Attached to nothing: declined, and Build falls back to DrawLegs.
  Draw(&Support, s, false);
  CBuildOutcome outcome;
  EXPECT_EQ(Build(s, &outcome), Lines{});
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "the support is attached to nothing");
  // Attached to something without legs: drawn, as nothing.
  EXPECT_EQ(Draw(&Support, Comp(s).Attach("X"), true, {Comp("X", "Pipe")}), Lines{});

  s.Attribute("SUPPORT-DIRECTION", "DOWN").Attach("P1");
  const auto pipe = [](double bore) { return Pipe("P1", {0, 0, 0}, {1000, 0, 0}, bore); };
  EXPECT_EQ(Draw(&Support, s, true, {pipe(100)}),
            (Lines{"Circle (500, 0, 0) D 100 normal (1000, 0, 0) colour 0x00ffff",
                   "Line (500, 0, -50) to (500, 0, -75) colour 0x00ffff"}));
  // The stem is never longer than 25.
  EXPECT_EQ(Draw(&Support, s, true, {pipe(300)})[1],
            "Line (500, 0, -150) to (500, 0, -175) colour 0x00ffff");
}

TEST_F(ConstructionTest, DrawLegsDrawsDiscsForZeroLengthLegsWithADirection) {
  const Comp weld =
      Comp("W", "Weld", "Welds").Point("Run_1", {0, 0, 0}, 100).Point("Run_2", {0, 0, 0}, 100);
  EXPECT_EQ(Draw(&DrawLegs, Comp(weld).Leg("Run_1", "Run_2", CVector3(1, 0, 0))),
            (Lines{"Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff",
                   "Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff"}));
  // Without a direction there is nothing square to draw.
  EXPECT_EQ(Draw(&DrawLegs, Comp(weld).Leg("Run_1", "Run_2")), Lines{});
}

TEST_F(ConstructionTest, DrawLegsFlangesTenMillimetresApartGetFiveMillimetreFaces) {
  const Comp f = Straight("F", "Flange", "Flanges", {0, 0, 0}, {10, 0, 0}, 100, "FL");
  EXPECT_EQ(Draw(&DrawLegs, f),
            (Lines{"Cone (0, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff",
                   "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
                   "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
                   "Cone (10, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff"}));
  // Coincident flanged ends: the flanges become discs square to the nearest
  // leg, whose direction (given unscaled) counts as a unit vector.
  const Comp flat = Comp("F", "Flange", "Flanges")
                        .Point("Run_1", {0, 0, 0}, 100, "FL")
                        .Point("Run_2", {0, 0, 0}, 100, "FL")
                        .Leg("Run_1", "Run_2", CVector3(0, 0, 2));
  EXPECT_EQ(Draw(&DrawLegs, flat),
            (Lines{"Circle (0, 0, 0) D 225 normal (0, 0, 1) colour 0xff00ff",
                   "Circle (0, 0, 0) D 100 normal (0, 0, 1) colour 0xff00ff",
                   "Circle (0, 0, 0) D 100 normal (0, 0, 1) colour 0xff00ff",
                   "Circle (0, 0, 0) D 225 normal (0, 0, 1) colour 0xff00ff"}));
}

TEST_F(ConstructionTest, DrawLegsLinesForZeroBoresAndSkipsLegsWithoutPoints) {
  // The legs name Nowhere, which the component's points lack.
  const auto instrument = [] {
    return Comp("I", "Instrument", "Instruments")
        .Point("Run_1", {0, 0, 0}, 0)
        .Point("Run_2", {0, 50, 0}, 0);
  };
  const Comp whole =
      instrument().Point("Nowhere", {9, 9, 9}, 0).Leg("Run_1", "Nowhere").Leg("Run_1", "Run_2");
  auto c = kelto::com::MakeObject<MismatchedComponent>(
      ComponentOf(Load({whole}).Get(), "I"), ComponentOf(Load({instrument()}).Get(), "I"));
  EXPECT_EQ(Draw(&DrawLegs, c.Get()), Lines{"Line (0, 0, 0) to (0, 50, 0) colour 0xff0000"});
}

TEST_F(ConstructionTest, DrawLegsWalkStopsOnALoopOfCentres) {
  // Three centres joined in a ring: the walk from any of them never reaches
  // an end, and must give up rather than go round for ever.
  const Comp c = Comp("R", "Odd", "Pipe")
                     .Centre("Centre_1", {0, 0, 0}, 0)
                     .Centre("Centre_2", {100, 0, 0}, 0)
                     .Centre("Centre_3", {0, 100, 0}, 0)
                     .Leg("Centre_1", "Centre_2")
                     .Leg("Centre_2", "Centre_3")
                     .Leg("Centre_3", "Centre_1");
  EXPECT_EQ(Draw(&DrawLegs, c).size(), 3u);
}

TEST_F(ConstructionTest, NearestLegTakesTheFirstOfEqualsAndHonoursTheFlag) {
  const auto file = Load({Comp("T", "Tee", "Fittings")
                              .Point("Run_1", {0, 0, 0})
                              .Point("Run_2", {200, 0, 0})
                              .Centre("Centre_1", {100, 0, 0})
                              .Point("End_1", {100, 100, 0})
                              .Leg("Run_1", "Centre_1")
                              .Leg("Centre_1", "Run_2")
                              .Leg("Centre_1", "End_1")});
  const auto c = ComponentOf(file.Get(), "T");
  const auto ends = [](const NearestLegResult& r) {
    return kelto::com::BstrToUtf8(FromPointName(r.leg.Get()).GetBSTR()) + "-" +
           kelto::com::BstrToUtf8(ToPointName(r.leg.Get()).GetBSTR());
  };
  auto found = NearestLeg(c.Get(), {100, 0, 0}, false);
  ASSERT_TRUE(found);
  EXPECT_EQ(ends(*found), "Run_1-Centre_1");
  found = NearestLeg(c.Get(), {150, 10, 0}, true);
  ASSERT_TRUE(found);
  EXPECT_EQ(ends(*found), "Centre_1-Run_2");
  EXPECT_DOUBLE_EQ(found->distance, 10);
  EXPECT_FALSE(NearestLeg(c.Get(), {150, 10, 0}, false));
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
  const Comp c = Straight("V1", "Gate-Valve", "Valves", {0, 0, 0}, {200, 0, 0});
  EXPECT_EQ(Build(c), (Lines{"Cone (0, 0, 0) D 100 to (100, 0, 0) D 0 colour 0x000001",
                             "Cone (200, 0, 0) D 100 to (100, 0, 0) D 0 colour 0x000002"}));
  EXPECT_EQ(scheme->calls, 2);
  // Without a scheme everything is white.
  builder.SetColourScheme(nullptr);
  EXPECT_EQ(Build(c)[0], "Cone (0, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xffffff");
}

}  // namespace
}  // namespace solid_test
