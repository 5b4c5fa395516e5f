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
const std::string kRunFlanges[2] = {
    "0,0,100 0,0,-100; 20,0,100 0,0,100; 20,0,-100 20,0,100; 0,0,-100 20,0,-100;",
    "300,0,-100 300,0,100; 280,0,-100 300,0,-100; 280,0,100 280,0,-100; 300,0,100 280,0,100;",
};

constexpr const char* kUp = R"("attributes": {"SPINDLE-DIRECTION": "UP"})";

std::string StraightItem(const char* id, const char* type, const char* group, int code,
                         const std::string& end, const char* attributes = "{}") {
  return Component(
      id, type, group, "Run_1 0,0,0 bore=80 end=" + end + "; Run_2 300,0,0 bore=80 end=" + end,
      "Run_1>Run_2", R"("itemCode": )" + std::to_string(code) + R"(, "attributes": )" + attributes);
}

TEST(ValveBuilderTest, BodiesSpindlesAndWheels) {
  Plant plant(OnePipeline(
      {StraightItem("V", "Gate-Valve", "Valves", 15, "FL", R"({"SPINDLE-DIRECTION": "UP"})"),
       StraightItem("N", "Gate-Valve", "Valves", 15, "FL"),
       Component(
           "A", "Angle-Valve", "Valves",
           "Run_1 0,0,0 bore=80 end=BW; Centre_1 200,0,0 internal; Run_2 200,200,0 bore=80 end=BW",
           "Run_1>Centre_1>Run_2", kUp),
       Component("VERT", "Gate-Valve", "Valves", "Run_1 0,0,0 bore=80; Run_2 0,0,80 bore=80",
                 "Run_1>Run_2", kUp),
       Component("ZERO", "Gate-Valve", "Valves", "Run_1 5,5,5 bore=80; Run_2 5,5,5 bore=80",
                 "Run_1>Run_2@1,0,0", kUp)}));
  plant.SetDimensions(kUniform);
  // The flange boxes, and a bow-tie 100 high between the flange faces.
  const std::string body =
      kRunFlanges[0] + kRunFlanges[1] +
      "20,0,50 20,0,-50; 280,0,-50 20,0,50; 280,0,50 280,0,-50; 20,0,-50 280,0,50;";
  CValveCSSGB valve;
  ExpectDrawings(
      valve, plant,
      {
          // Stem of 100 up from the middle, hand wheel 200 long along the valve.
          {"V", Segments(body + "150,0,100 150,0,0; 250,0,100 50,0,100")},
          {"N", Segments(body)},
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
      });
}

TEST(ReducerBuilderTest, TrapezoidsBranchesAndFlanges) {
  Plant plant(
      OnePipeline({Component("R", "Teed-Concentric-Reducer", "Fittings",
                             "Run_1 0,0,0 bore=150 end=BW; Centre_1 150,0,0 internal;"
                             "Run_2 300,0,0 bore=100 end=BW; End_1 150,200,0 bore=50 end=FL",
                             "Run_1>Centre_1>Run_2; Centre_1>End_1"),
                   Component("E", "Eccentric-Reducer", "Fittings",
                             "Run_1 0,0,0 bore=150 end=FL; Centre_1 150,0,0 internal;"
                             "Centre_2 150,0,-30 internal; Run_2 300,0,-30 bore=100 end=BW",
                             "Run_1>Centre_1>Centre_2>Run_2")}));
  plant.SetDimensions(kByName);
  CConcentricReducerCSSGB concentric;
  ExpectDrawings(concentric, plant,
                 {{"R", Segments(  // Trapezoid from the 160 end to the 100 end.
                            "0,0,80 0,0,-80; 300,0,50 0,0,80; 300,0,-50 300,0,50;"
                            "0,0,-80 300,0,-50;"
                            // The branch: centre line to the flange face, then its box.
                            "150,0,0 150,190,0; 150,200,-60 150,200,60;"
                            "150,190,-60 150,200,-60; 150,190,60 150,190,-60;"
                            "150,200,60 150,190,60")}});
  // Eccentric, flat bottom: the offset (0,0,-30) is the difference of the two
  // radii and points up (Centre_1 - Centre_2), so +y of the symbol is +z.
  CEccentricReducerCSSGB eccentric;
  ExpectDrawings(eccentric, plant,
                 {{"E", Segments("20,0,80 20,0,-80; 300,0,20 20,0,80; 300,0,-80 300,0,20;"
                                 "20,0,-80 300,0,-80;"
                                 // Run_1's flange box, in the same plane.
                                 "0,0,150 0,0,-150; 20,0,150 0,0,150; 20,0,-150 20,0,150;"
                                 "0,0,-150 20,0,-150")}});
}

