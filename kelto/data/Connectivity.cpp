// Connecting coincident ends.
//
// Two ends (points that are not internal) of different components connect
// when every coordinate differs by less than kCoincidenceTolerance. Ends are
// bucketed in a grid of 1-unit cells; an end is compared only with the ends of
// its own cell, and of a neighbouring cell when it lies within the tolerance
// of that cell's border, so the work is linear in the number of ends.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

#include "kelto/data/FileContents.h"
#include "kelto/data/Loader.h"

namespace kelto::data {

namespace {

constexpr double kCell = 1.0;

struct Cell {
  std::int64_t x, y, z;
  friend auto operator<=>(const Cell&, const Cell&) = default;
};

Cell CellOf(const Vec3& p) {
  return {static_cast<std::int64_t>(std::floor(p.x / kCell)),
          static_cast<std::int64_t>(std::floor(p.y / kCell)),
          static_cast<std::int64_t>(std::floor(p.z / kCell))};
}

// The cells (along one axis) an end must be compared in: its own, and a
// neighbour when it lies within the tolerance of the shared border.
int Neighbours(double v, std::int64_t cell, std::int64_t out[2]) {
  int n = 0;
  out[n++] = cell;
  const double inside = v - static_cast<double>(cell) * kCell;
  if (inside < kCoincidenceTolerance)
    out[n++] = cell - 1;
  else if (inside > kCell - kCoincidenceTolerance)
    out[n++] = cell + 1;
  return n;
}

struct DisjointSets {
  std::vector<std::uint32_t> parent;
  explicit DisjointSets(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0u); }
  std::uint32_t Root(std::uint32_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  void Join(std::uint32_t a, std::uint32_t b) {
    a = Root(a);
    b = Root(b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
};

// Pairs the ends of one group of coincident ends. Two ends of different
// components simply connect. In larger groups (a zero-length weld between two
// pipes puts four ends in one place) the ends of components with several ends
// in the group are served first, each taking the earliest free end of another
// component, so the weld sits between the pipes instead of the pipes meeting
// and the weld being left open.
void PairGroup(std::vector<Point>& points, std::vector<std::uint32_t>& group) {
  if (group.size() == 2) {
    Point& a = points[group[0]];
    Point& b = points[group[1]];
    if (a.component != b.component) {
      a.connected = static_cast<std::int32_t>(group[1]);
      b.connected = static_cast<std::int32_t>(group[0]);
    }
    return;
  }
  auto multiplicity = [&](std::uint32_t i) {
    return std::count_if(group.begin(), group.end(), [&](std::uint32_t j) {
      return points[j].component == points[i].component;
    });
  };
  std::vector<std::pair<std::int64_t, std::uint32_t>> order;
  for (std::uint32_t i : group) order.emplace_back(-multiplicity(i), i);
  std::sort(order.begin(), order.end());
  for (std::size_t a = 0; a < order.size(); ++a) {
    Point& p = points[order[a].second];
    if (p.connected != kNoIndex) continue;
    for (std::size_t b = a + 1; b < order.size(); ++b) {
      Point& q = points[order[b].second];
      if (q.connected != kNoIndex || q.component == p.component) continue;
      p.connected = static_cast<std::int32_t>(order[b].second);
      q.connected = static_cast<std::int32_t>(order[a].second);
      break;
    }
  }
}

}  // namespace

void Loader::ConnectPoints(FileContents& contents) {
  std::vector<Point>& points = contents.points;
  std::vector<std::pair<Cell, std::uint32_t>> ends;
  for (std::uint32_t i = 0; i < points.size(); ++i) {
    points[i].connected = kNoIndex;
    if (!points[i].internal) ends.emplace_back(CellOf(points[i].position), i);
  }
  std::sort(ends.begin(), ends.end());

  DisjointSets sets(ends.size());
  bool any = false;
  for (std::uint32_t e = 0; e < ends.size(); ++e) {
    const Vec3& p = points[ends[e].second].position;
    const Cell& c = ends[e].first;
    std::int64_t xs[2], ys[2], zs[2];
    const int nx = Neighbours(p.x, c.x, xs), ny = Neighbours(p.y, c.y, ys),
              nz = Neighbours(p.z, c.z, zs);
    for (int ix = 0; ix < nx; ++ix)
      for (int iy = 0; iy < ny; ++iy)
        for (int iz = 0; iz < nz; ++iz) {
          const Cell probe{xs[ix], ys[iy], zs[iz]};
          auto it =
              std::lower_bound(ends.begin(), ends.end(), probe,
                               [](const auto& entry, const Cell& k) { return entry.first < k; });
          for (; it != ends.end() && it->first == probe; ++it) {
            const auto other = static_cast<std::uint32_t>(it - ends.begin());
            // Each pair is seen from both sides; join it once.
            if (other <= e) continue;
            if (Coincident(p, points[it->second].position)) {
              sets.Join(e, other);
              any = true;
            }
          }
        }
  }
  if (!any) return;

  // Gather each group of coincident ends, in point order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> byRoot;
  byRoot.reserve(ends.size());
  for (std::uint32_t e = 0; e < ends.size(); ++e) byRoot.emplace_back(sets.Root(e), ends[e].second);
  std::sort(byRoot.begin(), byRoot.end());
  std::vector<std::uint32_t> group;
  for (std::size_t i = 0; i < byRoot.size();) {
    std::size_t j = i;
    group.clear();
    for (; j < byRoot.size() && byRoot[j].first == byRoot[i].first; ++j)
      group.push_back(byRoot[j].second);
    if (group.size() >= 2) PairGroup(points, group);
    i = j;
  }
}

}  // namespace kelto::data
