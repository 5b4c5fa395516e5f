// Synchronisation of model trees against randomly generated and mutated
// "outside" trees (objects with children lists and geometry versions): nodes
// and their data survive, each node gets exactly its own primitives, boxes
// and hooks follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "FakeObjects.h"
#include "core/ModelNode.h"

namespace {

using kelto::test::FakeObjects;
using NodePtr = CModelNode::NodePtr;

constexpr int kObjects = 90;

// The outside tree: object ids, id 0 is the root.
struct Outside {
  std::map<int, int> parent;             // every object but the root
  std::map<int, std::vector<int>> kids;  // children in listing order
  std::map<int, int> version;            // geometry version; also the member set

  bool Has(int id) const { return version.count(id) != 0; }
  std::vector<int> Members() const {
    std::vector<int> r;
    for (const auto& [id, v] : version) r.push_back(id);
    return r;
  }
  bool InSubtree(int id, int top) const {
    for (int n = id;; n = parent.at(n)) {
      if (n == top) return true;
      if (n == 0) return false;
    }
  }
  void Attach(int id, int to) {
    parent[id] = to;
    kids[to].push_back(id);
  }
  void Detach(int id) {
    auto& list = kids[parent.at(id)];
    list.erase(std::find(list.begin(), list.end(), id));
    parent.erase(id);
  }
  void Drop(int id) {  // id and its whole subtree
    for (int k : std::vector<int>(kids[id])) Drop(k);
    kids.erase(id);
    version.erase(id);
    if (id != 0) Detach(id);
  }
};

// The object id of a node key; -1 for a key that is none of the objects.
int IdOf(const FakeObjects& objects, IUnknown* key) {
  for (int i = 0; i < objects.size(); ++i)
    if (objects[i] == key) return i;
  return -1;
}

// Geometry wanted for an object at a version: lines, circles (some of zero
// diameter, so that zero radii occur), sometimes nothing.
CGeometrySet Desired(int id, int v) {
  CGeometrySet g;
  if ((id + v) % 4 == 0) return g;
  g.AddLine({double(id), double(v), 0}, {id + 1.0, double(v), id % 5 - 2.0}, id);
  if (id % 3 == 0)
    g.AddCircle({double(id), 0, double(v)}, v % 2 ? 0.0 : 2.0 + id % 7, {0, 0, 1}, 0);
  if (id % 7 == 1) g.AddCone({0, double(id), 0}, 1.5, {double(v), double(id), 3}, 0.5, 0);
  return g;
}

// The dumps tell every (object, version) of Desired apart.
std::string Signature(const CGeometrySet& g) {
  std::string s;
  for (const CPrimitive& p : g) s += p.Dump() + ";";
  return s;
}

// A synchroniser over an Outside. "Smart" answers up to date exactly when
// nothing changed (as a builder that tracks changes would); otherwise it
// always hands over full lists, as the piping builders do.
class TestSync : public CModelNode::IFSynchronizer {
 public:
  TestSync(const FakeObjects& objects, const Outside& outside, bool smart)
      : m_objects(objects), m_outside(outside), m_smart(smart) {}

  int throwAtId = -1;
  std::map<int, int> visits;

  int Id(CModelNode* node) const {
    const int id = IdOf(m_objects, node->GetKey());
    if (id < 0) throw std::logic_error("node for an unknown object");
    return id;
  }

