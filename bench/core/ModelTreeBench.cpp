// Model tree at plant scale: a file with 100 pipelines of 999 components
// (100,001 nodes), synchronised the way the piping builders do it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/ModelNode.h"
#include "platform/com/Object.h"

namespace {

class Item : public kelto::com::Object<Item, IUnknown> {};

constexpr int kPipelines = 100;
constexpr int kPerPipeline = 999;

// Outside objects and their tree: the file, its pipelines, their components.
struct Plant {
  std::vector<kelto::com::ComPtr<Item>> items;
  IUnknown* file = nullptr;
  std::unordered_map<IUnknown*, CModelNode::KeyList> kids;
  std::vector<IUnknown*> components;

  Plant() {
    auto make = [this] {
      items.push_back(kelto::com::MakeObject<Item>());
      return items.back()->GetUnknown();
    };
    file = make();
    for (int p = 0; p < kPipelines; ++p) {
      IUnknown* pipeline = make();
      kids[file].push_back(pipeline);
      for (int c = 0; c < kPerPipeline; ++c) {
        IUnknown* component = make();
        kids[pipeline].push_back(component);
        components.push_back(component);
      }
    }
  }

  // Moves every hundredth component to the next pipeline (1% of the nodes).
  // With wrap, the last pipeline's components go to the first one, which the
  // synchronisation visits before their old parent.
  void MoveOnePercent(int shift, bool wrap) {
    std::vector<std::pair<IUnknown*, IUnknown*>> moves;  // component, new pipeline
    const CModelNode::KeyList& pipelines = kids[file];
    for (int p = 0; p < kPipelines - (wrap ? 0 : 1); ++p) {
      CModelNode::KeyList& list = kids[pipelines[p]];
      for (std::size_t i = shift % 100; i < list.size(); i += 100) {
        moves.push_back({list[i], pipelines[(p + 1) % kPipelines]});
        list[i] = nullptr;
      }
      std::erase(list, nullptr);
    }
    for (auto [component, pipeline] : moves) kids[pipeline].push_back(component);
  }
};

Plant& ThePlant() {
  static Plant plant;
  return plant;
}

// Like the builders: full children lists for the file and the pipelines,
// and a cone per component unless geometry is declared up to date.
class PlantSync : public CModelNode::IFSynchronizer {
 public:
  PlantSync(Plant& plant, bool geometryUpToDate, bool childrenUpToDate)
      : m_plant(plant),
        m_geometryUpToDate(geometryUpToDate),
        m_childrenUpToDate(childrenUpToDate) {}

  void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) override {
    if (m_geometryUpToDate || m_plant.kids.count(node->GetKey())) {
      upToDate = true;
      return;
    }
    const double x = static_cast<double>(reinterpret_cast<std::uintptr_t>(node->GetKey()) % 1000);
    geometry.AddCone({x, 0, 0}, 10, {x + 5, 0, 0}, 10, 0xFF);
  }
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool& upToDate) override {
    auto it = m_plant.kids.find(node->GetKey());
    if (m_childrenUpToDate || it == m_plant.kids.end()) {
      upToDate = true;
      return;
    }
    children = it->second;
  }

 private:
  Plant& m_plant;
  bool m_geometryUpToDate;
  bool m_childrenUpToDate;
};

CModelNode::NodePtr BuildTree() {
  CModelNode::NodePtr root(new CModelNode(ThePlant().file));
  PlantSync sync(ThePlant(), false, false);
  root->Synchronize(sync);
  root->GetBoundBox();
  return root;
}

void BM_SyncFresh(benchmark::State& state) {
  for (auto _ : state) {
    CModelNode::NodePtr root = BuildTree();
    benchmark::DoNotOptimize(root->GetBoundBox());
    state.PauseTiming();
    root.reset();
    state.ResumeTiming();
  }
  state.counters["nodes"] = 1 + kPipelines * (1 + kPerPipeline);
}
BENCHMARK(BM_SyncFresh)->Unit(benchmark::kMillisecond);

// Unchanged plant, synchroniser hands over full lists and new geometry (what
// the piping builders do on every update).
void BM_SyncUnchangedRebuildGeometry(benchmark::State& state) {
  CModelNode::NodePtr root = BuildTree();
  PlantSync sync(ThePlant(), false, false);
  for (auto _ : state) {
    root->Synchronize(sync);
    benchmark::DoNotOptimize(root->GetBoundBox());
  }
}
BENCHMARK(BM_SyncUnchangedRebuildGeometry)->Unit(benchmark::kMillisecond);

// Unchanged plant, full lists, geometry up to date: the tree's own cost of
// confirming that nothing moved.
void BM_SyncUnchangedFullLists(benchmark::State& state) {
  CModelNode::NodePtr root = BuildTree();
  PlantSync sync(ThePlant(), true, false);
  for (auto _ : state) {
    root->Synchronize(sync);
    benchmark::DoNotOptimize(root->GetBoundBox());
  }
}
BENCHMARK(BM_SyncUnchangedFullLists)->Unit(benchmark::kMillisecond);

// Unchanged plant, everything reported up to date.
void BM_SyncUnchangedUpToDate(benchmark::State& state) {
  CModelNode::NodePtr root = BuildTree();
  PlantSync sync(ThePlant(), true, true);
  for (auto _ : state) {
    root->Synchronize(sync);
    benchmark::DoNotOptimize(root->GetBoundBox());
  }
}
BENCHMARK(BM_SyncUnchangedUpToDate)->Unit(benchmark::kMillisecond);

// 1% of the components move to another pipeline between synchronisations
// (geometry up to date, full lists). Argument 0: every new parent is visited
// after the old one; 1: some are visited before it.
void BM_SyncOnePercentMoved(benchmark::State& state) {
  Plant plant;  // its own copy: it is edited
  CModelNode::NodePtr root(new CModelNode(plant.file));
  PlantSync sync(plant, true, false);
  root->Synchronize(sync);
  int shift = 0;
  for (auto _ : state) {
    state.PauseTiming();
    plant.MoveOnePercent(shift++, state.range(0) != 0);
    state.ResumeTiming();
    root->Synchronize(sync);
    benchmark::DoNotOptimize(root->GetBoundBox());
  }
}
BENCHMARK(BM_SyncOnePercentMoved)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SearchSubtree(benchmark::State& state) {
  CModelNode::NodePtr root = BuildTree();
  std::vector<IUnknown*> keys = ThePlant().components;
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(root->SearchSubtree(keys[i++ % keys.size()]));
  }
}
BENCHMARK(BM_SearchSubtree)->Unit(benchmark::kMicrosecond);

void BM_Dump(benchmark::State& state) {
  CModelNode::NodePtr root = BuildTree();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = root->Dump(0);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond);

// Scripts add children one at a time; boxes are recomputed once, when read.
void BM_AddChildOneByOne(benchmark::State& state) {
  const auto& components = ThePlant().components;
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    CModelNode::NodePtr parent(new CModelNode());
    for (std::size_t i = 0; i < n; ++i)
      parent->AddChild(CModelNode::NodePtr(new CModelNode(components[i])));
    benchmark::DoNotOptimize(parent->GetBoundBox());
    state.PauseTiming();
    parent.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddChildOneByOne)
    ->RangeMultiplier(10)
    ->Range(1000, 99900)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace
