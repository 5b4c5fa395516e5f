#include "core/ModelNode.h"

#include <algorithm>
#include <cstdint>
#include <locale>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "core/NumberText.h"

namespace {

// Hooks may attach or detach items (their own included), so they are called
// on a copy of the list, each item kept alive for the length of its call.
template <class Hook>
void CallHooks(const CModelNode::AssociatedMap& items, Hook hook) {
  if (items.empty()) return;
  std::vector<CModelNode::AssociatedPtr> copy;
  copy.reserve(items.size());
  for (const auto& entry : items) copy.push_back(entry.second);
  for (const auto& item : copy) ((*item).*hook)();
}

}  // namespace

CModelNode::CModelNode() = default;

CModelNode::CModelNode(IUnknown* object) : m_object(object) {}

CModelNode::~CModelNode() {
  // A child that someone else still holds must not keep pointing here.
  ChildMap* children = m_children.existing();
  if (!children) return;
  for (auto& [key, child] : *children) {
    if (child->m_parent != this) continue;
    child->m_parent = nullptr;
    if (child.use_count() > 1) child->NotifyParentChanged();
  }
}

void CModelNode::SetObject(IUnknown* object) {
  const Key oldKey = GetKey();
  m_object = kelto::com::ComPtr<IUnknown>(object);
  if (!m_parent || oldKey == object) return;

  ChildMap& siblings = m_parent->m_children.edit();
  m_parent->m_orderStale = true;  // the node keeps its place; a displaced sibling goes
  NodePtr self;
  if (auto it = siblings.find(oldKey); it != siblings.end() && it->second.get() == this) {
    self = std::move(it->second);
    siblings.erase(it);
  }
  if (!self) return;  // not actually held by the parent; nothing to move
  NodePtr replaced;
  if (auto [it, inserted] = siblings.try_emplace(object, self); !inserted) {
    replaced = std::exchange(it->second, self);
  }
  if (replaced && replaced.get() != this) {
    // The displaced sibling really has left the tree; leaving its parent link
    // behind would let a later AddChild erase the wrong entry. The parent has
    // lost a child, and whatever draws or lists its children hears so.
    CModelNode* parent = m_parent;
    replaced->m_parent = nullptr;
    parent->MarkBoundsStale();
    replaced->NotifyParentChanged();
    parent->SubtreeChanged(true);
  }
}

CModelNode* CModelNode::GetRoot() {
  CModelNode* node = this;
  while (node->m_parent) node = node->m_parent;
  return node;
}

bool CModelNode::IsAncestor(const CModelNode* node) const {
  for (const CModelNode* p = m_parent; p; p = p->m_parent)
    if (p == node) return true;
  return false;
}

bool CModelNode::IsSelfOrAncestor(const CModelNode* node) const {
  return node == this || IsAncestor(node);
}

void CModelNode::AddChild(NodePtr child) {
  if (!child) throw std::invalid_argument("Null model node.");
  if (IsSelfOrAncestor(child.get())) throw std::runtime_error("Cyclic model tree not allowed.");

  const Key key = child->GetKey();
  if (m_children.get().count(key)) DetachChild(key);

  CModelNode* oldParent = child->m_parent;
  child->m_rank = m_nextRank++;  // a child added again moves to the end
  m_children.edit()[key] = child;
  m_orderStale = true;

  if (oldParent && oldParent != this) {
    ChildMap& oldSiblings = oldParent->m_children.edit();
    if (auto it = oldSiblings.find(key); it != oldSiblings.end() && it->second == child) {
      oldSiblings.erase(it);
      oldParent->m_orderStale = true;
    }
    child->m_parent = nullptr;
    oldParent->SubtreeChanged(true);
  }

  child->m_parent = this;
  child->NotifyParentChanged();
  SubtreeChanged(true);
}

CModelNode::NodePtr CModelNode::SearchSubtree(Key key) const {
  if (const CModelNode* holder = FindHolder(key)) return holder->m_children.get().find(key)->second;
  return {};
}

const std::vector<CModelNode*>& CModelNode::GetOrderedChildren() const {
  if (!m_orderStale) return m_ordered;
  m_ordered.clear();
  m_ordered.reserve(m_children.get().size());
  for (const auto& [key, child] : m_children.get()) m_ordered.push_back(child.get());
  // Ranks are unique under one parent, so the order does not depend on keys.
  std::sort(m_ordered.begin(), m_ordered.end(),
            [](const CModelNode* a, const CModelNode* b) { return a->m_rank < b->m_rank; });
  m_orderStale = false;
  return m_ordered;
}

