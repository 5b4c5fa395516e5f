#include "RendererFixture.h"

#include <cstdlib>
#include <filesystem>

#include "platform/dc/DeviceContext.h"
#include "render/StandardViewDir.h"

namespace kelto::test {

void RendererTest::LookDownAndFit() {
  const CViewDirection d = *GetStandardViewDir(svdLookDown);
  renderer_->SetViewDir(d.View, d.Up);
  Fit();
}

std::vector<CModelNode*> RendererTest::BuildGrid(int side, double diameter) {
  std::vector<CModelNode*> first;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      CModelNode* pipeline = tree_.Add({});
      const CVector3 at(3.0 * i, 3.0 * j, 0);
      const auto p = [&](double x, double y) { return CPoint3(x, y, 0) + at; };
      first.push_back(tree_.Add(Cylinder(p(0, 0), p(2, 0), diameter), pipeline));
      tree_.Add(Bend(p(2, 0), p(2.5, 0), p(2.5, 0.5), diameter, 0x00A0A0), pipeline);
      tree_.Add(Cylinder(p(2.5, 0.5), p(2.5, 2), diameter), pipeline);
    }
  }
  Start();
  SetOption("AxesSize", 0L);
  const CViewDirection d = *GetStandardViewDir(svdNorthTopLeft);
  renderer_->SetViewDir(d.View, d.Up);
  Fit();
  return first;
}

void RendererTest::Save(const std::string& name) {
  const char* dir = std::getenv("KELTO_RENDER_IMAGES");
  if (!dir || !*dir) return;
  std::filesystem::create_directories(dir);
  const std::string path = (std::filesystem::path(dir) / (name + ".png")).string();
  auto dc = kelto::dc::CDeviceContext::CreatePng(path, surface_.Width(), surface_.Height());
  surface_.Blit(dc.Cairo(), 0, 0, surface_.Width(), surface_.Height());
  EXPECT_TRUE(dc.Finish()) << dc.Error();
}

}  // namespace kelto::test
