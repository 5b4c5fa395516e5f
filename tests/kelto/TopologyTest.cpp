// Connections and routes, on the sample plants and on small made-up lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "PlantText.h"
#include "kelto/data/File.h"

using namespace kelto::data;
using kelto::test::Example;
using kelto::test::LineText;

namespace {

// "id.point" of every open end of the file, in file order.
std::vector<std::string> OpenEnds(const File& file) {
  std::vector<std::string> out;
  for (const Component* c : file.Components())
    for (const Point& p : c->Points())
      if (!p.internal && !file.ConnectedPoint(p))
        out.push_back(std::string(c->Id()) + "." + std::string(file.Text(p.name)));
  return out;
}

std::vector<std::string> Ids(const Route& route) {
  std::vector<std::string> out;
  for (const RouteEntry& e : route) out.emplace_back(e.component->Id());
  return out;
}

std::string Name(const File& file, std::int32_t point) {
  if (point == kNoIndex) return "-";
  const Point& p = file.AllPoints()[point];
  return std::string(file.OwnerOf(p).Id()) + "." + std::string(file.Text(p.name));
}

// Properties every loaded file has, whatever its contents.
void ExpectConsistent(const File& file) {
  std::set<const Component*> routed;
  for (const Pipeline* pipeline : file.Pipelines()) {
    for (const Route& route : pipeline->Routes()) {
      for (std::size_t i = 0; i < route.size(); ++i) {
        EXPECT_EQ(&route[i].component->OwnerPipeline(), pipeline);
        EXPECT_TRUE(routed.insert(route[i].component).second) << route[i].component->Id();
        // A route steps across connections: where one entry leaves, the next enters.
        if (i > 0 && route[i].entryPoint != kNoIndex && route[i - 1].exitPoint != kNoIndex) {
          EXPECT_EQ(file.AllPoints()[route[i - 1].exitPoint].connected, route[i].entryPoint);
        }
      }
    }
  }
  EXPECT_EQ(routed.size(), file.Components().size());
  for (const Point& p : file.AllPoints()) {
    if (p.internal) {
      EXPECT_EQ(p.connected, kNoIndex);
      continue;
    }
    if (const Point* q = file.ConnectedPoint(p)) {
      EXPECT_EQ(q->connected, static_cast<std::int32_t>(file.IndexOf(p)));
      EXPECT_NE(q->component, p.component);
      EXPECT_TRUE(Coincident(p.position, q->position));
    }
  }
}

}  // namespace

TEST(Topology, SteamHeaderBranchesConnectAcrossPipelinesAndRouteSeparately) {
  File file;
  file.Load(Example("steam-header.json"));
  ExpectConsistent(file);
  EXPECT_EQ(OpenEnds(file),
            (std::vector<std::string>{"200-S-201-B2/1.Run_1", "200-S-201-B2/27.Run_2",
                                      "50-S-202-B2/13.Run_2", "80-S-203-B2/11.Run_2"}));
  const Component& branchStart = *file.FindPipeline("50-S-202-B2")->Components()[0];
  const Point* across = file.ConnectedPoint(*branchStart.FindPoint("Run_1"));
  ASSERT_NE(across, nullptr);
  EXPECT_EQ(file.OwnerOf(*across).TypeName(), "Reducing-Tee");
  EXPECT_EQ(file.Text(across->name), "End_1");
  // The header's routes: the main run from the boiler flange to the blind
  // flange, then the drain pocket and the safety-valve branch. The branch
  // lines of other pipelines are boundaries, not part of these routes.
  const auto& routes = file.FindPipeline("200-S-201-B2")->Routes();
  ASSERT_EQ(routes.size(), 3u);
  EXPECT_EQ(Name(file, routes[0].front().entryPoint), "200-S-201-B2/1.Run_1");
  EXPECT_EQ(routes[0].back().component->TypeName(), "Blind-Flange");
  EXPECT_EQ(routes[1].front().component->TypeName(), "Pipe");
  EXPECT_EQ(routes[1].back().component->TypeName(), "Cap");
  EXPECT_EQ(routes[2].back().component->Id(), "200-S-201-B2/27");
}

