// The renderer's display lists and bend cache, counted.
#include <GL/gl.h>

#include "RendererFixture.h"
#include "render/BendCanonical.h"

namespace kelto::test {
namespace {

using RendererCache = RendererTest;

std::string KeyOf(const CGLRenderer& r, const CModelNode* node) {
  return *r.GetNodeData(node)->Keys().begin();
}

TEST_F(RendererCache, TwoEqualBendsElsewhereShareOneList) {
  CModelNode* a = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  // The same bend turned and moved, in another colour.
  CModelNode* b = tree_.Add(Bend({5, 5, 5}, {5, 5, 6}, {4, 5, 6}, 0.4, 0x0000FF));
  CGLRenderer& r = Start();
  EXPECT_EQ(r.GetBendCache().Lookups(), 2);
  EXPECT_EQ(r.GetBendCache().Misses(), 1);
  EXPECT_EQ(r.GetBendCache().Size(), 1u);
  EXPECT_EQ(KeyOf(r, a), KeyOf(r, b));
  EXPECT_EQ(r.GetBendCache().RefCount(KeyOf(r, a)), 2);
}

TEST_F(RendererCache, NormalizeScaleSharesABendTwiceAsLarge) {
  tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  tree_.Add(Bend({10, 0, 0}, {10, 2, 0}, {8, 2, 0}, 0.8));
  CGLRenderer& r = Start();
  EXPECT_EQ(r.GetBendCache().Size(), 2u);
  SetOption("NormalizeScale", true);
  EXPECT_EQ(r.GetBendCache().Size(), 1u);
  const auto& keys = r.GetNodeData(tree_.Root()->GetChildren().begin()->second.get())->Keys();
  EXPECT_EQ(r.GetBendCache().RefCount(*keys.begin()), 2);
}

TEST_F(RendererCache, TheLastUserRemovedDeletesTheList) {
  CModelNode* a = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  CModelNode* b = tree_.Add(Bend({0, 0, 3}, {0, 1, 3}, {-1, 1, 3}, 0.4));
  CGLRenderer& r = Start();
  const std::string key = KeyOf(r, a);
  const unsigned shared = r.GetBendCache().Find(key);
  ASSERT_NE(shared, 0u);
  ASSERT_TRUE(glIsList(shared));

  CModelNode::NodePtr keptA = tree_.Remove(a);
  EXPECT_EQ(r.GetNodeData(a), nullptr) << "a node leaving the tree loses the renderer's data";
  EXPECT_EQ(r.GetBendCache().RefCount(key), 1);
  EXPECT_TRUE(glIsList(shared));

  CModelNode::NodePtr keptB = tree_.Remove(b);
  EXPECT_EQ(r.GetBendCache().Size(), 0u);
  EXPECT_FALSE(glIsList(shared));
}

TEST_F(RendererCache, NewGeometryReleasesTheOldBendsAndNewChildrenGetLists) {
  CModelNode* node = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  CGLRenderer& r = Start();
  const std::string oldKey = KeyOf(r, node);

  node->GetGeometry() = Bend({0, 0, 0}, {2, 0, 0}, {2, 3, 0}, 0.4);
  node->GeometryChanged(true);
  EXPECT_EQ(r.GetBendCache().RefCount(oldKey), 0);
  EXPECT_EQ(r.GetBendCache().Size(), 1u);
  EXPECT_NE(KeyOf(r, node), oldKey);

  CModelNode* child = tree_.Add(Cylinder({0, 0, 0}, {1, 0, 0}, 0.2), node);
  ASSERT_NE(r.GetNodeData(child), nullptr);
  EXPECT_TRUE(r.GetNodeData(child)->InParentList());
  EXPECT_TRUE(glIsList(r.GetNodeData(node)->ListId())) << "the new parent has a list of its own";
}

TEST_F(RendererCache, DestroyingTheRendererFreesEveryList) {
  CModelNode* group = tree_.Add({});
  CModelNode* a = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4), group);
  CGLRenderer& r = Start();
  const unsigned shared = r.GetBendCache().Find(KeyOf(r, a));
  const unsigned list = r.GetNodeData(group)->ListId();
  const unsigned root = r.GetNodeData(tree_.Root())->ListId();
  const AssociationKey key = r.GetKey();
  ASSERT_TRUE(glIsList(shared + 1)) << "the bend at reduced detail";
  renderer_.reset();
  ASSERT_TRUE(surface_.MakeCurrent());
  EXPECT_FALSE(glIsList(shared));
  EXPECT_FALSE(glIsList(shared + 1)) << "its reduced detail";
  EXPECT_FALSE(glIsList(list));
  EXPECT_FALSE(glIsList(root));
  EXPECT_EQ(a->GetAssociated(key), nullptr);
  EXPECT_EQ(tree_.Root()->GetAssociated(key), nullptr);
}

TEST_F(RendererCache, SelectionRecompilesWithoutTessellatingAgain) {
  CModelNode* a = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  CGLRenderer& r = Start();
  const unsigned shared = r.GetBendCache().Find(KeyOf(r, a));
  const auto misses = r.GetBendCache().Misses();
  r.Select(a);
  EXPECT_EQ(r.GetBendCache().Misses(), misses);
  EXPECT_EQ(r.GetBendCache().Find(KeyOf(r, a)), shared);
  EXPECT_EQ(r.GetBendCache().RefCount(KeyOf(r, a)), 1);
}

}  // namespace
}  // namespace kelto::test
