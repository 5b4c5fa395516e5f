// The built-in symbolic builders on components read through the piping
// library: the exact lines each one draws, when each one declines, and the
// chain of legs that separates a run from its branches.
#include <cmath>

#include "SymbolicTestSupport.h"
#include "platform/com/Strings.h"
#include "solid/PipingAccess.h"
#include "symbolic/ConcentricReducerCSSGB.h"
#include "symbolic/DefaultCSSGB.h"
#include "symbolic/EccentricReducerCSSGB.h"
#include "symbolic/SupportCSSGB.h"
#include "symbolic/SymbolicModelBuilder.h"
#include "symbolic/ValveCSSGB.h"
#include "symbolic/WeldCSSGB.h"

namespace symbolic_test {
namespace {

// Pipe OD 100, flange OD 200, flange thickness 20 at every point.
const std::string kUniform = UniformDimensions(100, 200, 20);

// Per point name: the reducers' two pipe sizes and a flanged branch.
constexpr const char* kByName = R"(<Dimensions>
  <Aspect Name="Name" Expression="Name"/>
  <Lookup Name="Run_1"><Tag PipeOD="160" FlangeOD="300" FlangeThickness="20"/></Lookup>
  <Lookup Name="Run_2"><Tag PipeOD="100" FlangeOD="220" FlangeThickness="20"/></Lookup>
  <Lookup Name="End_1"><Tag PipeOD="60" FlangeOD="120" FlangeThickness="10"/></Lookup>
  <Lookup Name="Centre_1"><Tag PipeOD="0" FlangeOD="0" FlangeThickness="0"/></Lookup>
  <Lookup Name="Centre_2"><Tag PipeOD="0" FlangeOD="0" FlangeThickness="0"/></Lookup>
</Dimensions>)";

// The flange boxes of a run from x = 0 to x = 300 along +x, both ends
// flanged (flange OD 200, 20 thick), standing upright.
const std::vector<ExpectedLine> kRunFlanges[2] = {
    Segments("0,0,100 0,0,-100; 20,0,100 0,0,100; 20,0,-100 20,0,100; 0,0,-100 20,0,-100"),
    Segments("300,0,-100 300,0,100; 280,0,-100 300,0,-100; 280,0,100 280,0,-100;"
             "300,0,100 280,0,100"),
};

std::vector<ExpectedLine> Join(std::initializer_list<std::vector<ExpectedLine>> parts) {
  std::vector<ExpectedLine> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string StraightItem(const char* id, const char* type, const char* group, int code,
                         const char* endType, const char* attributes = "{}") {
  return std::string(R"({"id": ")") + id + R"(", "type": ")" + type + R"(", "group": ")" + group +
         R"(", "itemCode": )" + std::to_string(code) + R"(,
      "points": {"Run_1": {"position": [0, 0, 0], "bore": 80, "endType": ")" +
         endType + R"("},
                 "Run_2": {"position": [300, 0, 0], "bore": 80, "endType": ")" +
         endType + R"("}},
      "legs": [{"from": "Run_1", "to": "Run_2"}], "attributes": )" +
         attributes + "}";
}

TEST(ValveBuilderTest, BodiesSpindlesAndWheels) {
  Plant plant(OnePipeline(
      StraightItem("V", "Gate-Valve", "Valves", 15, "FL", R"({"SPINDLE-DIRECTION": "UP"})") + "," +
      StraightItem("N", "Gate-Valve", "Valves", 15, "FL") + "," + R"(
    {"id": "A", "type": "Angle-Valve", "group": "Valves",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 80, "endType": "BW"},
                "Centre_1": {"position": [200, 0, 0], "internal": true},
                "Run_2": {"position": [200, 200, 0], "bore": 80, "endType": "BW"}},
     "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Run_2"}],
     "attributes": {"SPINDLE-DIRECTION": "UP"}},
    {"id": "VERT", "type": "Gate-Valve", "group": "Valves",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 80},
                "Run_2": {"position": [0, 0, 80], "bore": 80}},
     "legs": [{"from": "Run_1", "to": "Run_2"}], "attributes": {"SPINDLE-DIRECTION": "UP"}},
    {"id": "ZERO", "type": "Gate-Valve", "group": "Valves",
     "points": {"Run_1": {"position": [5, 5, 5], "bore": 80},
                "Run_2": {"position": [5, 5, 5], "bore": 80}},
     "legs": [{"from": "Run_1", "to": "Run_2", "direction": [1, 0, 0]}],
     "attributes": {"SPINDLE-DIRECTION": "UP"}})"));
  plant.SetDimensions(kUniform);
  const std::vector<ExpectedLine> body = Join({kRunFlanges[0], kRunFlanges[1],
                                               // Bow-tie 100 high between the flange faces.
                                               Segments("20,0,50 20,0,-50; 280,0,-50 20,0,50;"
                                                        "280,0,50 280,0,-50; 20,0,-50 280,0,50")});
  const struct {
    const char* id;
    std::vector<ExpectedLine> lines;
  } cases[] = {
      // Stem of 100 up from the middle, hand wheel 200 long along the valve.
      {"V", Join({body, Segments("150,0,100 150,0,0; 250,0,100 50,0,100")})},
      {"N", body},
      {"A",
       Segments(  // Inlet triangle: base at Run_1, apex at the centre.
           "0,0,50 0,0,-50; 200,0,0 0,0,50; 0,0,-50 200,0,0;"
           // Outlet triangle: apex at the centre, base at Run_2.
           "200,200,-50 200,0,0; 200,200,50 200,200,-50; 200,0,0 200,200,50;"
           // Spindle from the centre: w = l = 100/2.
           "200,0,50 200,0,0; 200,50,50 200,-50,50")},
      // A vertical valve with a vertical spindle: the wheel cannot lie along
      // the axis, so it lies along PlanarPerpendicular(up) = +x. The body
      // (80) is shorter than the pipe OD (100): the wheel is 80 long, not 100.
      {"VERT", Segments("50,0,0 -50,0,0; -50,0,80 50,0,0; 50,0,80 -50,0,80; -50,0,0 50,0,80;"
                        "0,0,90 0,0,40; 40,0,90 -40,0,90")},
      // No drawable leg: no spindle either.
      {"ZERO", {}},
  };
  CValveCSSGB valve;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const Drawing d = Draw(valve, *plant.Info(c.id));
    EXPECT_TRUE(d.drawn);
    ExpectLines(d.geometry, c.lines);
  }
}

