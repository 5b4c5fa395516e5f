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

// Each pipeline's identity and its components' identities, in file order.
// Backwards, the objects are asked for last first, so those not made before
// are made in the reverse of file order.
using Contents = std::vector<std::pair<IUnknown*, std::vector<IUnknown*>>>;
Contents ContentsOf(IKeltoFile* file, bool backwards) {
  ComPtr<IKeltoPipelines> pipelines;
  file->get_Pipelines(pipelines.Put());
  LONG count = 0;
  pipelines->get_Count(&count);
  Contents contents(static_cast<std::size_t>(count));
  for (LONG k = 0; k < count; ++k) {
    const LONG i = backwards ? count - 1 - k : k;
    ComPtr<IKeltoPipeline> pipeline;
    ComPtr<IKeltoComponents> components;
    pipelines->get_Item(IndexVariant(i), pipeline.Put());
    pipeline->get_Components(components.Put());
    LONG n = 0;
    components->get_Count(&n);
    auto& [key, componentKeys] = contents[static_cast<std::size_t>(i)];
    key = IdentityOf(pipeline.Get()).Get();  // the file keeps its objects
    componentKeys.resize(static_cast<std::size_t>(n));
    for (LONG m = 0; m < n; ++m) {
      const LONG j = backwards ? n - 1 - m : m;
      ComPtr<IKeltoComponent> component;
      components->get_Item(IndexVariant(j), component.Put());
      componentKeys[static_cast<std::size_t>(j)] = IdentityOf(component.Get()).Get();
    }
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
  const auto path = std::filesystem::path(KELTO_SOURCE_DIR) / "examples/pcf/pump-suction-discharge.pcf";
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
