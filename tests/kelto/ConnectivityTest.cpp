// Joining coincident ends: the work stays O(n log n) however the ends
// cluster, and the pairs formed are the ones the tolerance rule gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "kelto/data/FileContents.h"
#include "kelto/data/Loader.h"

namespace kelto::data {
namespace {

// Two-point components: component i owns points 2i and 2i+1.
FileContents TwoPointComponents(const std::vector<Vec3>& positions) {
  FileContents contents;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    Point p;
    p.position = positions[i];
    p.component = static_cast<std::uint32_t>(i / 2);
    contents.points.push_back(p);
  }
  return contents;
}

std::size_t Connected(const FileContents& c) {
  return static_cast<std::size_t>(std::count_if(c.points.begin(), c.points.end(),
                                                [](const Point& p) { return p.connected >= 0; }));
}

TEST(Connectivity, WorkIsNearLinearWhateverTheGeometry) {
  const std::size_t n = 20000;
  std::vector<Vec3> chain, onePoint, comb;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = static_cast<double>((i + 1) / 2) * 1000.0;
    chain.push_back({x, 0, 0});
    onePoint.push_back({500, 500, 500});
    // Distinct ends a little over the tolerance apart, all in one unit cube:
    // none coincide, and a pairwise test would compare them all.
    comb.push_back({static_cast<double>(i % 100) * 0.0011, static_cast<double>(i / 100) * 0.0011,
                    0});
  }
  const struct {
    const char* name;
    std::vector<Vec3> positions;
    std::size_t connected;
  } cases[] = {{"chain", chain, n - 2}, {"one point", onePoint, n}, {"comb", comb, 0}};
  const double bound = 400.0 * n * std::log2(n);  // n² / 2 would be 2·10⁸
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileContents contents = TwoPointComponents(c.positions);
    const std::size_t work = Loader::ConnectPoints(contents);
    EXPECT_LT(static_cast<double>(work), bound);
    EXPECT_EQ(Connected(contents), c.connected);
  }
}

TEST(Connectivity, PairsOnlyEndsTheToleranceJoinsAndLeavesNoJoinablePairOpen) {
  // Clusters of ends jittered around a few places, some jitters past the
  // tolerance: compared with the pairwise definition.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> place(0, 30);
  std::uniform_real_distribution<double> jitter(-0.0012, 0.0012);
  std::vector<Vec3> positions;
  for (int i = 0; i < 3000; ++i) {
    const double base = place(random) * 0.5;
    positions.push_back({base + jitter(random), base + jitter(random), jitter(random)});
  }
  FileContents contents = TwoPointComponents(positions);
  Loader::ConnectPoints(contents);
  const auto& pts = contents.points;
  // Groups by the pairwise rule (transitively).
  std::vector<std::size_t> group(pts.size());
  std::iota(group.begin(), group.end(), 0);
  const auto root = [&](std::size_t i) {
    while (group[i] != i) i = group[i];
    return i;
  };
  for (std::size_t i = 0; i < pts.size(); ++i)
    for (std::size_t j = i + 1; j < pts.size(); ++j)
      if (Coincident(pts[i].position, pts[j].position)) group[root(j)] = root(i);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (pts[i].connected < 0) {
      open.push_back(i);
      continue;
    }
    const auto j = static_cast<std::size_t>(pts[i].connected);
    ASSERT_EQ(static_cast<std::size_t>(pts[j].connected), i);
    EXPECT_NE(pts[i].component, pts[j].component);
    EXPECT_EQ(root(i), root(j));
  }
  // Two open ends of different components in one group would be a missed
  // connection.
  for (std::size_t a = 0; a < open.size(); ++a)
    for (std::size_t b = a + 1; b < open.size(); ++b)
      EXPECT_FALSE(root(open[a]) == root(open[b]) &&
                   pts[open[a]].component != pts[open[b]].component)
          << open[a] << " " << open[b];
}

}  // namespace
}  // namespace kelto::data
