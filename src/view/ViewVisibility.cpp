#include "view/ViewVisibility.h"

#include <vector>

// The mark on a hidden node: registers with its visibility for as long as
// it is attached, so the count and "show all" need no walk of the tree.
class CViewVisibility::Mark : public CModelNode::CAssociated {
 public:
  Mark(CViewVisibility& owner, CModelNode& node) : m_owner(&owner), m_node(node) {
    owner.m_marks.insert(this);
  }
  ~Mark() override {
    if (m_owner) m_owner->m_marks.erase(this);
  }
  Mark(const Mark&) = delete;
  Mark& operator=(const Mark&) = delete;
  CModelNode& Node() const { return m_node; }
  void Orphan() { m_owner = nullptr; }

 private:
  CViewVisibility* m_owner;
  CModelNode& m_node;
};

CViewVisibility::CViewVisibility() : m_key(static_cast<const void*>(this)) {}

CViewVisibility::~CViewVisibility() {
  // A node may outlive the view (a script holds it): its mark must not
  // reach back into this object.
  for (Mark* mark : std::vector<Mark*>(m_marks.begin(), m_marks.end())) mark->Orphan();
  for (Mark* mark : std::vector<Mark*>(m_marks.begin(), m_marks.end())) mark->Node().ClearAssociated(m_key);
}

bool CViewVisibility::IsHidden(const CModelNode* node) const {
  if (m_marks.empty() || !node) return false;
  const auto& items = node->GetAssociatedItems();
  return items.find(m_key) != items.end();
}

bool CViewVisibility::IsShown(const CModelNode* node) const {
  for (const CModelNode* n = node; n; n = n->GetParent())
    if (IsHidden(n)) return false;
  return true;
}

bool CViewVisibility::Change(CModelNode* node, bool hidden) {
  if (!node || IsHidden(node) == hidden) return false;
  if (hidden)
    node->SetAssociated(m_key, CModelNode::AssociatedPtr(new Mark(*this, *node)));
  else
    node->ClearAssociated(m_key);
  return true;
}

bool CViewVisibility::SetHidden(CModelNode* node, bool hidden) {
  return SetHidden(std::vector<CModelNode*>{node}, hidden) == 1;
}

std::size_t CViewVisibility::SetHidden(const std::vector<CModelNode*>& nodes, bool hidden) {
  std::vector<CModelNode*> changed;
  for (CModelNode* node : nodes)
    if (Change(node, hidden)) changed.push_back(node);
  if (!changed.empty() && m_changed) m_changed(changed);
  return changed.size();
}

void CViewVisibility::ShowAll() {
  std::vector<CModelNode*> nodes;
  for (Mark* mark : m_marks) nodes.push_back(&mark->Node());
  SetHidden(nodes, false);
}

void CViewVisibility::Isolate(CModelNode& root, const std::set<const CModelNode*>& keep) {
  if (keep.empty()) return;
  std::set<const CModelNode*> above;  // the kept nodes and their ancestors
  for (const CModelNode* node : keep)
    for (const CModelNode* n = node; n && above.insert(n).second; n = n->GetParent()) {
    }
  ShowAll();
  // Walk down the kept paths; every child off them is hidden whole.
  std::vector<CModelNode*> hide;
  std::vector<CModelNode*> todo{&root};
  while (!todo.empty()) {
    CModelNode* node = todo.back();
    todo.pop_back();
    if (keep.count(node)) continue;  // shown with everything below it
    for (const auto& [key, child] : node->GetChildren()) {
      if (above.count(child.get()))
        todo.push_back(child.get());
      else
        hide.push_back(child.get());
    }
  }
  SetHidden(hide, true);
}

CBoundBox CViewVisibility::VisibleBox(const CModelNode& root) const {
  if (m_marks.empty()) return root.GetBoundBox();
  // Subtrees without a mark inside are their own boxes (kept up to date by
  // the tree); only the paths down to the marks are walked.
  std::set<const CModelNode*> onPath;
  for (const Mark* mark : m_marks)
    for (const CModelNode* n = mark->Node().GetParent(); n && onPath.insert(n).second; n = n->GetParent()) {
    }
  CBoundBox box;
  std::vector<const CModelNode*> todo{&root};
  while (!todo.empty()) {
    const CModelNode* node = todo.back();
    todo.pop_back();
    if (IsHidden(node)) continue;
    if (!onPath.count(node)) {
      box.Add(node->GetBoundBox());
      continue;
    }
    box.Add(node->GetGeometry().GetBoundBox());
    for (const auto& [key, child] : node->GetChildren()) todo.push_back(child.get());
  }
  return box;
}
