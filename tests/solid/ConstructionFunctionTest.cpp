// Each construction function on small components loaded from piping files,
// primitives checked field by field (DescribePrimitive prints every field).
#include <cmath>

#include "SolidTestSupport.h"
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

// One row: what a function draws for a component, or that it declines.
struct DrawCase {
  const char* name;
  CKelto3ComponentGeometryBuilder::ConstructionFunction function;
  Comp component;
  Lines drawn;
  bool accepted = true;
};

class ConstructionTest : public SolidTest {
 protected:
  template <std::size_t N>
  void ExpectDrawn(const DrawCase (&cases)[N]) {
    for (const DrawCase& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(Draw(c.function, c.component, c.accepted), c.drawn);
    }
  }
};

TEST_F(ConstructionTest, BendsCurveAroundTheirInternalCentres) {
  const Comp returnBend = Comp("RB", "ReturnBend", "Fittings")
                              .Point("Run_1", {0, 0, 0}, 50)
                              .Centre("Centre_1", {100, 0, 0}, 50)
                              .Centre("Centre_2", {100, 200, 0}, 50)
                              .Point("Run_2", {0, 200, 0}, 40);
  const DrawCase cases[] = {
      {"Bend1",
       &Bend1,
       Elbow(),
       {"CurvedCone (0, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) colour 0xffff00"}},
      {"Bend1 flanged",
       &Bend1,
       Elbow("FL"),
       {"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xffff00",
        "CurvedCone (23.8, 0, 0) D 100 to (150, 150, 0) D 100 centre (150, 0, 0) colour 0xffff00"}},
      {"centre not internal", &Bend1, Elbow("BW", {150, 0, 0}, "Centre_1", false), {}, false},
      {"no centre of that name", &Bend1, Elbow("BW", {150, 0, 0}, "Centre_9"), {}, false},
      // The flange (23.8 thick) is cut to the 10 mm run: its face is the centre.
      {"face on the centre", &Bend1, Elbow("FL", {10, 0, 0}), {}, false},
      {"Bend2: two cones meeting between the centres",
       &Bend2,
       returnBend,
       {"CurvedCone (0, 0, 0) D 50 to (100, 100, 0) D 45 centre (100, 0, 0) colour 0xffff00",
        "CurvedCone (100, 100, 0) D 45 to (0, 200, 0) D 40 centre (100, 200, 0) colour 0xffff00"}},
      {"Bend2 with coincident centres",
       &Bend2,
       Comp(returnBend).Centre("Centre_2", {100, 0, 0}, 50),
       {},
       false},
      {"TeedBend: the branch to its flange",
       &TeedBend,
       Comp("TB", "TeedBend", "Fittings")
           .Centre("Centre_1", {0, 0, 0}, 80)
           .Point("Run_1", {-100, 0, 0}, 80)
           .Point("Run_2", {0, 100, 0}, 80)
           .Point("End_1", {100, 0, 0}, 80, "FL"),
       {"CurvedCone (-100, 0, 0) D 80 to (0, 100, 0) D 80 centre (0, 0, 0) colour 0xffff00",
        "Cone (0, 0, 0) D 80 to (76.2, 0, 0) D 80 colour 0xffff00",
        "Cone (100, 0, 0) D 200 to (76.2, 0, 0) D 200 colour 0xffff00"}},
  };
  ExpectDrawn(cases);
  // Declined, the bend is drawn by DrawLegs, and the reason is kept.
  CBuildOutcome outcome;
  Build(Elbow("FL", {10, 0, 0}), &outcome);
  EXPECT_EQ(outcome.requested, "Bend1");
  EXPECT_EQ(outcome.function, "DrawLegs");
  EXPECT_EQ(outcome.reason, "a run face meets the centre or the other face");
}