TEST(ReducerBuilderTest, TrapezoidsBranchesAndFlanges) {
  Plant plant(OnePipeline(R"(
    {"id": "R", "type": "Teed-Concentric-Reducer", "group": "Fittings",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 150, "endType": "BW"},
                "Centre_1": {"position": [150, 0, 0], "internal": true},
                "Run_2": {"position": [300, 0, 0], "bore": 100, "endType": "BW"},
                "End_1": {"position": [150, 200, 0], "bore": 50, "endType": "FL"}},
     "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Run_2"},
              {"from": "Centre_1", "to": "End_1"}]},
    {"id": "E", "type": "Eccentric-Reducer", "group": "Fittings",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 150, "endType": "FL"},
                "Centre_1": {"position": [150, 0, 0], "internal": true},
                "Centre_2": {"position": [150, 0, -30], "internal": true},
                "Run_2": {"position": [300, 0, -30], "bore": 100, "endType": "BW"}},
     "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Centre_2"},
              {"from": "Centre_2", "to": "Run_2"}]})"));
  plant.SetDimensions(kByName);
  CConcentricReducerCSSGB concentric;
  Drawing d = Draw(concentric, *plant.Info("R"));
  EXPECT_TRUE(d.drawn);
  ExpectLines(d.geometry, Segments(  // Trapezoid from the 160 end to the 100 end.
                              "0,0,80 0,0,-80; 300,0,50 0,0,80; 300,0,-50 300,0,50;"
                              "0,0,-80 300,0,-50;"
                              // The branch: centre line to the flange face, then its box.
                              "150,0,0 150,190,0; 150,200,-60 150,200,60;"
                              "150,190,-60 150,200,-60; 150,190,60 150,190,-60;"
                              "150,200,60 150,190,60"));
  // Eccentric, flat bottom: the offset (0,0,-30) is the difference of the two
  // radii and points up (Centre_1 - Centre_2), so +y of the symbol is +z.
  CEccentricReducerCSSGB eccentric;
  d = Draw(eccentric, *plant.Info("E"));
  EXPECT_TRUE(d.drawn);
  ExpectLines(d.geometry, Segments("20,0,80 20,0,-80; 300,0,20 20,0,80; 300,0,-80 300,0,20;"
                                   "20,0,-80 300,0,-80;"
                                   // Run_1's flange box, in the same plane.
                                   "0,0,150 0,0,-150; 20,0,150 0,0,150; 20,0,-150 20,0,150;"
                                   "0,0,-150 20,0,-150"));
}