  // Appends, as the builders do: the walk hands every node one set, which
  // must arrive empty whatever the node before it held.
  void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) override {
    const int id = Id(node);
    ++visits[id];
    EXPECT_TRUE(geometry.empty()) << "node " << id << " was handed a used set";
    CGeometrySet want = Desired(id, m_outside.version.at(id));
    if (m_smart && Signature(want) == Signature(node->GetGeometry())) {
      upToDate = true;
      return;
    }
    for (const CPrimitive& p : want) geometry.push_back(p);
  }
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool& upToDate) override {
    const int id = Id(node);
    if (id == throwAtId) throw std::runtime_error("outside object failed");
    std::vector<IUnknown*> want;
    if (auto it = m_outside.kids.find(id); it != m_outside.kids.end())
      for (int k : it->second) want.push_back(m_objects[k]);
    if (m_smart) {
      std::set<IUnknown*> have;
      for (const auto& [key, child] : node->GetChildren()) have.insert(key);
      if (have == std::set<IUnknown*>(want.begin(), want.end())) {
        upToDate = true;
        return;
      }
    }
    children = want;
  }

 private:
  const FakeObjects& m_objects;
  const Outside& m_outside;
  bool m_smart;
};

struct HookLog {
  int geometry = 0, subtree = 0, parent = 0;
  bool operator==(const HookLog&) const = default;
};
using HookLogs = std::map<int, HookLog>;

// Attached to every node: records hooks by object id and carries a serial
// that proves the attached data survived.
struct Recorder : CModelNode::CAssociated {
  Recorder(HookLogs* l, int i, int s) : logs(l), id(i), serial(s) {}
  HookLogs* logs;
  int id, serial;
  void OnGeometryChanged() override { ++(*logs)[id].geometry; }
  void OnSubtreeChanged() override { ++(*logs)[id].subtree; }
  void OnParentChanged() override { ++(*logs)[id].parent; }
};
const AssociationKey kKey(std::uintptr_t{7});

class Harness {
 public:
  Harness() : objects(kObjects) {}

  FakeObjects objects;
  HookLogs logs;
  int serials = 0;

  int IdOf(IUnknown* key) const { return ::IdOf(objects, key); }

  // A tree synchronised from scratch to `o`, with recorders attached.
  NodePtr Build(const Outside& o, bool smart) {
    NodePtr root(new CModelNode(objects[0]));
    TestSync sync(objects, o, smart);
    root->Synchronize(sync);
    AttachRecorders(root.get());
    return root;
  }

  void AttachRecorders(CModelNode* node) {
    if (!node->GetAssociated(kKey))
      node->SetAssociated(
          kKey, CModelNode::AssociatedPtr(new Recorder(&logs, IdOf(node->GetKey()), ++serials)));
    for (const auto& [key, child] : node->GetChildren()) AttachRecorders(child.get());
  }

  // id → (node, serial of its recorder)
  void Snapshot(CModelNode* node, std::map<int, std::pair<CModelNode*, int>>& out) {
    auto* r = dynamic_cast<Recorder*>(node->GetAssociated(kKey).get());
    out[IdOf(node->GetKey())] = {node, r ? r->serial : -1};
    for (const auto& [key, child] : node->GetChildren()) Snapshot(child.get(), out);
  }

  // The tree mirrors the outside: keys, children, geometry.
  int CheckStructure(CModelNode* node, const Outside& o) {
    const int id = IdOf(node->GetKey());
    EXPECT_TRUE(o.Has(id)) << id;
    EXPECT_EQ(Signature(node->GetGeometry()), Signature(Desired(id, o.version.at(id)))) << id;
    std::set<IUnknown*> want, have;
    if (auto it = o.kids.find(id); it != o.kids.end())
      for (int k : it->second) want.insert(objects[k]);
    int count = 1;
    for (const auto& [key, child] : node->GetChildren()) {
      have.insert(key);
      EXPECT_EQ(child->GetKey(), key);
      count += CheckStructure(child.get(), o);
    }
    EXPECT_EQ(have, want) << "children of " << id;
    return count;
  }
};