TEST_F(ConstructionTest, ReducersAndTeedReducersDrawTheRunAndTheBranch) {
  const auto reducer = [](const char* id, const char* type) {
    return Comp(id, type, "Fittings")
        .Point("Run_1", {0, 0, 0}, 100)
        .Centre("Centre_1", {100, 0, 0}, 100)
        .Centre("Centre_2", {100, 0, -25}, 50)
        .Point("Run_2", {200, 0, -25}, 50);
  };
  const std::string snout =
      "Snout (0, 0, 0) D 100 to (200, 0, -25) D 50 direction (1, 0, 0) colour 0xffff00";
  const std::string branch = "Cone (100, 0, 0) D 50 to (100, 100, 0) D 50 colour 0xffff00";
  Comp eccentric = reducer("ER", "Eccentric-Reducer")
                       .Leg("Run_1", "Centre_1")
                       .Leg("Centre_1", "Centre_2")
                       .Leg("Centre_2", "Run_2")
                       .Shape("Offset_2D");
  const DrawCase cases[] = {
      {"concentric",
       &TeedConcentricReducer,
       Comp("TR", "Teed-Concentric-Reducer", "Fittings")
           .Point("Run_1", {0, 0, 0}, 100)
           .Point("Run_2", {200, 0, 0}, 50)
           .Centre("Centre_1", {100, 0, 0}, 100)
           .Point("End_1", {100, 100, 0}, 50),
       {"Cone (0, 0, 0) D 100 to (200, 0, 0) D 50 colour 0xffff00", branch}},
      {"eccentric",
       &TeedEccentricReducer,
       reducer("TE", "Teed-Eccentric-Reducer").Point("End_1", {100, 100, 0}, 50),
       {snout, branch}},
      {"eccentric, not teed", &EccentricReducer, eccentric, {snout}},
  };
  ExpectDrawn(cases);
  // The shape code must be exactly "Offset_2D"; else DrawLegs draws the
  // chain, the leg between the centres sized by the ends the walk reaches.
  CBuildOutcome outcome;
  EXPECT_EQ(Build(eccentric.Shape("offset_2d"), &outcome),
            (Lines{"Cone (0, 0, 0) D 100 to (100, 0, 0) D 100 colour 0xffff00",
                   "Cone (100, 0, 0) D 100 to (100, 0, -25) D 50 colour 0xffff00",
                   "Cone (100, 0, -25) D 50 to (200, 0, -25) D 50 colour 0xffff00"}));
  EXPECT_EQ(outcome.reason, "the shape code is not \"Offset_2D\"");
}

