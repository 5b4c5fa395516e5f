// CSkeldaSymbolCSSGB on components read through the piping library: the
// exact lines of the four drawings, the reverse rule, spindle symbols, the
// degenerate cases that must fall back instead of failing, and the header
// values that must not change a drawing.
#include <cmath>

#include "SymbolicTestSupport.h"
#include "solid/PipingAccess.h"
#include "symbolic/SkeldaSymbolCSSGB.h"

namespace symbolic_test {
namespace {

using Pens = std::vector<CSkeldaSymbol::Instruction>;

CSkeldaSymbol MakeSymbol(Pens pens, long orient = 0, long placement = 0) {
  CSkeldaSymbol s;
  s.instructions = std::move(pens);
  s.Orient = orient;
  s.placement = placement;
  return s;
}

// From (0,0) to (10,0), 10 wide: a bar across its start and a line to its end.
const Pens kFlag = {{1, {0, 0}}, {1, {0, -5}}, {2, {0, 5}}, {2, {10, 0}}};
// The same with a spindle position half-way.
const Pens kFlagWithSpindle = {{1, {0, 0}}, {6, {5, 0}}, {1, {0, -5}}, {2, {0, 5}}, {2, {10, 0}}};
// A stem from (0,0) to (10,0) with a bar across its top.
const Pens kStem = {{1, {0, 0}}, {2, {10, 0}}, {1, {10, -5}}, {2, {10, 5}}, {1, {10, 0}}};

std::string Code(int code) { return R"("itemCode": )" + std::to_string(code); }

std::string Straight(const char* id, const char* type, int code, const std::string& end1,
                     const std::string& end2) {
  return Component(id, type, "",
                   "Run_1 0,0,0 bore=80 end=" + end1 + "; Run_2 300,0,0 bore=80 end=" + end2,
                   "Run_1>Run_2", Code(code) + R"(, "attributes": {"SPINDLE-DIRECTION": "UP"})");
}

// Two ends and two internal centres, legged Run_1 > Centre_1 > Centre_2 > Run_2.
std::string Chain(const char* id, const char* type, int code, const std::string& run1,
                  const std::string& c1, const std::string& c2, const std::string& run2) {
  return Component(id, type, "",
                   "Run_1 " + run1 + "; Centre_1 " + c1 + " internal; Centre_2 " + c2 +
                       " internal; Run_2 " + run2,
                   "Run_1>Centre_1>Centre_2>Run_2", Code(code));
}

class SymbolDrawingTest : public ::testing::Test {
 protected:
  SymbolDrawingTest()
      : plant(OnePipeline(
            {Straight("BW", "Gate-Valve", 15, "BW", "BW"),
             Straight("FL", "Gate-Valve", 15, "FL", "FL"),
             Chain("ECC", "Eccentric-Reducer", 9, "0,0,0", "100,0,0", "100,0,20", "200,0,20"),
             Chain("STRAIGHTCENTRES", "Eccentric-Reducer", 9, "0,0,0", "100,0,0", "150,0,0",
                   "300,0,0"),
             Chain("RETURN", "ReturnBend", 10, "0,0,0", "100,0,0", "100,200,0", "0,200,0"),
             Chain("RETURN2", "ReturnBend", 10, "0.1,0.7,0.3", "100.3,0.7,0.3", "100.3,200.9,0.3",
                   "0.1,200.9,0.3"),
             Component("NOSPIN", "Gate-Valve", "", "Run_1 0,0,0; Run_2 300,0,0", "Run_1>Run_2",
                       Code(15)),
             Component("DRAIN", "Strainer", "", "Run_1 0,0,0; Run_2 300,0,0; End_1 300,0,-100",
                       "Run_1>Run_2>End_1", Code(5)),
             Component("FLANGE", "Flange", "Flanges", "Run_1 0,0,0 end=FL; Run_2 64,0,0 end=BW",
                       "Run_1>Run_2", Code(4)),
             Component("ANGLE", "Angle-Valve", "",
                       "Run_1 0,0,0; Centre_1 500,0,0 internal; Run_2 500,500,0",
                       "Run_1>Centre_1>Run_2",
                       Code(12) + R"(, "attributes": {"SPINDLE-DIRECTION": "UP"})"),
             Component("BARE", "Tee", "", "", "", Code(3)),
             Component("PIPE", "Pipe-Like", "Pipe", "Run_1 0,0,0; Run_2 0,0,0", "Run_1>Run_2@1,0,0",
                       Code(1)),
             Component("PIPE2", "Pipe-Like", "Pipe", "Run_1 0,0,0; Run_2 300,0,0", "Run_1>Run_2",
                       Code(1)),
             Component("UP", "Concentric-Reducer", "", "Run_1 0,0,0 bore=50; Run_2 300,0,0 bore=80",
                       "Run_1>Run_2", Code(11)),
             // Point symbols: supports, and what one stands on.
             Component("S", "Support", "", "Centre_1 1000,0,0 bore=100 internal", "",
                       Code(7) + R"(, "attributes": {"SUPPORT-DIRECTION": "DOWN"})"),
             Component("FREE", "Support", "", "Centre_1 1000,0,0 bore=4 units=1 internal", "",
                       Code(7)),
             Component("P", "Pipe", "", "Run_1 2000,-500,0 bore=100; Run_2 2000,500,0 bore=100",
                       "Run_1>Run_2"),
             Component("ON", "Anything", "Supports", "Centre_1 2000,0,0 internal", "",
                       R"("attributes": {"DIAL-FACE-DIRECTION": "UP"}, "attachments": ["P"])"),
             Component("NOCENTRE", "Support", "", "Other 0,0,0", "", Code(7))})) {
    plant.SetDimensions(UniformDimensions(100, 200, 20));
  }

