// Routes: the components of a pipeline as ordered chains along connections.
//
// Rules (also in docs/piping-format.md):
//  1. Only connections between components of the same pipeline count; an end
//     connected to another pipeline is a boundary like an open end.
//  2. The first route starts at the first component (file order) with a free
//     end (an end with no neighbour in the pipeline); with none, at the first
//     component.
//  3. A route leaves a component by an end that leads to a component not yet
//     routed: for a component entered at "Run_1" the end "Run_2" is tried
//     first and the other way round, then the ends in point order. It stops
//     where no such end exists.
//  4. Further routes start at branches of routed components (the neighbours
//     they could not take, in the order met), then at the next component with
//     a free end, then at the first component not yet routed.
//  5. Components without ends (supports) follow the component they are
//     attached to in its route; unattached ones form routes of their own.
#include <deque>
#include <string_view>
#include <vector>

#include "kelto/data/File.h"

namespace kelto::data {

namespace {

class RouteFinder {
 public:
  explicit RouteFinder(const Pipeline& pipeline)
      : pipeline_(pipeline),
        file_(pipeline.OwnerFile()),
        components_(pipeline.Components()),
        routed_(components_.size(), false),
        endless_(components_.size(), true) {
    const auto run1 = file_.FindText("Run_1");
    const auto run2 = file_.FindText("Run_2");
    run1_ = run1 ? *run1 : kNone;
    run2_ = run2 ? *run2 : kNone;
    for (std::size_t i = 0; i < components_.size(); ++i)
      for (const Point& p : components_[i]->Points())
        if (!p.internal) endless_[i] = false;
  }

  std::vector<Route> Find() {
    std::vector<Route> routes;
    std::size_t freeCursor = 0;
    std::size_t anyCursor = 0;
    for (;;) {
      std::int64_t start = -1;
      std::int32_t entry = kNoIndex;
      while (!branches_.empty() && start < 0) {
        const auto [local, point] = branches_.front();
        branches_.pop_front();
        if (!routed_[local]) {
          start = static_cast<std::int64_t>(local);
          entry = point;
        }
      }
      for (; start < 0 && freeCursor < components_.size(); ++freeCursor) {
        if (routed_[freeCursor] || endless_[freeCursor]) continue;
        if (const Point* free = FreeEnd(*components_[freeCursor])) {
          start = static_cast<std::int64_t>(freeCursor);
          entry = static_cast<std::int32_t>(file_.IndexOf(*free));
        }
      }
      for (; start < 0 && anyCursor < components_.size(); ++anyCursor)
        if (!routed_[anyCursor] && !endless_[anyCursor])
          start = static_cast<std::int64_t>(anyCursor);
      if (start < 0) break;
      routes.push_back(Walk(static_cast<std::size_t>(start), entry));
    }
    return PlaceEndless(std::move(routes));
  }

 private:
  static constexpr StringId kNone = ~StringId{0};

  // The neighbour across `p` inside this pipeline, as a local index; -1 if none.
  std::int64_t Across(const Point& p, const Point** arrival) const {
    const Point* q = file_.ConnectedPoint(p);
    if (!q) return -1;
    const Component& other = file_.OwnerOf(*q);
    if (&other.OwnerPipeline() != &pipeline_) return -1;
    *arrival = q;
    return other.IndexInPipeline();
  }

  const Point* FreeEnd(const Component& c) const {
    for (const Point& p : c.Points()) {
      const Point* arrival = nullptr;
      if (!p.internal && Across(p, &arrival) < 0) return &p;
    }
    return nullptr;
  }

  Route Walk(std::size_t local, std::int32_t entry) {
    Route route;
    for (;;) {
      routed_[local] = true;
      const Component& c = *components_[local];
      const Point* entryPoint = entry == kNoIndex ? nullptr : &file_.AllPoints()[entry];
      StringId preferred = kNone;
      if (entryPoint && entryPoint->name == run1_) preferred = run2_;
      if (entryPoint && entryPoint->name == run2_) preferred = run1_;

      const Point* exit = nullptr;
      const Point* exitArrival = nullptr;
      std::int64_t next = -1;
      for (int pass = 0; pass < 2 && next < 0; ++pass) {
        for (const Point& p : c.Points()) {
          if (p.internal || &p == entryPoint) continue;
          if (pass == 0 && p.name != preferred) continue;
          const Point* arrival = nullptr;
          const std::int64_t n = Across(p, &arrival);
          if (n >= 0 && !routed_[n]) {
            exit = &p;
            exitArrival = arrival;
            next = n;
            break;
          }
        }
      }
      // Remember the other ways out as branches for later routes.
      for (const Point& p : c.Points()) {
        const Point* arrival = nullptr;
        if (p.internal || &p == exit || &p == entryPoint) continue;
        const std::int64_t n = Across(p, &arrival);
        if (n >= 0 && !routed_[n])
          branches_.emplace_back(static_cast<std::size_t>(n),
                                 static_cast<std::int32_t>(file_.IndexOf(*arrival)));
      }
      route.push_back({components_[local], entry,
                       exit ? static_cast<std::int32_t>(file_.IndexOf(*exit)) : kNoIndex});
      if (next < 0) return route;
      local = static_cast<std::size_t>(next);
      entry = static_cast<std::int32_t>(file_.IndexOf(*exitArrival));
    }
  }

  std::vector<Route> PlaceEndless(std::vector<Route> routes) {
    std::vector<std::vector<Component*>> riders(components_.size());
    std::vector<Route> loose;
    bool any = false;
    for (std::size_t i = 0; i < components_.size(); ++i) {
      if (!endless_[i]) continue;
      any = true;
      Component* c = components_[i];
      Component* host = nullptr;
      for (std::size_t k = 0; k < c->AttachmentCount() && !host; ++k) {
        Component& a = c->Attachment(k);
        if (&a.OwnerPipeline() == &pipeline_ && !endless_[a.IndexInPipeline()]) host = &a;
      }
      if (host)
        riders[host->IndexInPipeline()].push_back(c);
      else
        loose.push_back(Route{{c, kNoIndex, kNoIndex}});
    }
    if (!any) return routes;
    for (Route& route : routes) {
      Route placed;
      placed.reserve(route.size());
      for (const RouteEntry& e : route) {
        placed.push_back(e);
        for (Component* rider : riders[e.component->IndexInPipeline()])
          placed.push_back({rider, kNoIndex, kNoIndex});
      }
      route = std::move(placed);
    }
    for (Route& r : loose) routes.push_back(std::move(r));
    return routes;
  }

  const Pipeline& pipeline_;
  const File& file_;
  std::span<Component* const> components_;
  std::vector<bool> routed_;
  std::vector<bool> endless_;
  std::deque<std::pair<std::size_t, std::int32_t>> branches_;
  StringId run1_ = kNone;
  StringId run2_ = kNone;
};

}  // namespace

std::vector<Route> ComputeRoutes(const Pipeline& pipeline) { return RouteFinder(pipeline).Find(); }

}  // namespace kelto::data
