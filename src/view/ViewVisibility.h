// CViewVisibility: which nodes of a view's model are hidden.
//
// A hidden node carries a mark (attached data under the visibility's own
// key); the node and everything below it are then left out of frames, picks
// and fits. Marks live and die with their nodes: a file taken out of the
// view takes its marks along. Nothing is rebuilt to hide or show: the
// renderers are told which node changed (the Changed callback) and skip it,
// or compile the one list a hidden leaf is drawn in.
#pragma once

#include <functional>
#include <set>
#include <vector>

#include "core/AssociationKey.h"
#include "core/BoundBox.h"
#include "core/ModelNode.h"

class CViewVisibility {
 public:
  // Called with the nodes whose marks came or went, once per operation.
  using ChangedCallback = std::function<void(const std::vector<CModelNode*>&)>;

  CViewVisibility();
  // Clears the marks that are still on nodes.
  ~CViewVisibility();
  CViewVisibility(const CViewVisibility&) = delete;
  CViewVisibility& operator=(const CViewVisibility&) = delete;

  void SetChangedCallback(ChangedCallback callback) { m_changed = std::move(callback); }

  // Whether the node carries a mark (its ancestors are not asked).
  bool IsHidden(const CModelNode* node) const;
  // Whether the node is drawn: neither it nor an ancestor is marked.
  bool IsShown(const CModelNode* node) const;
  // Marks or unmarks the node; false when nothing changed.
  bool SetHidden(CModelNode* node, bool hidden);
  // The same for several nodes at once; how many changed.
  std::size_t SetHidden(const std::vector<CModelNode*>& nodes, bool hidden);
  // Unmarks every node.
  void ShowAll();
  // Marks every node below root that is not one of keep, above one, or
  // below one (the fewest marks that show exactly those). Nothing when keep
  // is empty.
  void Isolate(CModelNode& root, const std::set<const CModelNode*>& keep);
  // The number of marked nodes.
  std::size_t HiddenCount() const { return m_marks.size(); }
  // The box of what is drawn below root (root's own box when nothing is
  // hidden).
  CBoundBox VisibleBox(const CModelNode& root) const;

 private:
  class Mark;
  bool Change(CModelNode* node, bool hidden);
  // Marks under the key of this object, for the hook to unregister.
  std::set<Mark*> m_marks;
  AssociationKey m_key;
  ChangedCallback m_changed;
};