// From-scratch recomputation of box and minimum contained radius; checks the
// parent links on the way.
std::pair<CBoundBox, double> Recompute(const CModelNode* node) {
  CBoundBox box = node->GetGeometry().GetBoundBox();
  double m = box.GetRadius();
  for (const auto& [key, child] : node->GetChildren()) {
    EXPECT_EQ(child->GetParent(), node);
    auto [cb, cm] = Recompute(child.get());
    box.Add(cb);
    if (m == 0) {
      m = cm;
    } else if (cm > 0 && cm < m) {
      m = cm;
    }
  }
  EXPECT_EQ(node->GetBoundBox(), box);
  EXPECT_EQ(node->GetMinContainedRadius(), m);
  return {box, m};
}

// Subtree signature without the node's own geometry: what OnSubtreeChanged
// is about.
std::string SubtreeSig(const Outside& o, int id) {
  std::vector<int> ks;
  if (auto it = o.kids.find(id); it != o.kids.end()) ks = it->second;
  std::sort(ks.begin(), ks.end());
  std::string s = "[";
  for (int k : ks)
    s += std::to_string(k) + "{" + Signature(Desired(k, o.version.at(k))) + SubtreeSig(o, k) + "}";
  return s + "]";
}

HookLogs ExpectedHooks(const Outside& before, const Outside& after, bool smart) {
  HookLogs expected;
  for (int id : before.Members()) {
    if (after.Has(id)) {
      if (id != 0 && before.parent.at(id) != after.parent.at(id)) expected[id].parent = 1;
      if (!smart) continue;
      if (Signature(Desired(id, before.version.at(id))) !=
          Signature(Desired(id, after.version.at(id))))
        expected[id].geometry = 1;
      if (SubtreeSig(before, id) != SubtreeSig(after, id)) expected[id].subtree = 1;
    } else if (after.Has(before.parent.at(id))) {
      expected[id].parent = 1;  // dropped from a parent that stays
    }
  }
  return expected;
}

Outside RandomTree(std::mt19937& rng) {
  Outside o;
  o.version[0] = int(rng() % 3);
  std::vector<int> ids(kObjects - 1);
  for (int i = 0; i < kObjects - 1; ++i) ids[i] = i + 1;
  std::shuffle(ids.begin(), ids.end(), rng);
  ids.resize(5 + rng() % 50);
  std::vector<int> placed{0};
  for (int id : ids) {
    o.version[id] = int(rng() % 3);
    o.Attach(id, placed[rng() % placed.size()]);
    placed.push_back(id);
  }
  return o;
}

Outside Mutate(Outside o, std::mt19937& rng) {
  auto pick = [&](const std::vector<int>& v) { return v[rng() % v.size()]; };
  const int moves = int(rng() % 5), adds = int(rng() % 4), drops = int(rng() % 3),
            edits = int(rng() % 4);
  for (int i = 0; i < moves; ++i) {
    const auto members = o.Members();
    if (members.size() < 3) break;
    const int id = pick(members);
    const int to = pick(members);
    if (id == 0 || o.InSubtree(to, id) || o.parent.at(id) == to) continue;
    o.Detach(id);
    o.Attach(id, to);
  }
  for (int i = 0; i < adds; ++i) {
    const int id = 1 + int(rng() % (kObjects - 1));
    if (o.Has(id)) continue;
    const int to = pick(o.Members());
    o.version[id] = 0;
    o.Attach(id, to);
  }
  for (int i = 0; i < drops; ++i) {
    const int id = pick(o.Members());
    if (id != 0) o.Drop(id);
  }
  for (int i = 0; i < edits; ++i) ++o.version[pick(o.Members())];
  for (auto& [id, list] : o.kids)
    if (rng() % 4 == 0) std::shuffle(list.begin(), list.end(), rng);
  return o;
}

class RandomSyncTest : public ::testing::TestWithParam<bool> {};

