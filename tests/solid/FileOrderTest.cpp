// A model is drawn in file order, whatever the order its objects were made in
// (and so wherever they lie in memory): where surfaces at equal depth meet,
// the same one wins every time the file is shown.
#include <gtest/gtest.h>

#include <vector>

#include "SolidTestSupport.h"
#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"
#include "render/StandardViewDir.h"
#include "solid/PipingAccess.h"
#include "solid/SolidModelBuilder.h"

namespace solid_test {
namespace {

using kelto::solid::IdentityOf;
using kelto::solid::IndexVariant;

// A collection's items; backwards, they are asked for last first, so those
// not made before are made in the reverse of file order.
template <class Item, class Collection>
std::vector<ComPtr<Item>> ItemsOf(Collection* collection, bool backwards) {
  LONG n = 0;
  collection->get_Count(&n);
  std::vector<ComPtr<Item>> items(static_cast<std::size_t>(n));
  for (LONG k = 0; k < n; ++k) {
    const LONG i = backwards ? n - 1 - k : k;
    collection->get_Item(IndexVariant(i), items[static_cast<std::size_t>(i)].Put());
  }
  return items;
}

// Each pipeline's identity and its components' identities, in file order
// (the file keeps its objects).
using Contents = std::vector<std::pair<IUnknown*, std::vector<IUnknown*>>>;
Contents ContentsOf(IKeltoFile* file, bool backwards) {
  ComPtr<IKeltoPipelines> pipelines;
  file->get_Pipelines(pipelines.Put());
  Contents contents;
  for (const auto& pipeline : ItemsOf<IKeltoPipeline>(pipelines.Get(), backwards)) {
    ComPtr<IKeltoComponents> components;
    pipeline->get_Components(components.Put());
    auto& keys =
        contents.emplace_back(IdentityOf(pipeline.Get()).Get(), std::vector<IUnknown*>{}).second;
    for (const auto& c : ItemsOf<IKeltoComponent>(components.Get(), backwards))
      keys.push_back(IdentityOf(c.Get()).Get());
  }
  return contents;
}

std::vector<IUnknown*> Keys(const CModelNode& node) {
  std::vector<IUnknown*> keys;
  for (const CModelNode* child : node.GetOrderedChildren()) keys.push_back(child->GetKey());
  return keys;
}

std::vector<std::uint8_t> Picture(const CModelNode::NodePtr& root) {
  constexpr int kWidth = 800, kHeight = 500;
  kelto::gl::CGLDIBSurface surface(kWidth, kHeight);
  EXPECT_TRUE(surface.MakeCurrent()) << surface.Error();
  CGLRenderer renderer(root.get(), &surface);
  renderer.Resize(kWidth, kHeight);
  const CViewDirection d = *GetStandardViewDir(svdNorthTopRight);
  renderer.SetViewDir(d.View, d.Up);
  renderer.FitView(root->GetBoundBox());
  renderer.Render();
  return {surface.Bits(), surface.Bits() + kHeight * surface.Stride()};
}

TEST(FileOrder, ObjectsMadeBackwardsGiveTheSameOrderAndPicture) {
  const auto path =
      std::filesystem::path(KELTO_SOURCE_DIR) / "examples/pcf/pump-suction-discharge.pcf";
  std::vector<std::uint8_t> pictures[2];
  for (const bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "made backwards" : "made forwards");
    const ComPtr<IKeltoFile> file = LoadFile(path);
    const Contents contents = ContentsOf(file.Get(), backwards);
    const auto root = CSolidModelBuilder().BuildModel(file.Get());
    ASSERT_EQ(root->GetOrderedChildren().size(), contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i) {
      const CModelNode& pipeline = *root->GetOrderedChildren()[i];
      EXPECT_EQ(pipeline.GetKey(), contents[i].first);
      EXPECT_EQ(Keys(pipeline), contents[i].second);
    }
    pictures[backwards] = Picture(root);
  }
  EXPECT_TRUE(pictures[0] == pictures[1]) << "the drawing order follows where objects lie";
}

}  // namespace
}  // namespace solid_test
