// The synchronisation walk fills one geometry set for every node and copies
// it into each: no node may see another node's primitives, whether the set
// grew or shrank between them, and a second walk replaces the first's.
#include <gtest/gtest.h>

#include <vector>

#include "FakeObjects.h"
#include "core/ModelNode.h"

namespace {

using kelto::test::FakeObjects;

// Gives object i (i = 1 .. n-1, children of object 0) the number of cones
// counts[i] says, each of diameter i; object 0 lists the others.
class CountingSync : public CModelNode::IFSynchronizer {
 public:
  CountingSync(const FakeObjects& objects, std::vector<int> counts)
      : m_objects(objects), m_counts(std::move(counts)) {}

  void SyncGeometry(CModelNode* node, CGeometrySet& geometry, bool&) override {
    const int id = IdOf(node);
    EXPECT_TRUE(geometry.empty()) << "node " << id << " was handed a used set";
    for (int k = 0; k < m_counts[id]; ++k)
      geometry.AddCone({double(k), 0, 0}, id, {double(k) + 1, 0, 0}, id, id);
  }
  void SyncChildren(CModelNode::KeyList& children, CModelNode* node, bool&) override {
    if (IdOf(node) != 0) return;
    for (int i = 1; i < m_objects.size(); ++i) children.push_back(m_objects[i]);
  }

 private:
  int IdOf(CModelNode* node) const {
    for (int i = 0; i < m_objects.size(); ++i)
      if (m_objects[i] == node->GetKey()) return i;
    return -1;
  }
  const FakeObjects& m_objects;
  std::vector<int> m_counts;
};

TEST(SyncGeometry, EachNodeGetsExactlyItsOwnPrimitives) {
  FakeObjects objects(6);
  const CModelNode::NodePtr root(new CModelNode(objects[0]));
  // A second walk with fewer primitives must not keep the first walk's.
  for (const std::vector<int>& counts : {std::vector<int>{1, 3, 0, 5, 1, 2},
                                         std::vector<int>{0, 1, 4, 0, 2, 0}}) {
    CountingSync sync(objects, counts);
    root->Synchronize(sync);
    EXPECT_EQ(root->GetGeometry().size(), std::size_t(counts[0]));
    const auto& children = root->GetOrderedChildren();
    ASSERT_EQ(children.size(), 5u);
    for (int i = 1; i < 6; ++i) {
      const CGeometrySet& geometry = children[i - 1]->GetGeometry();
      ASSERT_EQ(geometry.size(), std::size_t(counts[i])) << "node " << i;
      for (const CPrimitive& p : geometry) EXPECT_EQ(p.GetCone()->Colour, i);
    }
  }
}

}  // namespace