TEST(ReducerBuilderTest, ReducersDeclineComponentsTheyCannotDraw) {
  const std::string ends = "Run_1 0,0,0 bore=50; Run_2 100,0,0 bore=50";
  const std::string centres = "; Centre_1 50,0,0 internal; Centre_2 50,0,5 internal";
  const struct {
    const char* id;
    std::string points;
    bool concentric, eccentric;
  } cases[] = {
      {"OK", ends + centres, true, true},
      {"INTERNAL", ends + " internal" + centres, false, false},
      {"SAME", "Run_1 0,0,0 bore=50; Run_2 0,0,0 bore=50" + centres, false, true},
      {"NOCENTRES", ends, true, false},
      {"EXTERNALCENTRE", ends + "; Centre_1 50,0,0; Centre_2 50,0,5 internal", true, false},
  };
  std::string components;
  for (const auto& c : cases)
    components += (components.empty() ? "" : ",") +
                  Component(c.id, "Concentric-Reducer", "Fittings", c.points);
  Plant plant(OnePipeline(components));
  CConcentricReducerCSSGB concentric;
  CEccentricReducerCSSGB eccentric;
  for (const auto& c : cases) {
    const auto info = plant.Info(c.id);
    // Drawn, and then never empty; declined, and then nothing drawn.
    const Drawing dc = Draw(concentric, *info), de = Draw(eccentric, *info);
    EXPECT_EQ(dc.drawn + 2 * dc.geometry.empty(), c.concentric ? 1 : 2) << c.id;
    EXPECT_EQ(de.drawn + 2 * de.geometry.empty(), c.eccentric ? 1 : 2) << c.id;
  }
}

TEST(InlineBuilderTest, ItemCodeFiveDrawsABoxAnythingElseFallsToTheDefault) {
  Plant plant(OnePipeline({StraightItem("FM", "Flow-Meter", "Instruments", 5, "FL"),
                           StraightItem("GA", "Gauge", "Instruments", 7, "FL"),
                           StraightItem("SG", "Sight-Glass", "Miscellaneous", 5, "FL")}));
  plant.SetDimensions(kUniform);
  CSymbolicModelBuilder builder;  // its library, no symbol file added
  const CCSSGBLibrary& library = builder.Library();
  const std::string flanges = kRunFlanges[0] + kRunFlanges[1];
  ExpectDrawings(library, plant,
                 {
                     {"FM", Segments(flanges + "20,0,50 20,0,-50; 280,0,-50 20,0,50;"
                                               "280,0,50 280,0,-50; 20,0,-50 280,0,50;"
                                               "280,0,50 20,0,50; 280,0,-50 20,0,-50")},
                     // Item code 7: the instrument builder declines; the default builder
                     // draws flange boxes and the centre line between the faces.
                     {"GA", Segments(kRunFlanges[0] + "20,0,0 280,0,0;" + kRunFlanges[1])},
                     {"SG", Segments(flanges + "20,0,50 20,0,-50; 280,0,50 20,0,50;"
                                               "280,0,-50 280,0,50; 20,0,-50 280,0,-50")},
                 });
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
  const char* zero = "Run_1 0,0,0 bore=50; Run_2 0,0,0 bore=50";
  Plant plant(OnePipeline(
      {Component("W0", "Weld", "Welds",
                 "Run_1 100,0,0 bore=2 units=1; Run_2 100,0,0 bore=2 units=1", "Run_1>Run_2@0,1,0"),
       Component("WV", "Weld", "Welds", "Run_1 0,0,0 bore=50; Run_2 0,0,10 bore=50", "Run_1>Run_2"),
       Component("NOLEG", "Weld", "Welds", zero),
       Component("NODIR", "Weld", "Welds", zero, "Run_1>Run_2"),
       Component("NORUN", "Weld", "Welds", "Run_1 0,0,0 bore=50")}));
  CWeldCSSGB weld;
  // Zero length: the leg runs along +y, the disc's normal is +x; 2 in = 50.8.
  Drawing d = Draw(weld, *plant.Info("W0"));
  EXPECT_TRUE(d.drawn);
  ExpectDisc(d.geometry, {100 + 50.8 / 500, 0, 0}, {100 - 50.8 / 500, 0, 0}, 50.8);
  // Vertical: across is +x, the normal (0,0,1) × (1,0,0) = +y.
  d = Draw(weld, *plant.Info("WV"));
  EXPECT_TRUE(d.drawn);
  ExpectDisc(d.geometry, {0, 0.1, 5}, {0, -0.1, 5}, 50);
  ExpectDeclined(weld, plant, {"NOLEG", "NODIR", "NORUN"});
}

