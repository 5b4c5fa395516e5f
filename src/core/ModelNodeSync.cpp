// The synchronisation walk of CModelNode.
//
// The walk visits nodes in pre-order (a node's geometry, then its children
// list, then each listed child in list order), which is the order the
// synchronisers are called in. Nodes whose object is still wanted are reused
// wherever the object now sits:
//  - a parent whose children changed keeps the children still listed where
//    they are and puts the others into a pool shared by the whole walk, so a
//    node that moved to a parent visited later is found there;
//  - a node that moved to a parent visited *before* its old parent is not in
//    the pool yet; on the first such miss the walk indexes the subtree by
//    object and takes the node from its old place. The old parent's subtree
//    has then changed whatever its synchroniser says when its turn comes, so
//    it is remembered and gets its subtree walk then. The index is built at
//    most once per walk and only when needed, so an unchanged
//    resynchronisation never pays for it.
// Every node placed (or kept) by this walk is stamped with the walk's number;
// a stamped node is never taken again, which rules out cycles and double use.
//
// Keeping the children that stay, instead of pooling them and taking them
// back, gives the same tree, hooks and order of synchroniser calls, without
// rebuilding the children map of every visited parent.
#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/ModelNode.h"

class CModelNode::SyncWalk {
 public:
  SyncWalk(IFSynchronizer& synchronizer, CModelNode* root)
      : m_sync(synchronizer), m_id(++s_walks), m_root(root) {
    root->m_syncStamp = m_id;
  }

  // The recursive step on one node; sets changed when the node or anything
  // below it changed.
  void Step(CModelNode* node, bool& changed);
  // Gives nodes that were not reused their parting: they have left the tree.
  void Finish();

 private:
  void Refill(CModelNode* node, KeyList& keys);
  NodePtr Place(CModelNode* node, Key key);
  NodePtr Take(Key key, CModelNode* newParent);
  NodePtr Steal(Key key, CModelNode* newParent);
  void BuildIndex();

  static inline std::atomic<std::uint64_t> s_walks{0};

  IFSynchronizer& m_sync;
  const std::uint64_t m_id;
  std::optional<CGeometrySet> m_geometry{std::in_place};
  CModelNode* m_root;
  // Children that left visited parents and have not been placed again yet.
  std::unordered_map<Key, std::vector<NodePtr>> m_pool;
  // Every node of the subtree, sorted by key; made on the first pool miss.
  bool m_indexed = false;
  std::vector<std::pair<Key, NodePtr>> m_index;
  // Parents that gave a child away to a parent visited before them.
  std::unordered_set<CModelNode*> m_robbed;
};

namespace {
constexpr std::less<IUnknown*> kKeyLess;
}

void CModelNode::Synchronize(IFSynchronizer& synchronizer) {
  SyncWalk walk(synchronizer, this);
  bool changed = false;
  try {
    walk.Step(this, changed);
  } catch (...) {
    walk.Finish();
    if (changed && m_parent) m_parent->SubtreeChanged(true);
    throw;
  }
  walk.Finish();
  if (changed && m_parent) m_parent->SubtreeChanged(true);
}

void CModelNode::SyncWalk::Step(CModelNode* node, bool& changed) {
  {
    // One set for the whole walk, filled for each node and copied into it:
    // the node gets an array of exactly its primitives, and the growth of
    // the array while a builder adds them happens once per walk, not once
    // per node.
    CGeometrySet& geometry = *m_geometry;
    geometry.clear();
    bool upToDate = false;
    m_sync.SyncGeometry(node, geometry, upToDate);
    if (!upToDate) {
      node->m_geometry = geometry;
      node->GeometryChanged(false);
      changed = true;
    }
    // A scripting face someone took of the set must not show the next
    // node's primitives: that set goes, its face with it.
    if (geometry.GetWrapper()) m_geometry.emplace();
  }

  KeyList keys;
  bool upToDate = false;
  m_sync.SyncChildren(keys, node, upToDate);

  // Set once this node's map has been edited or a child reported a change;
  // the node's subtree walk then runs even when a child throws.
  bool subtreeChanged = !m_robbed.empty() && m_robbed.erase(node) > 0;
  try {
    if (!upToDate) {
      subtreeChanged = true;
      Refill(node, keys);
    } else {
      std::vector<NodePtr> order;
      order.reserve(node->m_children.get().size());
      for (auto& [key, child] : node->m_children.get()) {
        child->m_syncStamp = m_id;
        order.push_back(child);
      }
      std::sort(order.begin(), order.end(),
                [](const NodePtr& a, const NodePtr& b) { return a->m_rank < b->m_rank; });
      for (const NodePtr& child : order) Step(child.get(), subtreeChanged);
    }
  } catch (...) {
    if (subtreeChanged) {
      changed = true;
      node->SubtreeChanged(false);
    }
    throw;
  }
  if (subtreeChanged) {
    changed = true;
    node->SubtreeChanged(false);
  }
}

