#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "kelto/data/File.h"
#include "support/TempDir.h"

using namespace kelto::data;

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::logic_error("edit does not apply: " + from);
  return text.replace(at, from.size(), to);
}

}  // namespace

TEST(Reload, KeepsPipelinesAndComponentsWhoseIdsSurvive) {
  kelto::test::TempDir dir;
  const auto path = dir.path() / "spool.json";
  const std::string original =
      ReadText(std::string(KELTO_SOURCE_DIR) + "/examples/drain-spool.json");
  WriteText(path, original);

  File file;
  file.Load(path);
  Pipeline* line = file.Pipelines()[0];
  Component* valve = file.FindComponent("D401-V1");
  Component* support = file.FindComponent("D401-S1");
  Component* elbow = file.FindComponent("D401-E1");
  const auto generation = file.Generation();

  // The valve changes kind, the support goes, a new pipeline appears in front.
  std::string edited = Replace(original, R"("type": "Ball-Valve")", R"("type": "Gate-Valve")");
  const auto supportAt = edited.find(R"({
          "id": "D401-S1")");
  const auto elbowAt = edited.find(R"({
          "id": "D401-E1")");
  edited.erase(supportAt, elbowAt - supportAt);
  edited = Replace(
      edited, R"("pipelines": [)",
      R"("pipelines": [{"id": "NEW", "components": [{"id": "N1", "type": "Pipe", "points": {}}]},)");
  WriteText(path, edited);
  file.Reload();

  EXPECT_EQ(file.Generation(), generation + 1);
  ASSERT_EQ(file.Pipelines().size(), 2u);
  EXPECT_EQ(file.Pipelines()[1], line);  // same object, new position
  EXPECT_EQ(line->Index(), 1u);
  EXPECT_EQ(file.FindComponent("D401-V1"), valve);
  EXPECT_EQ(valve->TypeName(), "Gate-Valve");
  EXPECT_EQ(&valve->OwnerPipeline(), line);
  EXPECT_EQ(file.FindComponent("D401-E1"), elbow);
  EXPECT_EQ(elbow->IndexInPipeline(), 3u);
  EXPECT_EQ(file.FindComponent("D401-S1"), nullptr);
  EXPECT_EQ(file.FindComponent("N1")->OwnerPipeline().Id(), "NEW");
  // Records and routes come from the new text.
  EXPECT_EQ(line->Components().size(), 6u);
  ASSERT_EQ(line->Routes().size(), 1u);
  EXPECT_EQ(line->Routes()[0].size(), 6u);
  const Point* end = file.ConnectedPoint(*valve->FindPoint("Run_1"));
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(file.OwnerOf(*end).Id(), "D401-P2");
  (void)support;
}

TEST(Reload, FailedReloadKeepsObjectsAndContents) {
  kelto::test::TempDir dir;
  const auto path = dir.path() / "spool.json";
  const std::string original =
      ReadText(std::string(KELTO_SOURCE_DIR) + "/examples/drain-spool.json");
  WriteText(path, original);
  File file;
  file.Load(path);
  Component* valve = file.FindComponent("D401-V1");
  const auto routes = file.Pipelines()[0]->Routes().size();

  WriteText(path, Replace(original, R"("to": "Run_2"}],
          "attributes": {"SPINDLE)",
                          R"("to": "Run_9"}],
          "attributes": {"SPINDLE)"));
  try {
    file.Reload();
    FAIL() << "reloaded";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.JsonPath(), "/pipelines/0/components/6/legs/0/to");
  }
  EXPECT_EQ(file.FindComponent("D401-V1"), valve);
  EXPECT_EQ(valve->TypeName(), "Ball-Valve");
  EXPECT_EQ(valve->AttributeValue("TAG"), "HV-4011");
  EXPECT_EQ(file.Pipelines()[0]->Routes().size(), routes);
  EXPECT_EQ(file.Components().size(), 7u);
}
