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

// A selection recompiles the node's list but tessellates nothing again.
TEST_F(RendererCache, EqualBendsShareOneListUntilTheLastUserIsGone) {
  CModelNode* a = tree_.Add(Bend({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, 0.4));
  // The same bend turned and moved, in another colour.
  CModelNode* b = tree_.Add(Bend({5, 5, 5}, {5, 5, 6}, {4, 5, 6}, 0.4, 0x0000FF));
  CGLRenderer& r = Start();
  EXPECT_EQ(r.GetBendCache().Lookups(), 2);
  EXPECT_EQ(r.GetBendCache().Misses(), 1);
  const std::string key = KeyOf(r, a);
  EXPECT_EQ(KeyOf(r, b), key);
  EXPECT_EQ(r.GetBendCache().RefCount(key), 2);
  const unsigned shared = r.GetBendCache().Find(key);
  ASSERT_TRUE(glIsList(shared));
  r.Select(a);
  EXPECT_EQ(r.GetBendCache().Misses(), 1);
  EXPECT_EQ(r.GetBendCache().Find(key), shared);

  CModelNode::NodePtr keptA = tree_.Remove(a);
  EXPECT_EQ(r.GetNodeData(a), nullptr) << "a node leaving the tree loses the renderer's data";
  EXPECT_EQ(r.GetBendCache().RefCount(key), 1);
  EXPECT_TRUE(glIsList(shared));
  CModelNode::NodePtr keptB = tree_.Remove(b);
  EXPECT_EQ(r.GetBendCache().Size(), 0u);
  EXPECT_FALSE(glIsList(shared));
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

}  // namespace
}  // namespace kelto::test