const CModelNode* CModelNode::FindHolder(Key key) const {
  if (m_children.get().count(key)) return this;
  for (const auto& [childKey, child] : m_children.get())
    if (const CModelNode* holder = child->FindHolder(key)) return holder;
  return nullptr;
}

CModelNode::NodePtr CModelNode::RemoveSubtree(Key key) {
  CModelNode* holder = const_cast<CModelNode*>(FindHolder(key));
  return holder ? holder->DetachChild(key) : NodePtr();
}

CModelNode::NodePtr CModelNode::DetachChild(Key key) {
  ChildMap* children = m_children.existing();
  if (!children) return {};
  auto it = children->find(key);
  if (it == children->end()) return {};
  NodePtr kept = it->second;
  kept->m_parent = nullptr;
  kept->NotifyParentChanged();
  // The hook may have edited this map; erase only what is still ours.
  if (auto again = children->find(key); again != children->end() && again->second == kept) {
    children->erase(again);
    m_orderStale = true;
  }
  SubtreeChanged(true);
  return kept;
}

void CModelNode::SetAssociated(const AssociationKey& key, AssociatedPtr item) {
  m_associated.edit()[key] = std::move(item);
}

CModelNode::AssociatedPtr CModelNode::GetAssociated(const AssociationKey& key) const {
  const AssociatedMap& items = m_associated.get();
  auto it = items.find(key);
  return it == items.end() ? AssociatedPtr() : it->second;
}

void CModelNode::ClearAssociated(const AssociationKey& key) {
  if (AssociatedMap* items = m_associated.existing()) items->erase(key);
}

void CModelNode::NotifyGeometryChanged() {
  CallHooks(m_associated.get(), &CAssociated::OnGeometryChanged);
}
void CModelNode::NotifySubtreeChanged() { CallHooks(m_associated.get(), &CAssociated::OnSubtreeChanged); }
void CModelNode::NotifyParentChanged() { CallHooks(m_associated.get(), &CAssociated::OnParentChanged); }

void CModelNode::GeometryChanged(bool propagate) {
  NotifyGeometryChanged();
  MarkBoundsStale();
  if (propagate && m_parent) m_parent->SubtreeChanged(true);
}

void CModelNode::SubtreeChanged(bool propagate) {
  CModelNode* node = this;
  while (node) {
    node->NotifySubtreeChanged();
    node->MarkBoundsStale();
    node = propagate ? node->m_parent : nullptr;
  }
}

void CModelNode::UpdateBounds() const {
  CBoundBox box = m_geometry.GetBoundBox();
  double m = box.GetRadius();
  for (const auto& [key, child] : m_children.get()) {
    box.Add(child->GetBoundBox());
    const double c = child->GetMinContainedRadius();
    if (m == 0.0) {
      m = c;
    } else if (c > 0.0 && c < m) {
      m = c;
    }
  }
  m_boundBox = box;
  m_minContainedRadius = m;
  m_boundsStale = false;
}

const CBoundBox& CModelNode::GetBoundBox() const {
  if (m_boundsStale) UpdateBounds();
  return m_boundBox;
}

double CModelNode::GetMinContainedRadius() const {
  if (m_boundsStale) UpdateBounds();
  return m_minContainedRadius;
}

void CModelNode::DumpTo(std::ostream& os, int indent) const {
  if (indent < 0) indent = 0;
  const std::string pad(2 * static_cast<std::size_t>(indent), ' ');
  os << pad << reinterpret_cast<std::intptr_t>(GetKey()) << '\n';
  m_geometry.DumpTo(os, indent + 1);
  for (const auto& [key, child] : m_children.get()) child->DumpTo(os, indent + 1);
  const CBoundBox& box = GetBoundBox();
  os << pad << "  BoundBox : ";
  WriteTriple(os, box.GetMin());
  os << " - ";
  WriteTriple(os, box.GetMax());
  os << " Radius = ";
  WriteNumber(os, box.GetRadius());
  os << '\n' << pad << "  Minimum Contained BoundBox radius : ";
  WriteNumber(os, GetMinContainedRadius());
  os << '\n';
}

std::string CModelNode::Dump(int indent) const {
  std::ostringstream os;
  os.imbue(std::locale::classic());
  DumpTo(os, indent);
  return os.str();
}
