// CModelNode: one node of a model tree. A node stands for an outside object
// (a file, a pipeline, a component; the object is also the node's key in its
// parent), carries its own geometry, a bound box covering its geometry and
// its whole subtree, and data that other components attach to it.
//
// Ownership: a parent owns its children through counted pointers; the parent
// link is a plain back-pointer. A root is owned by whoever holds a counted
// pointer to it.
//
// Observation: nodes emit no signals. Attached data (CAssociated) is told
// through three hooks when the node's geometry, subtree or parent changes.
// Hooks run synchronously inside the operation that caused them.
//
// Bound boxes are kept lazily: a notification marks the node's box stale and
// the next GetBoundBox / GetMinContainedRadius recomputes it from the node's
// own geometry and its children's boxes. The values are those an immediate
// recomputation at each notification would give, but adding many children one
// by one costs no more than adding them at once.
//
// Nothing is locked: trees belong to the component's apartment thread.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/AssociationKey.h"
#include "core/BoundBox.h"
#include "core/CountedPtr.h"
#include "core/GeometrySet.h"
#include "core/LazyMap.h"
#include "core/WrappedClass.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Interfaces.h"

class CModelNode : public CWrappedClass {
 public:
  // Data attached to a node by another component. The hooks do nothing
  // unless overridden.
  class CAssociated {
   public:
    virtual ~CAssociated() = default;
    // The node's own geometry was replaced.
    virtual void OnGeometryChanged() {}
    // The node's children, or anything below them, changed (also sent after
    // the node's own geometry changed when the change propagates upward).
    virtual void OnSubtreeChanged() {}
    // The node was attached to a new parent or detached from its parent.
    virtual void OnParentChanged() {}
  };

  // Attached data holding one value (scripts keep VARIANTs and strings).
  template <class T>
  class CAssociatedData;

  using Key = IUnknown*;
  using NodePtr = cptr::counted_ptr<CModelNode>;
  using AssociatedPtr = cptr::counted_ptr<CAssociated>;
  // Iteration is in ascending pointer order, which differs from run to run:
  // whatever draws, picks or prints walks GetOrderedChildren instead.
  using ChildMap = std::map<Key, NodePtr>;
  using AssociatedMap = std::map<AssociationKey, AssociatedPtr>;
  using KeyList = std::vector<Key>;

  // How builders refresh a tree (see Synchronize). Both flags are false on
  // entry to each call.
  class IFSynchronizer {
   public:
    // Either set upToDate (the node keeps its geometry) or fill geometry with
    // the node's new primitives and leave it false.
    virtual void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool& upToDate) = 0;
    // Either set upToDate (the node keeps and recurses into its children) or
    // fill children, in order, with the identity of every child the node must
    // have and leave it false.
    virtual void SyncChildren(KeyList& children, CModelNode* node, bool& upToDate) = 0;

