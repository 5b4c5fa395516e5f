// Joining coincident ends: the work stays O(n log n) however the ends
// cluster. Which ends join (the tolerance at cell borders, clusters of three
// and four ends at zero-length welds): TopologyTest and GeneratorTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

}  // namespace
}  // namespace kelto::data