// A spindle is square to the pipe where the direction allows; along the
// pipe it keeps its own direction; a direction not in the compass (or none)
// gives no spindle.
TEST_F(ConstructionTest, ValvesDrawConesFlangesAndASpindle) {
  const auto globe = [](const char* direction) {
    return Comp("V2", "Globe-Valve", "Valves")
        .Point("Run_1", {0, 0, 0}, 50)
        .Centre("Centre_1", {100, 0, 0}, 50)
        .Point("Run_2", {200, 0, 0}, 50)
        .Leg("Run_1", "Centre_1")
        .Leg("Centre_1", "Run_2")
        .Attribute("SPINDLE-DIRECTION", direction);
  };
  const Lines globeBody = {"Cone (0, 0, 0) D 50 to (100, 0, 0) D 50 colour 0xff00ff",
                           "Cone (100, 0, 0) D 50 to (200, 0, 0) D 50 colour 0xff00ff"};
  const auto with = [](Lines lines, std::initializer_list<std::string> more) {
    lines.insert(lines.end(), more);
    return lines;
  };
  const DrawCase cases[] = {
      {"straight, flanged",
       &Valve,
       Straight("V1", "Gate-Valve", "Valves", {0, 0, 0}, {200, 0, 0}, 100, "FL")
           .Attribute("SPINDLE-DIRECTION", "UP"),
       {"Cone (0, 0, 0) D 225 to (23.8, 0, 0) D 225 colour 0xff00ff",
        "Cone (200, 0, 0) D 225 to (176.2, 0, 0) D 225 colour 0xff00ff",
        "Cone (23.8, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
        "Cone (176.2, 0, 0) D 100 to (100, 0, 0) D 0 colour 0xff00ff",
        "Line (100, 0, 0) to (100, 0, 112.5) colour 0xff00ff",
        "Circle (100, 0, 112.5) D 100 normal (0, 0, 1) colour 0xff00ff"}},
      {"legs to the centre", &Valve, globe("NORTH"),
       with(globeBody, {"Line (100, 0, 0) to (100, 25, 0) colour 0xff00ff",
                        "Circle (100, 25, 0) D 25 normal (0, 1, 0) colour 0xff00ff"})},
      {"spindle along the pipe", &Valve, globe("EAST"),
       with(globeBody, {"Line (100, 0, 0) to (125, 0, 0) colour 0xff00ff",
                        "Circle (125, 0, 0) D 25 normal (1, 0, 0) colour 0xff00ff"})},
      {"not a compass name", &Valve, globe("Up"), globeBody},
      {"no legs",
       &Valve,
       Comp("V3", "Ball-Valve", "Valves").Attribute("SPINDLE-DIRECTION", "UP"),
       {}},
  };
  ExpectDrawn(cases);
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

TEST_F(ConstructionTest, DrawLegsDrawsConesDiscsAndLinesAsTheLegsAllow) {
  const Comp weld =
      Comp("W", "Weld", "Welds").Point("Run_1", {0, 0, 0}, 100).Point("Run_2", {0, 0, 0}, 100);
  const Comp flat = Comp("F", "Flange", "Flanges")
                        .Point("Run_1", {0, 0, 0}, 100, "FL")
                        .Point("Run_2", {0, 0, 0}, 100, "FL");
  const DrawCase cases[] = {
      {"zero-length leg with a direction: discs",
       &DrawLegs,
       Comp(weld).Leg("Run_1", "Run_2", CVector3(1, 0, 0)),
       {"Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff",
        "Circle (0, 0, 0) D 100 normal (1, 0, 0) colour 0x00ffff"}},
      {"without a direction nothing is square to it",
       &DrawLegs,
       Comp(weld).Leg("Run_1", "Run_2"),
       {}},
      {"flanges 10 mm apart get 5 mm faces",
       &DrawLegs,
       Straight("F", "Flange", "Flanges", {0, 0, 0}, {10, 0, 0}, 100, "FL"),
       {"Cone (0, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff",
        "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
        "Circle (5, 0, 0) D 100 normal (1, 0, 0) colour 0xff00ff",
        "Cone (10, 0, 0) D 225 to (5, 0, 0) D 225 colour 0xff00ff"}},
      // Discs square to the nearest leg, whose direction (given unscaled)
      // counts as a unit vector.
      {"coincident flanged ends",
       &DrawLegs,
       Comp(flat).Leg("Run_1", "Run_2", CVector3(0, 0, 2)),
       {"Circle (0, 0, 0) D 225 normal (0, 0, 1) colour 0xff00ff",
        "Circle (0, 0, 0) D 100 normal (0, 0, 1) colour 0xff00ff",
        "Circle (0, 0, 0) D 100 normal (0, 0, 1) colour 0xff00ff",
        "Circle (0, 0, 0) D 225 normal (0, 0, 1) colour 0xff00ff"}},
      {"zero bores: lines",
       &DrawLegs,
       Straight("I", "Instrument", "Instruments", {0, 0, 0}, {0, 50, 0}, 0),
       {"Line (0, 0, 0) to (0, 50, 0) colour 0xff0000"}},
  };
  ExpectDrawn(cases);
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

// The nearest leg (rings of supports, discs of coincident flanges) is
// measured to segments, which may have no length.
TEST(DistanceToSegment, AZeroLengthSegmentIsItsPoint) {
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
