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