TEST(SupportBuilderTest, BarsAlongThePipeTheSupportStandsOn) {
  Plant plant(OnePipeline(
      {Component("PX", "Pipe", "Pipe", "Run_1 0,0,0 bore=100; Run_2 1000,0,0 bore=100",
                 "Run_1>Run_2"),
       Component("PY", "Pipe", "Pipe", "Run_1 2000,-500,0 bore=100; Run_2 2000,500,0 bore=100",
                 "Run_1>Run_2"),
       Component("S0", "Support", "Supports", "Centre_1 500,0,0 bore=0 units=1 internal", "",
                 R"("attachments": ["PX"])"),
       Component("S2", "Support", "Supports", "Centre_1 2000,0,0 bore=4 internal", "",
                 R"("attachments": ["PX", "PY"])"),
       Component("FREE", "Support", "Supports", "Centre_1 0,0,0 bore=2 internal"),
       Component("NOPOINT", "Support", "Supports", "Run_1 0,0,0 bore=2")}));
  CSupportCSSGB support;
  const double s = 25.4 * 1.5;  // bore 0 counts as 1, in inches
  ExpectDrawings(
      support, plant,
      {
          {"S0", {{{500 + s, 0, s}, {500 - s, 0, s}}, {{500 + s, 0, -s}, {500 - s, 0, -s}}}},
          // Two attachments: the leg of PY passes through the point.
          {"S2", Segments("2000,6,6 2000,-6,6; 2000,6,-6 2000,-6,-6")},
          // Attached to nothing: along +x.
          {"FREE", Segments("3,0,3 -3,0,3; 3,0,-3 -3,0,-3")},
      });
  ExpectDeclined(support, plant, {"NOPOINT"});
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
  const struct {
    const char* id;
    const char* legs;
    std::vector<std::string> chain, others;
  } cases[] = {
      {"TEE", "Run_1>A>End_1; A>Run_2", {"Run_1>A", "A>Run_2"}, {"A>End_1"}},
      // Fewest legs wins over the first-listed longer way round.
      {"SHORT", "Run_1>A>B>Run_2; Run_1>Run_2", {"Run_1>Run_2"}, {"Run_1>A", "A>B", "B>Run_2"}},
      // Two chains of two legs: the one through the lower leg indices.
      {"TIE", "Run_1>B; Run_1>A>Run_2; B>Run_2", {"Run_1>B", "B>Run_2"}, {"Run_1>A", "A>Run_2"}},
      // Legs are followed From → To only: a reversed leg breaks the chain.
      {"REVERSED", "Run_1>A; Run_2>A", {}, {"Run_1>A", "Run_2>A"}},
  };
  std::string components;
  for (const auto& c : cases)
    components += (components.empty() ? "" : ",") +
                  Component(c.id, "Tee", "Fittings",
                            "Run_1 0,0,0; Run_2 100,0,0; A 50,0,0 internal; B 50,10,0 internal;"
                            "End_1 50,50,0",
                            c.legs);
  Plant plant(OnePipeline(components));
  for (const auto& c : cases) {
    const auto info = plant.Info(c.id);
    EXPECT_EQ(Names(CDefaultCSSGBBase::RunChain(*info)), c.chain) << c.id;
    EXPECT_EQ(Names(CDefaultCSSGBBase::OtherLegs(*info)), c.others) << c.id;
  }
}

TEST(DefaultBuilderTest, DrawsEveryLegAndSkipsZeroLengthOnes) {
  Plant plant(OnePipeline(
      {Component("T", "Tee", "Fittings",
                 "Run_1 0,0,0 bore=80; Centre_1 150,0,0 internal; Run_2 300,0,0 bore=80;"
                 "End_1 150,0,0 bore=80",
                 "Run_1>Centre_1>Run_2; Centre_1>End_1@0,1,0"),
       Component("BARE", "Tee", "Fittings", "")}));
  plant.SetDimensions(kUniform);
  CDefaultCSSGB builder;
  ExpectDrawings(builder, plant, {{"T", Segments("0,0,0 150,0,0; 150,0,0 300,0,0")}, {"BARE", {}}});
}

}  // namespace
}  // namespace symbolic_test