   protected:
    ~IFSynchronizer() = default;
  };

  CModelNode();
  // Keeps a reference to object. Pass the object's identity (its IUnknown as
  // QueryInterface gives it): the pointer is the node's key.
  explicit CModelNode(IUnknown* object);
  CModelNode(const CModelNode&) = delete;
  CModelNode& operator=(const CModelNode&) = delete;
  // Releases the children (children held elsewhere lose their parent link and
  // are told so), the object and the attached data.
  virtual ~CModelNode();

  IUnknown* GetObject() const { return m_object.Get(); }
  // Replaces the object. Under a parent, the parent's entry moves to the new
  // key; a sibling already under that key is dropped from the parent (its
  // parent link is cleared and its OnParentChanged hooks run).
  void SetObject(IUnknown* object);
  Key GetKey() const { return m_object.Get(); }

  CGeometrySet& GetGeometry() { return m_geometry; }
  const CGeometrySet& GetGeometry() const { return m_geometry; }
  // Read-only: the tree changes only through AddChild, RemoveSubtree,
  // SetObject and Synchronize, which keep parent links and hooks right.
  // Valid until the children next change (a leaf answers with a shared
  // empty map until it first gets a child).
  const ChildMap& GetChildren() const { return m_children.get(); }
  // The children in the order they were listed by the last Synchronize that
  // refilled this node, followed by those added since, oldest first: for a
  // piping file, file order. Valid until the children next change.
  const std::vector<CModelNode*>& GetOrderedChildren() const;

  CModelNode* GetParent() const { return m_parent; }
  CModelNode* GetRoot();
  // True when node is a proper ancestor of this node.
  bool IsAncestor(const CModelNode* node) const;
  // True when node is this node or one of its ancestors.
  bool IsSelfOrAncestor(const CModelNode* node) const;

  // Stores child under its key, replacing a child already there and taking it
  // away from a former parent. Throws std::runtime_error("Cyclic model tree
  // not allowed.") when child is this node or an ancestor (nothing changes),
  // std::invalid_argument for a null child.
  void AddChild(NodePtr child);
  // The node with this key: a direct child wins over deeper nodes; deeper,
  // the first in key order at each level. Null when absent.
  NodePtr SearchSubtree(Key key) const;
  // Takes the node found as SearchSubtree finds it out of its parent and
  // returns it with its subtree intact. Null when absent.
  NodePtr RemoveSubtree(Key key);
  // Refreshes this subtree from its outside objects (see docs/model-tree.md).
  // A node whose object is still in the subtree keeps its node, its subtree
  // and its attached data, wherever the object has moved. Exceptions of the
  // synchroniser propagate; what was already refreshed stays refreshed and the
  // hooks and boxes of every node changed so far are brought up to date.
  void Synchronize(IFSynchronizer& synchronizer);

  void SetAssociated(const AssociationKey& key, AssociatedPtr item);
  AssociatedPtr GetAssociated(const AssociationKey& key) const;
  void ClearAssociated(const AssociationKey& key);
  // Valid until the attached data next changes (see GetChildren).
  const AssociatedMap& GetAssociatedItems() const { return m_associated.get(); }

  // Tells the attached data that the geometry was replaced and updates the
  // bound box; with propagate, the parent chain gets SubtreeChanged(true).
  void GeometryChanged(bool propagate);
  // Tells the attached data that the subtree changed and updates the box;
  // with propagate, the same for every ancestor up to the root.
  void SubtreeChanged(bool propagate);

  const CBoundBox& GetBoundBox() const;
  // Smallest non-zero bound-box radius of this node's own geometry or
  // anywhere below (0 when all are 0).
  double GetMinContainedRadius() const;

  // Text dump of the subtree (format in docs/model-tree.md).
  std::string Dump(int indent) const;
  void DumpTo(std::ostream& os, int indent) const;

 private:
  class SyncWalk;

  void NotifyGeometryChanged();
  void NotifySubtreeChanged();
  void NotifyParentChanged();
  void MarkBoundsStale() { m_boundsStale = true; }
  void UpdateBounds() const;
  // Takes the child under key out of this node's map: clears its parent link,
  // runs its OnParentChanged hooks and this node's propagating subtree walk.
  NodePtr DetachChild(Key key);
  const CModelNode* FindHolder(Key key) const;

  CGeometrySet m_geometry;
  kelto::com::ComPtr<IUnknown> m_object;
  LazyMap<ChildMap> m_children;
  // Position under the parent (see GetOrderedChildren); the next position to
  // give out here; the ordered children, rebuilt on demand after a change.
  std::uint64_t m_rank = 0;
  std::uint64_t m_nextRank = 0;
  mutable std::vector<CModelNode*> m_ordered;
  CModelNode* m_parent = nullptr;
  LazyMap<AssociatedMap> m_associated;
  mutable CBoundBox m_boundBox;
  mutable double m_minContainedRadius = 0.0;
  // Bookkeeping beyond the node's data: the number of the last
  // synchronisation walk that placed this node, whether the ordered children
  // need rebuilding, and the stale flag of the lazy bound box. A new node
  // starts stale: geometry a script adds before the box is first asked for
  // (adding primitives notifies nothing) must still count.
  std::uint64_t m_syncStamp = 0;
  mutable bool m_orderStale = false;
  mutable bool m_boundsStale = true;
};

template <class T>
class CModelNode::CAssociatedData : public CModelNode::CAssociated {
 public:
  CAssociatedData() = default;
  explicit CAssociatedData(T value) : m_value(std::move(value)) {}

  T& GetData() { return m_value; }
  const T& GetData() const { return m_value; }
  void SetData(T value) { m_value = std::move(value); }

 private:
  T m_value{};
};