// Gives node exactly the children listed in keys and synchronises each, in
// list order.
void CModelNode::SyncWalk::Refill(CModelNode* node, KeyList& keys) {
  if (keys.empty() && node->m_children.get().empty()) {
    // A leaf stays one, and its map is never made.
    node->m_orderStale = true;
    node->m_nextRank = 0;
    return;
  }
  KeyList sorted = keys;
  std::sort(sorted.begin(), sorted.end(), kKeyLess);
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
    // A key listed twice still makes one child, visited once.
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::unordered_set<Key> seen;
    std::erase_if(keys, [&seen](Key key) { return !seen.insert(key).second; });
  }

  // Children still listed stay (and are claimed); the others go to the pool.
  ChildMap& children = node->m_children.edit();
  node->m_orderStale = true;
  auto wanted = sorted.begin();
  for (auto it = children.begin(); it != children.end();) {
    while (wanted != sorted.end() && kKeyLess(*wanted, it->first)) ++wanted;
    if (wanted != sorted.end() && *wanted == it->first) {
      it->second->m_syncStamp = m_id;
      ++it;
    } else {
      m_pool[it->first].push_back(std::move(it->second));
      it = children.erase(it);
    }
  }

  // The list order becomes the children's order.
  node->m_nextRank = 0;
  for (Key key : keys) {
    NodePtr child;
    if (auto it = children.find(key); it != children.end()) {
      child = it->second;
    } else {
      child = Place(node, key);
    }
    child->m_rank = node->m_nextRank++;
    bool ignored = false;
    Step(child.get(), ignored);
  }
}

// Stores the node for key under node: reused from the pool or from its old
// place, or new.
CModelNode::NodePtr CModelNode::SyncWalk::Place(CModelNode* node, Key key) {
  NodePtr child = Take(key, node);
  const bool fresh = !child;
  if (fresh) child = NodePtr(new CModelNode(key));
  child->m_syncStamp = m_id;
  node->m_children.edit().emplace(key, child);
  if (fresh) {
    child->m_parent = node;  // nothing is attached to a new node yet
  } else if (child->m_parent != node) {
    child->m_parent = node;
    child->NotifyParentChanged();
  }
  return child;
}

CModelNode::NodePtr CModelNode::SyncWalk::Take(Key key, CModelNode* newParent) {
  if (auto it = m_pool.find(key); it != m_pool.end() && !it->second.empty()) {
    std::vector<NodePtr>& candidates = it->second;
    // Prefer the node that was already this parent's child: no hook needed.
    auto pick = std::find_if(candidates.begin(), candidates.end(),
                             [newParent](const NodePtr& n) { return n->m_parent == newParent; });
    if (pick == candidates.end()) pick = std::prev(candidates.end());
    NodePtr taken = std::move(*pick);
    candidates.erase(pick);
    return taken;
  }
  return Steal(key, newParent);
}

CModelNode::NodePtr CModelNode::SyncWalk::Steal(Key key, CModelNode* newParent) {
  if (!m_indexed) BuildIndex();
  auto first = std::lower_bound(
      m_index.begin(), m_index.end(), key,
      [](const std::pair<Key, NodePtr>& entry, Key k) { return kKeyLess(entry.first, k); });
  for (auto it = first; it != m_index.end() && it->first == key; ++it) {
    const NodePtr& candidate = it->second;
    if (candidate->m_syncStamp == m_id) continue;  // already placed by this walk
    // Unplaced nodes are never above the parent being filled; the check only
    // matters if a hook started another walk meanwhile.
    if (newParent->IsSelfOrAncestor(candidate.get())) continue;
    if (CModelNode* oldParent = candidate->m_parent) {
      ChildMap& oldSiblings = oldParent->m_children.edit();
      auto entry = oldSiblings.find(key);
      if (entry != oldSiblings.end() && entry->second == candidate) {
        oldSiblings.erase(entry);
        oldParent->m_orderStale = true;
        m_robbed.insert(oldParent);
      }
      candidate->m_parent = nullptr;
    }
    return candidate;
  }
  return {};
}

void CModelNode::SyncWalk::BuildIndex() {
  m_indexed = true;
  std::vector<CModelNode*> stack{m_root};
  for (const auto& [key, nodes] : m_pool) {
    for (const NodePtr& node : nodes) {
      m_index.emplace_back(key, node);
      stack.push_back(node.get());
    }
  }
  while (!stack.empty()) {
    CModelNode* node = stack.back();
    stack.pop_back();
    for (const auto& [key, child] : node->m_children.get()) {
      m_index.emplace_back(key, child);
      stack.push_back(child.get());
    }
  }
  std::stable_sort(m_index.begin(), m_index.end(),
                   [](const auto& a, const auto& b) { return kKeyLess(a.first, b.first); });
}

void CModelNode::SyncWalk::Finish() {
  // The index goes first: its extra references would make the children of
  // dropped nodes look as if someone still held them.
  m_index.clear();
  std::unordered_map<Key, std::vector<NodePtr>> pool;
  pool.swap(m_pool);
  for (auto& [key, nodes] : pool) {
    for (NodePtr& node : nodes) {
      if (!node->m_parent) continue;
      node->m_parent = nullptr;
      node->NotifyParentChanged();
    }
  }
  // The pool lets go here: nodes nobody else holds die now.
}