TEST(ReducerBuilderTest, ReducersDeclineComponentsTheyCannotDraw) {
  const auto points = [](const char* run1, const char* run2, const char* extra) {
    return std::string(R"("points": {"Run_1": )") + run1 + R"(, "Run_2": )" + run2 + extra + "}";
  };
  const char* end0 = R"({"position": [0, 0, 0], "bore": 50})";
  const char* end1 = R"({"position": [100, 0, 0], "bore": 50})";
  const char* inside = R"({"position": [100, 0, 0], "bore": 50, "internal": true})";
  const char* centres =
      R"(, "Centre_1": {"position": [50, 0, 0], "internal": true},
           "Centre_2": {"position": [50, 0, 5], "internal": true})";
  const struct {
    const char* id;
    std::string points;
    bool concentric, eccentric;
  } cases[] = {
      {"OK", points(end0, end1, centres), true, true},
      {"INTERNAL", points(end0, inside, centres), false, false},
      {"SAME", points(end0, end0, centres), false, true},
      {"NOCENTRES", points(end0, end1, ""), true, false},
      {"EXTERNALCENTRE",
       points(end0, end1,
              R"(, "Centre_1": {"position": [50, 0, 0]},
                   "Centre_2": {"position": [50, 0, 5], "internal": true})"),
       true, false},
  };
  std::string components;
  for (const auto& c : cases)
    components += std::string(components.empty() ? "" : ",") + R"({"id": ")" + c.id +
                  R"(", "type": "Concentric-Reducer", "group": "Fittings", )" + c.points + "}";
  Plant plant(OnePipeline(components));
  CConcentricReducerCSSGB concentric;
  CEccentricReducerCSSGB eccentric;
  for (const auto& c : cases) {
    const auto info = plant.Info(c.id);
    const Drawing dc = Draw(concentric, *info);
    EXPECT_EQ(dc.drawn, c.concentric) << c.id;
    EXPECT_EQ(dc.geometry.empty(), !c.concentric) << c.id;
    const Drawing de = Draw(eccentric, *info);
    EXPECT_EQ(de.drawn, c.eccentric) << c.id;
    EXPECT_EQ(de.geometry.empty(), !c.eccentric) << c.id;
  }
}