TEST_P(RandomSyncTest, ResynchronisationKeepsNodesDataAndBoxes) {
  const bool smart = GetParam();
  for (unsigned seed = 1; seed <= 120; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Harness h;
    Outside outside = RandomTree(rng);
    NodePtr root = h.Build(outside, smart);
    for (int round = 0; round < 8; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      h.AttachRecorders(root.get());
      std::map<int, std::pair<CModelNode*, int>> before;
      h.Snapshot(root.get(), before);
      h.logs.clear();

      const Outside next = rng() % 4 == 0 ? RandomTree(rng) : Mutate(outside, rng);
      TestSync sync(h.objects, next, smart);
      root->Synchronize(sync);

      const int nodes = h.CheckStructure(root.get(), next);
      EXPECT_EQ(nodes, int(next.version.size()));
      for (const auto& [id, count] : sync.visits) {
        EXPECT_TRUE(next.Has(id));
        EXPECT_EQ(count, 1) << id;  // every node visited once
      }
      EXPECT_EQ(sync.visits.size(), next.version.size());
      std::map<int, std::pair<CModelNode*, int>> after;
      h.Snapshot(root.get(), after);
      for (const auto& [id, was] : before) {
        if (!next.Has(id)) continue;
        EXPECT_EQ(after[id].first, was.first) << "object " << id << " got a new node";
        EXPECT_EQ(after[id].second, was.second) << "object " << id << " lost its data";
      }
      Recompute(root.get());

      HookLogs actual = h.logs;
      HookLogs expected = ExpectedHooks(outside, next, smart);
      if (!smart) {
        for (auto& [id, log] : actual) log.geometry = log.subtree = 0;
      }
      std::erase_if(actual, [](const auto& e) { return e.second == HookLog{}; });
      EXPECT_EQ(actual, expected);
      if (HasFailure()) return;
      outside = next;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Synchronisers, RandomSyncTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Smart" : "FullLists"; });

TEST(SynchronizeTest, ThrowingSynchroniserLeavesConsistentTree) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Harness h;
    Outside outside = RandomTree(rng);
    NodePtr root = h.Build(outside, seed % 2);

    const Outside next = Mutate(outside, rng);
    TestSync failing(h.objects, next, seed % 2);
    const auto members = next.Members();
    failing.throwAtId = members[rng() % members.size()];
    EXPECT_THROW(root->Synchronize(failing), std::runtime_error);
    Recompute(root.get());

    TestSync recover(h.objects, next, seed % 2);
    root->Synchronize(recover);
    h.CheckStructure(root.get(), next);
    Recompute(root.get());
  }
}

// Reports everything up to date.
struct UpToDateSync : CModelNode::IFSynchronizer {
  void SyncGeometry(CModelNode*, CGeometrySet& g, bool& upToDate) override {
    g.AddLine({0, 0, 0}, {9, 9, 9}, 0);  // must be ignored
    upToDate = true;
  }
  void SyncChildren(CModelNode::KeyList&, CModelNode*, bool& upToDate) override { upToDate = true; }
};

TEST(SynchronizeTest, SubtreeSyncTellsAncestorsOnlyWhenSomethingChanged) {
  Harness h;
  Outside o;
  o.version = {{0, 1}, {1, 1}, {2, 1}};
  o.Attach(1, 0);
  o.Attach(2, 1);
  NodePtr root = h.Build(o, true);
  const std::string dump = root->Dump(0);

  CModelNode* mid = root->SearchSubtree(h.objects[1]).get();
  UpToDateSync nothing;
  mid->Synchronize(nothing);
  mid->Synchronize(nothing);
  EXPECT_TRUE(h.logs.empty());
  EXPECT_EQ(root->Dump(0), dump);

  Outside edited = o;
  edited.version[2] = 2;
  TestSync sync(h.objects, edited, true);
  mid->Synchronize(sync);
  EXPECT_EQ(h.logs[2], (HookLog{1, 0, 0}));
  EXPECT_EQ(h.logs[1], (HookLog{0, 1, 0}));
  EXPECT_EQ(h.logs[0], (HookLog{0, 1, 0}));  // the parent chain above the synchronised node
  Recompute(root.get());
}

}  // namespace
