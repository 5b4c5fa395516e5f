// The data the view control attaches to model nodes, under its own key.
#pragma once

#include "view/Pipeline3DViewCtrl.h"

// On Root: any change anywhere in the tree schedules a repaint, and a change
// that took nodes out of the tree takes them out of the selection.
class CPipeline3DViewCtrl::RootNodeData : public CModelNode::CAssociated {
 public:
  explicit RootNodeData(CPipeline3DViewCtrl& control) : m_control(control) {}
  void OnSubtreeChanged() override;

 private:
  CPipeline3DViewCtrl& m_control;
};

// On each node in the selection bookkeeping. It registers itself with the
// control for its lifetime, so the control can find every selected node and
// check that it is still in its tree: the parent-changed hook reaches only
// the node that moved, not the selected nodes below it.
class CPipeline3DViewCtrl::SelectedNodeData : public CModelNode::CAssociated {
 public:
  SelectedNodeData(CPipeline3DViewCtrl& control, CModelNode& node, IDispatch* object);
  ~SelectedNodeData() override;
  SelectedNodeData(const SelectedNodeData&) = delete;
  SelectedNodeData& operator=(const SelectedNodeData&) = delete;

  void OnParentChanged() override;

  CModelNode& Node() const { return m_node; }
  // The node's object as SelectedItems holds it.
  IDispatch* Object() const { return m_object.Get(); }

 private:
  CPipeline3DViewCtrl& m_control;
  CModelNode& m_node;
  kelto::com::ComPtr<IDispatch> m_object;
};

// On a node the user toggled off inside a selected subtree (the renderer
// shows it unhighlighted though an ancestor is selected), so that the
// highlight can be rebuilt as it was. Registered with the control like
// SelectedNodeData; a node never carries both.
class CPipeline3DViewCtrl::ToggledOffNodeData : public CModelNode::CAssociated {
 public:
  ToggledOffNodeData(CPipeline3DViewCtrl& control, CModelNode& node);
  ~ToggledOffNodeData() override;
  ToggledOffNodeData(const ToggledOffNodeData&) = delete;
  ToggledOffNodeData& operator=(const ToggledOffNodeData&) = delete;

  CModelNode& Node() const { return m_node; }

 private:
  CPipeline3DViewCtrl& m_control;
  CModelNode& m_node;
};