TEST(InlineBuilderTest, ItemCodeFiveDrawsABoxAnythingElseFallsToTheDefault) {
  Plant plant(OnePipeline(StraightItem("FM", "Flow-Meter", "Instruments", 5, "FL") + "," +
                          StraightItem("GA", "Gauge", "Instruments", 7, "FL") + "," +
                          StraightItem("SG", "Sight-Glass", "Miscellaneous", 5, "FL")));
  plant.SetDimensions(kUniform);
  CSymbolicModelBuilder builder;  // its library, no symbol file added
  const CCSSGBLibrary& library = builder.Library();
  const std::vector<ExpectedLine> outline = Segments(
      "20,0,50 20,0,-50; 280,0,50 20,0,50;"
      "280,0,-50 280,0,50; 20,0,-50 280,0,-50");
  const std::vector<ExpectedLine> crossed = Segments(
      "20,0,50 20,0,-50; 280,0,-50 20,0,50;"
      "280,0,50 280,0,-50; 20,0,-50 280,0,50;"
      "280,0,50 20,0,50; 280,0,-50 20,0,-50");
  const struct {
    const char* id;
    std::vector<ExpectedLine> lines;
  } cases[] = {
      {"FM", Join({kRunFlanges[0], kRunFlanges[1], crossed})},
      // Item code 7: the instrument builder declines; the default builder
      // draws flange boxes and the centre line between the faces.
      {"GA", Join({kRunFlanges[0], Segments("20,0,0 280,0,0"), kRunFlanges[1]})},
      {"SG", Join({kRunFlanges[0], kRunFlanges[1], outline})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const Drawing d = Draw(library, *plant.Info(c.id));
    EXPECT_TRUE(d.drawn);
    ExpectLines(d.geometry, c.lines);
  }
}

void ExpectDisc(const CGeometrySet& g, const CPoint3& start, const CPoint3& end, double diameter) {
  ASSERT_EQ(g.size(), 1u);
  const CPrimitive::Cone* cone = g[0].GetCone();
  ASSERT_NE(cone, nullptr);
  EXPECT_TRUE(Near(cone->Start, start, 1e-9)) << Text(cone->Start);
  EXPECT_TRUE(Near(cone->End, end, 1e-9)) << Text(cone->End);
  EXPECT_DOUBLE_EQ(cone->StartDiameter, diameter);
  EXPECT_DOUBLE_EQ(cone->EndDiameter, diameter);
}

TEST(WeldBuilderTest, DiscAcrossThePipeTakingAZeroLengthWeldsLegDirection) {
  Plant plant(OnePipeline(R"(
    {"id": "W0", "type": "Weld", "group": "Welds",
     "points": {"Run_1": {"position": [100, 0, 0], "bore": 2, "boreUnits": 1},
                "Run_2": {"position": [100, 0, 0], "bore": 2, "boreUnits": 1}},
     "legs": [{"from": "Run_1", "to": "Run_2", "direction": [0, 1, 0]}]},
    {"id": "WV", "type": "Weld", "group": "Welds",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 50},
                "Run_2": {"position": [0, 0, 10], "bore": 50}},
     "legs": [{"from": "Run_1", "to": "Run_2"}]},
    {"id": "NOLEG", "type": "Weld", "group": "Welds",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 50},
                "Run_2": {"position": [0, 0, 0], "bore": 50}}},
    {"id": "NODIR", "type": "Weld", "group": "Welds",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 50},
                "Run_2": {"position": [0, 0, 0], "bore": 50}},
     "legs": [{"from": "Run_1", "to": "Run_2"}]},
    {"id": "NORUN", "type": "Weld", "group": "Welds",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 50}}})"));
  CWeldCSSGB weld;
  // Zero length: the leg runs along +y, the disc's normal is +x; 2 in = 50.8.
  Drawing d = Draw(weld, *plant.Info("W0"));
  EXPECT_TRUE(d.drawn);
  ExpectDisc(d.geometry, {100 + 50.8 / 500, 0, 0}, {100 - 50.8 / 500, 0, 0}, 50.8);
  // Vertical: across is +x, the normal (0,0,1) × (1,0,0) = +y.
  d = Draw(weld, *plant.Info("WV"));
  EXPECT_TRUE(d.drawn);
  ExpectDisc(d.geometry, {0, 0.1, 5}, {0, -0.1, 5}, 50);
  for (const char* id : {"NOLEG", "NODIR", "NORUN"}) {
    d = Draw(weld, *plant.Info(id));
    EXPECT_FALSE(d.drawn) << id;
    EXPECT_TRUE(d.geometry.empty()) << id;
  }
}

TEST(SupportBuilderTest, BarsAlongThePipeTheSupportStandsOn) {
  Plant plant(OnePipeline(R"(
    {"id": "PX", "type": "Pipe", "group": "Pipe",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 100},
                "Run_2": {"position": [1000, 0, 0], "bore": 100}},
     "legs": [{"from": "Run_1", "to": "Run_2"}]},
    {"id": "PY", "type": "Pipe", "group": "Pipe",
     "points": {"Run_1": {"position": [2000, -500, 0], "bore": 100},
                "Run_2": {"position": [2000, 500, 0], "bore": 100}},
     "legs": [{"from": "Run_1", "to": "Run_2"}]},
    {"id": "S0", "type": "Support", "group": "Supports", "attachments": ["PX"],
     "points": {"Centre_1": {"position": [500, 0, 0], "bore": 0, "boreUnits": 1, "internal": true}}},
    {"id": "S2", "type": "Support", "group": "Supports", "attachments": ["PX", "PY"],
     "points": {"Centre_1": {"position": [2000, 0, 0], "bore": 4, "internal": true}}},
    {"id": "FREE", "type": "Support", "group": "Supports",
     "points": {"Centre_1": {"position": [0, 0, 0], "bore": 2, "internal": true}}},
    {"id": "NOPOINT", "type": "Support", "group": "Supports",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 2}}})"));
  CSupportCSSGB support;
  const double s = 25.4 * 1.5;  // bore 0 counts as 1, in inches
  const struct {
    const char* id;
    std::vector<ExpectedLine> lines;
  } cases[] = {
      {"S0", {{{500 + s, 0, s}, {500 - s, 0, s}}, {{500 + s, 0, -s}, {500 - s, 0, -s}}}},
      // Two attachments: the leg of PY passes through the point.
      {"S2", Segments("2000,6,6 2000,-6,6; 2000,6,-6 2000,-6,-6")},
      // Attached to nothing: along +x.
      {"FREE", Segments("3,0,3 -3,0,3; 3,0,-3 -3,0,-3")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const Drawing d = Draw(support, *plant.Info(c.id));
    EXPECT_TRUE(d.drawn);
    ExpectLines(d.geometry, c.lines, 1e-9);
  }
  const Drawing d = Draw(support, *plant.Info("NOPOINT"));
  EXPECT_FALSE(d.drawn);
  EXPECT_TRUE(d.geometry.empty());
}

