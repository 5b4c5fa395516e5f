#include "core/ModelNode.h"

#include <gtest/gtest.h>

#include "FakeObjects.h"

namespace {

using kelto::test::FakeObject;
using kelto::test::FakeObjects;
using NodePtr = CModelNode::NodePtr;

struct HookLog {
  int geometry = 0;
  int subtree = 0;
  int parent = 0;
  bool operator==(const HookLog&) const = default;
};

struct Recorder : CModelNode::CAssociated {
  explicit Recorder(HookLog* l) : log(l) {}
  HookLog* log;
  void OnGeometryChanged() override { ++log->geometry; }
  void OnSubtreeChanged() override { ++log->subtree; }
  void OnParentChanged() override { ++log->parent; }
};

const AssociationKey kRecorderKey(std::uintptr_t{1});

NodePtr MakeNode(IUnknown* object, HookLog* log = nullptr) {
  NodePtr node(new CModelNode(object));
  if (log) node->SetAssociated(kRecorderKey, CModelNode::AssociatedPtr(new Recorder(log)));
  return node;
}

// A new node for `object` added under `parent`.
NodePtr Child(const NodePtr& parent, IUnknown* object, HookLog* log = nullptr) {
  NodePtr node = MakeNode(object, log);
  parent->AddChild(node);
  return node;
}

void AddCircle(CModelNode& node, CPoint3 centre, double diameter) {
  node.GetGeometry().AddCircle(centre, diameter, {0, 0, 1}, 0);
  node.GeometryChanged(true);
}

std::string Ptr(IUnknown* p) { return std::to_string(reinterpret_cast<std::intptr_t>(p)); }

TEST(ModelNodeTest, NewNodeIsAnEmptyRootThatHoldsItsObject) {
  FakeObject::alive = 0;
  {
    auto object = kelto::com::MakeObject<FakeObject>();
    NodePtr node = MakeNode(object.Get());
    object.Reset();
    EXPECT_EQ(FakeObject::alive, 1);  // the node keeps it
  }
  EXPECT_EQ(FakeObject::alive, 0);
}

TEST(ModelNodeTest, ChildUnderAnExistingKeyReplacesIt) {
  FakeObjects o(2);
  HookLog oldLog, newLog, rootLog;
  NodePtr root = MakeNode(o[0], &rootLog);
  NodePtr first = Child(root, o[1], &oldLog);
  NodePtr second = MakeNode(o[1], &newLog);
  oldLog = rootLog = {};
  root->AddChild(second);
  EXPECT_EQ(first->GetParent(), nullptr);
  EXPECT_EQ(oldLog, (HookLog{0, 0, 1}));
  EXPECT_EQ(newLog, (HookLog{0, 0, 1}));
  EXPECT_EQ(root->GetChildren().size(), 1u);
  EXPECT_EQ(root->SearchSubtree(o[1]), second);
  EXPECT_EQ(rootLog.subtree, 2);  // once for the removal, once for the addition
}

// Boxes and the minimum contained radius of whole trees: SynchronizeTest
// recomputes them from scratch over random trees.
TEST(ModelNodeTest, SearchPrefersDirectChildThenFirstInKeyOrder) {
  FakeObjects o(6);
  // root ─ a ─ x(key 5)      the direct child with key 5 wins over a deeper one
  //      └ b ─ c ─ y(key 4)  among deeper nodes, the first subtree in key order wins
  //      └ x'(key 5)
  NodePtr root = MakeNode(o[0]);
  NodePtr a = Child(root, o[1]), b = Child(root, o[2]), direct5 = Child(root, o[5]);
  Child(a, o[5]);
  NodePtr y2 = Child(Child(b, o[3]), o[4]), y1 = Child(a, o[4]);
  EXPECT_EQ(root->SearchSubtree(o[5]), direct5);
  const NodePtr expected = o[1] < o[2] ? y1 : y2;  // a's subtree first when a's key is lower
  EXPECT_EQ(root->SearchSubtree(o[4]), expected);
  EXPECT_EQ(root->SearchSubtree(o[0]), nullptr);  // a node is not its own descendant
  EXPECT_EQ(b->SearchSubtree(o[4]), y2);
}

TEST(ModelNodeTest, RemoveSubtreeKeepsTheRemovedSubtreeIntact) {
  FakeObjects o(5);
  HookLog removedLog, parentLog, rootLog;
  NodePtr root = MakeNode(o[0], &rootLog);
  NodePtr parent = Child(root, o[1], &parentLog);
  NodePtr removed = Child(parent, o[2], &removedLog), below = Child(removed, o[3]);
  AddCircle(*below, {50, 0, 0}, 1);
  rootLog = parentLog = removedLog = {};

  const NodePtr taken = root->RemoveSubtree(o[2]);
  ASSERT_EQ(taken, removed);
  EXPECT_EQ(removed->GetParent(), nullptr);
  EXPECT_EQ(below->GetParent(), removed.get());
  EXPECT_EQ(removed->GetBoundBox().GetMax().x, 51.0);
  EXPECT_TRUE(root->GetBoundBox().IsEmpty());
  EXPECT_EQ(removedLog, (HookLog{0, 0, 1}));
  EXPECT_EQ(parentLog, (HookLog{0, 1, 0}));
  EXPECT_EQ(rootLog, (HookLog{0, 1, 0}));
}

TEST(ModelNodeTest, SetObjectMovesTheParentsEntry) {
  FakeObjects o(4);
  HookLog movedLog, displacedLog;
  NodePtr root = MakeNode(o[0]);
  NodePtr moved = Child(root, o[1], &movedLog), displaced = Child(root, o[2], &displacedLog);
  movedLog = displacedLog = {};
  moved->SetObject(o[3]);
  EXPECT_EQ(root->GetChildren().count(o[1]), 0u);
  EXPECT_EQ(root->SearchSubtree(o[3]), moved);
  EXPECT_EQ(movedLog, HookLog{});
  // Taking a sibling's key drops that sibling from the tree.
  moved->SetObject(o[2]);
  EXPECT_EQ(root->GetChildren().size(), 1u);
  EXPECT_EQ(root->SearchSubtree(o[2]), moved);
  EXPECT_EQ(displaced->GetParent(), nullptr);
  EXPECT_EQ(displacedLog, (HookLog{0, 0, 1}));
}

TEST(ModelNodeTest, SurvivingChildLosesItsLinkWhenItsParentDies) {
  FakeObjects o(2);
  HookLog log;
  NodePtr child = MakeNode(o[1], &log);
  {
    NodePtr parent = MakeNode(o[0]);
    parent->AddChild(child);
  }
  EXPECT_EQ(child->GetParent(), nullptr);
  EXPECT_EQ(log.parent, 2);
}

struct SelfRemover : CModelNode::CAssociated {
  CModelNode* node = nullptr;
  int* calls = nullptr;
  void OnParentChanged() override {
    ++*calls;
    node->ClearAssociated(AssociationKey("self"));
  }
};

TEST(ModelNodeTest, HookMayDetachItsOwnItem) {
  FakeObjects o(2);
  int calls = 0;
  NodePtr root = MakeNode(o[0]);
  NodePtr child = MakeNode(o[1]);
  auto* item = new SelfRemover;
  item->node = child.get();
  item->calls = &calls;
  child->SetAssociated(AssociationKey("self"), CModelNode::AssociatedPtr(item));
  root->AddChild(child);
  root->RemoveSubtree(o[1]);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(child->GetAssociated(AssociationKey("self")), nullptr);
}

TEST(ModelNodeTest, NotificationWalksPropagateOnlyWhenAsked) {
  FakeObjects o(3);
  HookLog rootLog, midLog, leafLog;
  NodePtr root = MakeNode(o[0], &rootLog);
  NodePtr mid = Child(root, o[1], &midLog), leaf = Child(mid, o[2], &leafLog);
  rootLog = midLog = leafLog = {};
  leaf->GetGeometry().AddLine({0, 0, 0}, {1, 0, 0}, 0);
  leaf->GeometryChanged(false);
  EXPECT_EQ(leafLog, (HookLog{1, 0, 0}));
  EXPECT_EQ(midLog, HookLog{});
  leaf->GeometryChanged(true);
  EXPECT_EQ(midLog, (HookLog{0, 1, 0}));
  EXPECT_EQ(rootLog, (HookLog{0, 1, 0}));
  EXPECT_EQ(root->GetBoundBox().GetMax(), CPoint3(1, 0, 0));
  mid->SubtreeChanged(false);
  EXPECT_EQ(rootLog.subtree, 1);
  EXPECT_EQ(midLog.subtree, 2);
}

TEST(ModelNodeTest, DumpFormat) {
  FakeObjects o(2);
  NodePtr root = MakeNode(o[0]);
  NodePtr child = Child(root, o[1]);
  child->GetGeometry().AddLine({0, 0, 0}, {1, 2, 3}, 0);
  child->GeometryChanged(true);
  root->GetGeometry().AddCircle({0, 0, 0}, 0.5, {0, 0, 1}, 0);
  root->GeometryChanged(false);
  const std::string r = "1.87083";  // sqrt(14) / 2
  // clang-format off
  const std::string expected =
      "  " + Ptr(o[0]) + "\n"
      "    Circle D = 0.5\n"
      "    " + Ptr(o[1]) + "\n"
      "      Line : (0, 0, 0) to (1, 2, 3)\n"
      "      BoundBox : (0, 0, 0) - (1, 2, 3) Radius = " + r + "\n"
      "      Minimum Contained BoundBox radius : " + r + "\n"
      "    BoundBox : (-0.5, -0.5, -0.5) - (1, 2, 3) Radius = 2.27761\n"
      "    Minimum Contained BoundBox radius : 0.866025\n";
  // clang-format on
  EXPECT_EQ(root->Dump(1), expected);
}

}  // namespace