// Supports on a pipe come right after it (or after the other supports on it).
TEST(Topology, SupportsFollowThePipeTheyStandOnInItsRoute) {
  File file;
  file.Load(Example("pipe-rack.json"));
  ExpectConsistent(file);
  for (const Pipeline* pipeline : file.Pipelines())
    for (const Route& route : pipeline->Routes())
      for (std::size_t i = 0, host = 0; i < route.size(); ++i) {
        const Component& c = *route[i].component;
        if (c.TypeName() != "Support") {
          host = i;
        } else if (c.AttachmentCount() && &c.Attachment(0).OwnerPipeline() == pipeline) {
          EXPECT_EQ(&c.Attachment(0), route[host].component) << c.Id();
        }
      }
}

TEST(Topology, ZeroLengthWeldSitsBetweenItsNeighboursWhateverTheFileOrder) {
  auto pipe = [](const char* id, int x0, int x1) {
    return std::string(R"({"id": ")") + id +
           R"(", "type": "Pipe", "points": {"Run_1": {"position": [)" + std::to_string(x0) +
           R"(, 0, 0]}, "Run_2": {"position": [)" + std::to_string(x1) +
           R"(, 0, 0]}}, "legs": [{"from": "Run_1", "to": "Run_2"}]})";
  };
  const std::string weld =
      R"({"id": "W", "type": "Weld", "points": {"Run_1": {"position": [100, 0, 0]}, "Run_2": {"position": [100, 0.0004, 0]}},
         "legs": [{"from": "Run_1", "to": "Run_2", "direction": [1, 0, 0]}]})";
  struct Order {
    std::vector<std::string> components;
    std::vector<std::string> route;  // starts at the first component with an open end
  } orders[] = {
      {{pipe("A", 0, 100), weld, pipe("B", 100, 200)}, {"A", "W", "B"}},
      {{pipe("A", 0, 100), pipe("B", 100, 200), weld}, {"A", "W", "B"}},
      {{weld, pipe("B", 100, 200), pipe("A", 0, 100)}, {"B", "W", "A"}},
  };
  for (const Order& o : orders) {
    File file;
    file.LoadText(LineText(o.components), "weld.json");
    ExpectConsistent(file);
    const Component& w = *file.FindComponent("W");
    for (const char* end : {"Run_1", "Run_2"}) {
      const Point* across = file.ConnectedPoint(*w.FindPoint(end));
      ASSERT_NE(across, nullptr) << end;
      EXPECT_EQ(file.OwnerOf(*across).TypeName(), "Pipe");
    }
    auto open = OpenEnds(file);
    std::sort(open.begin(), open.end());
    EXPECT_EQ(open, (std::vector<std::string>{"A.Run_1", "B.Run_2"}));
    ASSERT_EQ(file.Pipelines()[0]->Routes().size(), 1u);
    EXPECT_EQ(Ids(file.Pipelines()[0]->Routes()[0]), o.route);
  }
}

TEST(Topology, CoincidenceIsWithinATolerancePerCoordinateAcrossCellBorders) {
  auto file2 = [](const std::string& a, const std::string& b) {
    return LineText(
        {R"({"id": "A", "type": "Pipe", "points": {"Run_1": {"position": [-5, 0, 0]}, "Run_2": {"position": )" +
             a + "}}}",
         R"({"id": "B", "type": "Pipe", "points": {"Run_1": {"position": )" + b +
             R"(}, "Run_2": {"position": [9, 0, 0]}}})"});
  };
  struct Case {
    const char* a;
    const char* b;
    bool connected;
  } cases[] = {
      {"[0.9999996, 2, 3]", "[1.0000004, 2, 3]", true},  // either side of a cell border
      {"[-0.0004, -0.0004, 0]", "[0.0004, 0.0004, 0]", true},
      {"[1, 2, 3]", "[1.0011, 2, 3]", false},
  };
  for (const Case& c : cases) {
    File file;
    file.LoadText(file2(c.a, c.b), "tol.json");
    const Point& end = *file.FindComponent("A")->FindPoint("Run_2");
    EXPECT_EQ(file.ConnectedPoint(end) != nullptr, c.connected) << c.a << " " << c.b;
  }
}