// The legs of a list as "From>To".
std::vector<std::string> Names(const CDefaultCSSGBBase::LegList& legs) {
  std::vector<std::string> names;
  for (const auto& leg : legs)
    names.push_back(kelto::com::BstrToUtf8(kelto::solid::FromPointName(leg.Get()).GetBSTR()) + ">" +
                    kelto::com::BstrToUtf8(kelto::solid::ToPointName(leg.Get()).GetBSTR()));
  return names;
}

TEST(LegChainTest, ShortestChainFromRun1ToRun2AndTheLegsOffIt) {
  const auto component = [](const char* id, const char* legs) {
    return std::string(R"({"id": ")") + id + R"(", "type": "Tee", "group": "Fittings",
      "points": {"Run_1": {"position": [0, 0, 0]}, "Run_2": {"position": [100, 0, 0]},
                 "A": {"position": [50, 0, 0], "internal": true},
                 "B": {"position": [50, 10, 0], "internal": true},
                 "End_1": {"position": [50, 50, 0]}},
      "legs": [)" +
           legs + "]}";
  };
  const struct {
    const char* id;
    const char* legs;
    std::vector<std::string> chain, others;
  } cases[] = {
      {"TEE",
       R"({"from": "Run_1", "to": "A"}, {"from": "A", "to": "End_1"},
                 {"from": "A", "to": "Run_2"})",
       {"Run_1>A", "A>Run_2"},
       {"A>End_1"}},
      // Fewest legs wins over the first-listed longer way round.
      {"SHORT",
       R"({"from": "Run_1", "to": "A"}, {"from": "A", "to": "B"},
                   {"from": "B", "to": "Run_2"}, {"from": "Run_1", "to": "Run_2"})",
       {"Run_1>Run_2"},
       {"Run_1>A", "A>B", "B>Run_2"}},
      // Two chains of two legs: the one through the lower leg indices.
      {"TIE",
       R"({"from": "Run_1", "to": "B"}, {"from": "Run_1", "to": "A"},
                 {"from": "A", "to": "Run_2"}, {"from": "B", "to": "Run_2"})",
       {"Run_1>B", "B>Run_2"},
       {"Run_1>A", "A>Run_2"}},
      // Legs are followed From → To only: a reversed leg breaks the chain.
      {"REVERSED",
       R"({"from": "Run_1", "to": "A"}, {"from": "Run_2", "to": "A"})",
       {},
       {"Run_1>A", "Run_2>A"}},
  };
  std::string components;
  for (const auto& c : cases)
    components += (components.empty() ? "" : ",") + component(c.id, c.legs);
  Plant plant(OnePipeline(components));
  for (const auto& c : cases) {
    const auto info = plant.Info(c.id);
    EXPECT_EQ(Names(CDefaultCSSGBBase::RunChain(*info)), c.chain) << c.id;
    EXPECT_EQ(Names(CDefaultCSSGBBase::OtherLegs(*info)), c.others) << c.id;
  }
}

TEST(DefaultBuilderTest, DrawsEveryLegAndSkipsZeroLengthOnes) {
  Plant plant(OnePipeline(R"(
    {"id": "T", "type": "Tee", "group": "Fittings",
     "points": {"Run_1": {"position": [0, 0, 0], "bore": 80},
                "Centre_1": {"position": [150, 0, 0], "internal": true},
                "Run_2": {"position": [300, 0, 0], "bore": 80},
                "End_1": {"position": [150, 0, 0], "bore": 80}},
     "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Run_2"},
              {"from": "Centre_1", "to": "End_1", "direction": [0, 1, 0]}]},
    {"id": "BARE", "type": "Tee", "group": "Fittings", "points": {}})"));
  plant.SetDimensions(kUniform);
  CDefaultCSSGB builder;
  Drawing d = Draw(builder, *plant.Info("T"));
  EXPECT_TRUE(d.drawn);
  ExpectLines(d.geometry, Segments("0,0,0 150,0,0; 150,0,0 300,0,0"));
  d = Draw(builder, *plant.Info("BARE"));
  EXPECT_TRUE(d.drawn);
  EXPECT_TRUE(d.geometry.empty());
}

}  // namespace
}  // namespace symbolic_test
