#include "kelto/data/PathWalker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelto/data/File.h"

using namespace kelto::data;

namespace {

// Pipe A, a return bend R (Run_1 - Centre_1 - Centre_2 - Run_2), pipe B, and
// a three-way valve V after B with its branch End_1 open.
const char* kLine =
    R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L", "components": [
 {"id": "A", "type": "Pipe", "points": {"Run_1": {"position": [0, 0, 0]}, "Run_2": {"position": [1000, 0, 0]}},
  "legs": [{"from": "Run_1", "to": "Run_2"}]},
 {"id": "R", "type": "ReturnBend", "points": {"Run_1": {"position": [1000, 0, 0]},
   "Centre_1": {"position": [1300, 0, 0], "internal": true}, "Centre_2": {"position": [1300, 600, 0], "internal": true},
   "Run_2": {"position": [1000, 600, 0]}},
  "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Centre_2"}, {"from": "Centre_2", "to": "Run_2"}]},
 {"id": "B", "type": "Pipe", "points": {"Run_1": {"position": [1000, 600, 0]}, "Run_2": {"position": [0, 600, 0]}},
  "legs": [{"from": "Run_1", "to": "Run_2"}]},
 {"id": "V", "type": "Valve-3Way", "points": {"Run_1": {"position": [0, 600, 0]},
   "Centre_1": {"position": [-100, 600, 0], "internal": true}, "Run_2": {"position": [-200, 600, 0]},
   "End_1": {"position": [-100, 700, 0]}},
  "legs": [{"from": "Run_1", "to": "Centre_1"}, {"from": "Centre_1", "to": "Run_2"}, {"from": "Centre_1", "to": "End_1"}]}
]}]})";

std::string Label(const File& file, const Point* p) {
  if (!p) return "end";
  return std::string(file.OwnerOf(*p).Id()) + "." + std::string(file.Text(p->name));
}

std::vector<std::string> Walk(const File& file, PathWalker& walker, int steps) {
  std::vector<std::string> out;
  for (int i = 0; i < steps; ++i) out.push_back(Label(file, walker.Next()));
  return out;
}

}  // namespace

class PathWalkerTest : public ::testing::Test {
 protected:
  void SetUp() override { file.LoadText(kLine, "walk.json"); }
  const Point& At(const char* id, const char* point) {
    return *file.FindComponent(id)->FindPoint(point);
  }
  const Leg& LegOf(const char* id, std::size_t i) { return file.FindComponent(id)->Legs()[i]; }
  File file;
};

TEST_F(PathWalkerTest, FromACentreSpanWalksOutwardOnEachSide) {
  // Started on Centre_1 having come along Centre_1 - Centre_2, the walk leaves
  // through Run_1 and crosses into pipe A; from Centre_2 it goes the other way.
  PathWalker walker(file);
  ASSERT_TRUE(walker.Start(At("R", "Centre_1"), LegOf("R", 1)));
  EXPECT_EQ(Walk(file, walker, 5),
            (std::vector<std::string>{"R.Run_1", "A.Run_2", "A.Run_1", "end", "end"}));
  EXPECT_EQ(Label(file, walker.Current()), "A.Run_1");

  ASSERT_TRUE(walker.Start(At("R", "Centre_2"), LegOf("R", 1)));
  EXPECT_EQ(Walk(file, walker, 6), (std::vector<std::string>{"R.Run_2", "B.Run_1", "B.Run_2",
                                                             "V.Run_1", "V.Centre_1", "V.Run_2"}));
  EXPECT_EQ(Walk(file, walker, 1), (std::vector<std::string>{"end"}));
}

TEST_F(PathWalkerTest, AtABranchPointTakesTheNextLegInIndexOrder) {
  PathWalker walker(file);
  ASSERT_TRUE(walker.Start(At("V", "Centre_1"), LegOf("V", 1)));
  EXPECT_EQ(Walk(file, walker, 1), (std::vector<std::string>{"V.Run_1"}));
  ASSERT_TRUE(walker.Start(At("V", "Centre_1"), LegOf("V", 0)));
  EXPECT_EQ(Walk(file, walker, 2), (std::vector<std::string>{"V.Run_2", "end"}));
}

TEST_F(PathWalkerTest, StartingAcrossAConnectionFollowsTheFirstLeg) {
  PathWalker walker(file);
  walker.StartAcross(At("B", "Run_1"));
  EXPECT_EQ(Walk(file, walker, 3), (std::vector<std::string>{"B.Run_2", "V.Run_1", "V.Centre_1"}));
  EXPECT_EQ(walker.Via(), &LegOf("V", 0));
}

// A leg that does not end at the point is refused, leaving the walker
// unstarted: WalkerCatalogueTest, through the face that reports it.
