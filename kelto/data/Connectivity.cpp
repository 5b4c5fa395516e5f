// Connecting coincident ends.
//
// Two ends (points that are not internal) of different components connect
// when every coordinate differs by less than kCoincidenceTolerance. Ends are
// bucketed in a grid of cells half the tolerance wide, so the ends of one
// cell are all coincident with each other and join without being compared.
// Two cells can hold coincident ends only when they lie within three cells of
// each other along every axis; whether they do is decided by a sweep over the
// two cells' ends (AnyCoincident), not by comparing every pair, so the work is
// O(n log n) in the number of ends however they cluster.
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

#include "kelto/data/FileContents.h"
#include "kelto/data/Loader.h"

namespace kelto::data {

namespace {

constexpr double kCell = kCoincidenceTolerance / 2;
// Coincident ends are at most two cells apart; one more absorbs the rounding
// of the cell computation at cell borders.
constexpr std::int64_t kReach = 3;

struct CellKey {
  std::int64_t v[3];
  friend auto operator<=>(const CellKey&, const CellKey&) = default;
};

std::int64_t CellIndex(double c) {
  // Positions are finite and bounded by the loader; the clamp keeps the cast
  // defined whatever a caller hands in.
  const double i = std::floor(c / kCell);
  return static_cast<std::int64_t>(std::clamp(i, -4e18, 4e18));
}

CellKey CellOf(const Vec3& p) { return {{CellIndex(p.x), CellIndex(p.y), CellIndex(p.z)}}; }

double Axis(const Vec3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

class DisjointSets {
 public:
  explicit DisjointSets(std::size_t n) : parent_(n) {
    std::iota(parent_.begin(), parent_.end(), 0u);
  }
  std::uint32_t Root(std::uint32_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void Join(std::uint32_t a, std::uint32_t b) {
    a = Root(a);
    b = Root(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<std::uint32_t> parent_;
};

std::size_t Log2(std::size_t n) {
  std::size_t l = 1;
  while (n >>= 1) ++l;
  return l;
}

// Whether some end of cell A and some end of cell B are coincident. Along an
// axis where the two cells have the same index every pair is close enough;
// along the others B lies wholly on one side, and with that side made the
// positive one (negating both) the test per axis is b − a < tolerance, which
// holds for a whole upper range of a. So: sweep A's ends by the first such
// axis, keep a maximum of the third axis per rank of the second (a Fenwick
// tree), and ask for each end of B whether the best end of A inserted so far
// is close enough. Exact: every comparison is the one Coincident makes.
bool AnyCoincident(const std::vector<Vec3>& a, const std::vector<Vec3>& b, const CellKey& ka,
                   const CellKey& kb, std::size_t& work) {
  if (a.size() * b.size() <= 64) {
    work += a.size() * b.size();
    for (const Vec3& p : a)
      for (const Vec3& q : b)
        if (Coincident(p, q)) return true;
    return false;
  }
  work += (a.size() + b.size()) * Log2(a.size() + b.size());
  using Triple = std::array<double, 3>;
  const auto transform = [&](const Vec3& p) {
    Triple t{};
    for (int s = 0; s < 3; ++s) {
      const int side = (kb.v[s] > ka.v[s]) - (kb.v[s] < ka.v[s]);
      t[s] = side == 0 ? 0.0 : side * Axis(p, s);
    }
    return t;
  };
  const auto close = [](double bv, double av) { return bv - av < kCoincidenceTolerance; };
  std::vector<Triple> as, bs;
  for (const Vec3& p : a) as.push_back(transform(p));
  for (const Vec3& q : b) bs.push_back(transform(q));

  // A by its first axis, descending: the ends close enough to a given b on
  // that axis are a prefix.
  std::sort(as.begin(), as.end(), [](const Triple& x, const Triple& y) { return x[0] > y[0]; });
  std::vector<double> second;
  for (const Triple& t : as) second.push_back(t[1]);
  std::sort(second.begin(), second.end());
  struct Query {
    std::size_t prefix;  // ends of A close on axis 0
    std::size_t rank;    // first rank of A's axis-1 values close on axis 1
    double third;
  };
  std::vector<Query> queries;
  for (const Triple& t : bs) {
    const auto prefix = std::partition_point(as.begin(), as.end(), [&](const Triple& x) {
      return close(t[0], x[0]);
    });
    const auto rank = std::partition_point(second.begin(), second.end(),
                                           [&](double v) { return !close(t[1], v); });
    queries.push_back({static_cast<std::size_t>(prefix - as.begin()),
                       static_cast<std::size_t>(rank - second.begin()), t[2]});
  }
  std::sort(queries.begin(), queries.end(),
            [](const Query& x, const Query& y) { return x.prefix < y.prefix; });

  // Fenwick tree over reversed ranks: a prefix of it is a suffix of ranks.
  const std::size_t n = second.size();
  std::vector<double> best(n + 1, -HUGE_VAL);
  std::size_t inserted = 0;
  for (const Query& q : queries) {
    for (; inserted < q.prefix; ++inserted) {
      const std::size_t rank = static_cast<std::size_t>(
          std::lower_bound(second.begin(), second.end(), as[inserted][1]) - second.begin());
      for (std::size_t i = n - rank; i <= n; i += i & (~i + 1))
        best[i] = std::max(best[i], as[inserted][2]);
    }
    double top = -HUGE_VAL;
    for (std::size_t i = n - q.rank; i > 0; i -= i & (~i + 1)) top = std::max(top, best[i]);
    if (top != -HUGE_VAL && close(q.third, top)) return true;
  }
  return false;
}

// Pairs the ends of one group of coincident ends (in point order). Two ends
// of different components simply connect. In larger groups (a zero-length
// weld between two pipes puts four ends in one place) the ends of components
// with several ends in the group are served first, each taking the earliest
// free end of another component, so the weld sits between the pipes instead
// of the pipes meeting and the weld being left open.
void PairGroup(std::vector<Point>& points, const std::vector<std::uint32_t>& group) {
  std::vector<std::uint32_t> components;
  for (const std::uint32_t i : group) components.push_back(points[i].component);
  std::sort(components.begin(), components.end());
  const auto multiplicity = [&](std::uint32_t i) {
    const auto range =
        std::equal_range(components.begin(), components.end(), points[i].component);
    return static_cast<std::int64_t>(range.second - range.first);
  };
  std::vector<std::pair<std::int64_t, std::uint32_t>> order;
  for (const std::uint32_t i : group) order.emplace_back(-multiplicity(i), i);
  std::sort(order.begin(), order.end());

  // next[k]: a position at or after k that may still be free (skip links).
  std::vector<std::size_t> next(order.size() + 1);
  std::iota(next.begin(), next.end(), std::size_t{0});
  const auto freeFrom = [&](std::size_t k) {
    std::size_t r = k;
    while (next[r] != r) r = next[r];
    while (next[k] != r) k = std::exchange(next[k], r);
    return r;
  };
  const auto take = [&](std::size_t k) { next[k] = k + 1; };
  for (std::size_t a = 0; a < order.size(); ++a) {
    if (next[a] != a) continue;  // taken by an earlier end
    Point& p = points[order[a].second];
    // At most the other ends of p's own component are skipped.
    std::size_t b = freeFrom(a + 1);
    while (b < order.size() && points[order[b].second].component == p.component)
      b = freeFrom(b + 1);
    if (b == order.size()) continue;
    take(a);
    take(b);
    p.connected = static_cast<std::int32_t>(order[b].second);
    points[order[b].second].connected = static_cast<std::int32_t>(order[a].second);
  }
}

}  // namespace

std::size_t Loader::ConnectPoints(FileContents& contents) {
  std::vector<Point>& points = contents.points;
  std::vector<std::pair<CellKey, std::uint32_t>> ends;
  for (std::uint32_t i = 0; i < points.size(); ++i) {
    points[i].connected = kNoIndex;
    if (!points[i].internal) ends.emplace_back(CellOf(points[i].position), i);
  }
  std::sort(ends.begin(), ends.end());
  std::size_t work = ends.size() * Log2(ends.size());

  // The occupied cells, each a run of `ends`.
  std::vector<CellKey> keys;
  std::vector<std::size_t> firstEnd;
  for (std::size_t e = 0; e < ends.size(); ++e) {
    if (keys.empty() || !(keys.back() == ends[e].first)) {
      keys.push_back(ends[e].first);
      firstEnd.push_back(e);
    }
  }
  firstEnd.push_back(ends.size());
  const auto positions = [&](std::size_t c) {
    std::vector<Vec3> out;
    for (std::size_t e = firstEnd[c]; e < firstEnd[c + 1]; ++e)
      out.push_back(points[ends[e].second].position);
    return out;
  };

  DisjointSets sets(keys.size());
  bool any = ends.size() > keys.size();  // some cell holds two ends
  for (std::uint32_t c = 0; c < keys.size(); ++c) {
    const CellKey& k = keys[c];
    // Only cells after this one (in key order): each pair once.
    for (std::int64_t dx = 0; dx <= kReach; ++dx) {
      for (std::int64_t dy = dx == 0 ? 0 : -kReach; dy <= kReach; ++dy) {
        const CellKey from{{k.v[0] + dx, k.v[1] + dy, k.v[2] - kReach}};
        const CellKey to{{k.v[0] + dx, k.v[1] + dy, k.v[2] + kReach}};
        auto it = std::lower_bound(keys.begin() + c + 1, keys.end(), from);
        work += Log2(keys.size());
        for (; it != keys.end() && *it <= to; ++it) {
          const auto other = static_cast<std::uint32_t>(it - keys.begin());
          if (sets.Root(c) == sets.Root(other)) continue;
          if (AnyCoincident(positions(c), positions(other), k, *it, work)) {
            sets.Join(c, other);
            any = true;
          }
        }
      }
    }
  }
  if (!any) return work;

  // Gather each group of coincident ends, in point order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> byRoot;
  byRoot.reserve(ends.size());
  for (std::uint32_t c = 0; c < keys.size(); ++c) {
    const std::uint32_t root = sets.Root(c);
    for (std::size_t e = firstEnd[c]; e < firstEnd[c + 1]; ++e)
      byRoot.emplace_back(root, ends[e].second);
  }
  std::sort(byRoot.begin(), byRoot.end());
  work += byRoot.size() * Log2(byRoot.size());
  std::vector<std::uint32_t> group;
  for (std::size_t i = 0; i < byRoot.size();) {
    std::size_t j = i;
    group.clear();
    for (; j < byRoot.size() && byRoot[j].first == byRoot[i].first; ++j)
      group.push_back(byRoot[j].second);
    if (group.size() >= 2) {
      PairGroup(points, group);
      work += group.size() * Log2(group.size());
    }
    i = j;
  }
  return work;
}

}  // namespace kelto::data
