#include <gtest/gtest.h>

#include <string>

#include "PlantText.h"
#include "kelto/data/File.h"
#include "support/TempDir.h"

using namespace kelto::data;
using kelto::test::Edit;

class Reload : public ::testing::Test {
 protected:
  void SetUp() override {
    kelto::test::WriteText(path, original);
    file.Load(path);
  }
  kelto::test::TempDir dir;
  const std::filesystem::path path = dir.path() / "spool.json";
  const std::string original = kelto::test::ReadExample("drain-spool.json");
  File file;
};

TEST_F(Reload, KeepsPipelinesAndComponentsWhoseIdsSurvive) {
  Pipeline* line = file.Pipelines()[0];
  Component* valve = file.FindComponent("D401-V1");
  Component* elbow = file.FindComponent("D401-E1");
  const auto generation = file.Generation();

  // The valve changes kind, the support goes, a new pipeline appears in front.
  std::string edited = Edit(original, R"("type": "Ball-Valve")", R"("type": "Gate-Valve")");
  const auto supportAt = edited.find(R"({
          "id": "D401-S1")");
  const auto elbowAt = edited.find(R"({
          "id": "D401-E1")");
  edited.erase(supportAt, elbowAt - supportAt);
  edited = Edit(
      edited, R"("pipelines": [)",
      R"("pipelines": [{"id": "NEW", "components": [{"id": "N1", "type": "Pipe", "points": {}}]},)");
  kelto::test::WriteText(path, edited);
  file.Reload();

  EXPECT_EQ(file.Generation(), generation + 1);
  ASSERT_EQ(file.Pipelines().size(), 2u);
  EXPECT_EQ(file.Pipelines()[1], line);  // same object, new position
  EXPECT_EQ(line->Index(), 1u);
  EXPECT_EQ(file.FindComponent("D401-V1"), valve);
  EXPECT_EQ(valve->TypeName(), "Gate-Valve");
  EXPECT_EQ(file.FindComponent("D401-E1"), elbow);
  EXPECT_EQ(elbow->IndexInPipeline(), 3u);
  EXPECT_EQ(file.FindComponent("D401-S1"), nullptr);
  EXPECT_EQ(file.FindComponent("N1")->OwnerPipeline().Id(), "NEW");
  // Records and routes come from the new text.
  ASSERT_EQ(line->Routes().size(), 1u);
  EXPECT_EQ(line->Routes()[0].size(), 6u);
  const Point* end = file.ConnectedPoint(*valve->FindPoint("Run_1"));
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(file.OwnerOf(*end).Id(), "D401-P2");
}