  Drawing DrawWith(const CSkeldaSymbol& symbol, const char* id,
                   const CSkeldaSymbol* spindle = nullptr) {
    CSkeldaSymbolCSSGB builder(&symbol, spindle);
    return Draw(builder, *plant.Info(id));
  }

  Plant plant;
};

TEST_F(SymbolDrawingTest, InlineStretchesFromFaceToFaceAcrossThePipe) {
  const CSkeldaSymbol flag = MakeSymbol(kFlag);
  CSkeldaSymbolCSSGB builder(&flag, nullptr);
  ExpectDrawings(
      builder, plant,
      {
          {"BW", Segments("0,0,-50 0,0,50; 0,0,50 300,0,0")},
          // Flanged ends: the flange boxes first, then the symbol between the faces.
          {"FL",
           Segments("0,0,100 0,0,-100; 20,0,100 0,0,100; 20,0,-100 20,0,100; 0,0,-100 20,0,-100;"
                    "300,0,-100 300,0,100; 280,0,-100 300,0,-100; 280,0,100 280,0,-100;"
                    "300,0,100 280,0,100; 20,0,-50 20,0,50; 20,0,50 280,0,0")},
          // A flange is stretched over its positions and flange diameter, no box.
          {"FLANGE", Segments("0,0,-100 0,0,100; 0,0,100 64,0,0")},
          // Branch legs become centre lines.
          {"DRAIN", Segments("0,0,-50 0,0,50; 0,0,50 300,0,0; 300,0,0 300,0,-100")},
      });
}

TEST_F(SymbolDrawingTest, SpindleSymbolStandsOnTheSpindlePointAlongTheSpindleDirection) {
  const CSkeldaSymbol symbol = MakeSymbol(kFlagWithSpindle);
  const CSkeldaSymbol stem = MakeSymbol(kStem);
  Drawing d = DrawWith(symbol, "FL", &stem);
  ASSERT_EQ(d.geometry.size(), 12u);
  // T = the mid point of the faces; stem m/2 = 100 up; width l = 100 along
  // the run (m = 200 is less than the 260 between the faces).
  CGeometrySet spindle;
  spindle.insert(spindle.end(), d.geometry.begin() + 10, d.geometry.end());
  ExpectLines(spindle, Segments("150,0,0 150,0,100; 100,0,100 200,0,100"));

  // No spindle direction, no spindle position, or no spindle symbol: none.
  EXPECT_EQ(DrawWith(symbol, "NOSPIN", &stem).geometry.size(), 2u);
  EXPECT_EQ(DrawWith(MakeSymbol(kFlag), "FL", &stem).geometry.size(), 10u);
  EXPECT_EQ(DrawWith(symbol, "FL").geometry.size(), 10u);
  // A spindle symbol without a run direction is left out, the rest drawn.
  const CSkeldaSymbol dot = MakeSymbol({{1, {3, 3}}, {2, {3, 3}}});
  EXPECT_EQ(DrawWith(symbol, "FL", &dot).geometry.size(), 10u);
}

TEST_F(SymbolDrawingTest, OrientTwoDrawsFromTheSmallerBoreEnd) {
  // Smaller bore at Run_1: from Run_2 to Run_1, the symbol's left side
  // (across the reversed run) now upwards. Which ends reverse is SymbolReverseRule's.
  ExpectLines(DrawWith(MakeSymbol(kFlag, 2), "UP").geometry,
              Segments("300,0,50 300,0,-50; 300,0,-50 0,0,0"));
}

TEST(SymbolReverseRule, ByOrientAndPointKinds) {
  Plant plant(
      OnePipeline({Component("C", "Check-Valve", "",
                             "Big 0,0,0 bore=100; Small 1,0,0 bore=80; Inch 2,0,0 bore=4 units=1;"
                             "Flanged 3,0,0 bore=100 end=RFL; Centre 4,0,0 internal",
                             "", Code(15) + R"(, "attributes": {"FLOW": "1"})"),
                   Component("N", "Check-Valve", "", "A 0,0,0; B 1,0,0", "",
                             Code(15) + R"(, "attributes": {"FLOW": "FORWARD"})")}));
  const auto c = plant.Info("C");
  const auto n = plant.Info("N");
  auto point = [](const CComponentInfo& info, const char16_t* name) {
    return kelto::solid::FindPoint(info.Component(), name);
  };
  struct Case {
    long orient;
    const CComponentInfo* info;
    const char16_t* a;
    const char16_t* b;
    bool reversed;
  } cases[] = {
      {0, c.get(), u"Small", u"Big", false},
      {2, c.get(), u"Small", u"Big", true},
      {2, c.get(), u"Big", u"Small", false},
      {2, c.get(), u"Big", u"Big", false},
      // 4 inches is 101.6 mm: larger than 100 mm, although 4 < 100.
      {2, c.get(), u"Inch", u"Big", false},
      {2, c.get(), u"Big", u"Inch", true},
      {3, c.get(), u"Big", u"Flanged", true},
      {1, c.get(), u"Big", u"Small", true},  // FLOW "1"
      {1, n.get(), u"A", u"B", false},       // FLOW that is not a number
      // With an internal point the orient does not matter: end → centre.
      {2, c.get(), u"Small", u"Centre", false},
      {0, c.get(), u"Centre", u"Small", true},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(CSkeldaSymbolCSSGB::Reversed(k.orient, *k.info, point(*k.info, k.a).Get(),
                                           point(*k.info, k.b).Get()),
              k.reversed)
        << "orient " << k.orient << " " << kelto::com::Utf16ToUtf8(k.a) << " -> "
        << kelto::com::Utf16ToUtf8(k.b);
  }
}

TEST_F(SymbolDrawingTest, CentredInlineMapsTheSymbolsBoxOntoRunAndOffset) {
  // S = (0,0), E = (10,2): x spans the run, y the offset of the centres.
  const CSkeldaSymbol symbol =
      MakeSymbol({{1, {0, 0}}, {1, {0, -5}}, {2, {0, 5}}, {2, {10, 4}}, {1, {10, 2}}});
  Drawing d = DrawWith(symbol, "ECC");
  EXPECT_TRUE(d.drawn);
  ExpectLines(d.geometry, Segments("0,0,-50 0,0,50; 0,0,50 200,0,40"));
}

TEST_F(SymbolDrawingTest, CentredInlineFallsBackWhenItsFrameIsDegenerate) {
  // Start and end level: no y to scale by, so a straight stretch end to end.
  const CSkeldaSymbol level = MakeSymbol({{1, {0, 0}}, {2, {10, 0}}});
  ExpectLines(DrawWith(level, "ECC").geometry, Segments("0,0,0 200,0,20"));
  // Centres on the run's own axis: the offset symbol is laid along the run
  // from end to end, as the in-line drawing would.
  const CSkeldaSymbol offset = MakeSymbol({{1, {0, 0}}, {2, {10, 2}}});
  ExpectLines(DrawWith(offset, "STRAIGHTCENTRES").geometry, Segments("0,0,0 300,0,0"));
  // A return bend has no run length at all: traced leg by leg, end to centre.
  Drawing u = DrawWith(level, "RETURN");
  EXPECT_TRUE(u.drawn);
  ExpectLines(u.geometry, Segments("0,0,0 100,0,0; 100,0,0 100,200,0; 0,200,0 100,200,0"));
  // The same with coordinates whose differences do not cancel exactly.
  ExpectLines(DrawWith(level, "RETURN2").geometry,
              Segments("0.1,0.7,0.3 100.3,0.7,0.3; 100.3,0.7,0.3 100.3,200.9,0.3;"
                       "0.1,200.9,0.3 100.3,200.9,0.3"),
              1e-9);
}

TEST_F(SymbolDrawingTest, PerLegRunsFromEachEndIntoTheCentreThenTheSpindle) {
  const CSkeldaSymbol symbol =
      MakeSymbol({{1, {0, 0}}, {1, {0, -5}}, {2, {0, 5}}, {1, {0, 0}}, {2, {10, 0}}, {6, {10, 0}}});
  const CSkeldaSymbol stem = MakeSymbol(kStem);
  Drawing d = DrawWith(symbol, "ANGLE", &stem);
  EXPECT_TRUE(d.drawn);
  ExpectLines(d.geometry, Segments(  // Run_1 → Centre_1, across (0,0,1)·100
                              "0,0,-50 0,0,50; 0,0,0 500,0,0;"
                              // Run_2 → Centre_1, across (0,0,-1)·100
                              "500,500,50 500,500,-50; 500,500,0 500,0,0;"
                              // the spindle on the centre: stem 50 up, bar 50 along the last leg
                              "500,0,0 500,0,50; 500,-25,50 500,25,50"));
  EXPECT_FALSE(DrawWith(symbol, "BARE").drawn);  // no legs
}

TEST_F(SymbolDrawingTest, SymbolsThatCannotBePlacedLeaveTheComponentToOthers) {
  // Start equal to end: no run direction. Nothing drawn, false returned.
  for (const Pens& pens :
       {Pens{}, Pens{{1, {2, 2}}}, Pens{{1, {5, 0}}, {2, {0, 0}}, {2, {5, 0}}}}) {
    const Drawing d = DrawWith(MakeSymbol(pens), "FL");
    EXPECT_FALSE(d.drawn);
    EXPECT_TRUE(d.geometry.empty());
  }
  // A zero-length run is not drawn in-line.
  EXPECT_FALSE(DrawWith(MakeSymbol(kFlag), "PIPE").drawn);
}

TEST_F(SymbolDrawingTest, PenStartsWhereTheFirstPlotIsAndFlatSymbolsMapOnTheirAxis) {
  // Plot-to first: no line from the world origin; no width: nothing across.
  const CSkeldaSymbol flat = MakeSymbol({{2, {0, 0}}, {2, {4, 0}}, {9, {7, 7}}, {2, {10, 0}}});
  ExpectLines(DrawWith(flat, "PIPE2").geometry, Segments("0,0,0 120,0,0; 120,0,0 300,0,0"));
}

// A cross bar from (-1,0) to (1,0) and a post from (0,0) to (0,2): S = (0,0),
// E = (1,0), length 2, width 2.
CSkeldaSymbol Post(long placement) {
  return MakeSymbol({{1, {0, 0}}, {1, {-1, 0}}, {2, {1, 0}}, {1, {0, 0}}, {2, {0, 2}}, {1, {1, 0}}},
                    0, placement);
}

TEST_F(SymbolDrawingTest, PointSymbolsStandAroundThePointByPlacementSizeAndDirections) {
  const struct {
    long placement;
    const char* id;
    const char* lines;
  } cases[] = {
      // s = 100 × 1.5; X along the support direction (none: +x), Y down.
      {0, "S", "925,0,0 1075,0,0; 1000,0,0 1000,0,-150"},
      // Placement 1 ignores the face direction: Y = PlanarPerpendicular(X).
      {1, "S", "925,0,0 1075,0,0; 1000,0,0 1000,0,150"},
      // Placement 2 exchanges X and Y.
      {2, "S", "1000,0,75 1000,0,-75; 1000,0,0 1150,0,0"},
      // Placement 3: three times, in the three axis planes.
      {3, "S",
       "925,0,0 1075,0,0; 1000,0,0 1000,150,0; 1000,-75,0 1000,75,0; 1000,0,0 1000,0,150;"
       "1000,0,-75 1000,0,75; 1000,0,0 1150,0,0"},
      // 4 inches: s = 4 × 25.4 × 1.5 = 152.4; no face direction: Y upright.
      {0, "FREE", "923.8,0,0 1076.2,0,0; 1000,0,0 1000,0,152.4"},
      // Along the pipe it stands on (+y), face up; bore 0 gives s = 1.5; the
      // lone "Centre_1" makes it a point symbol without item code 7.
      {0, "ON", "2000,-0.75,0 2000,0.75,0; 2000,0,0 2000,0,1.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " placement " + std::to_string(c.placement));
    ExpectLines(DrawWith(Post(c.placement), c.id).geometry, Segments(c.lines));
  }
  EXPECT_FALSE(DrawWith(Post(0), "NOCENTRE").drawn);
}

}  // namespace
}  // namespace symbolic_test
