// `kelto3d generate` writes its file whole or not at all.

#include <filesystem>

#include "ToolTestSupport.h"
#include "support/FileSizeLimit.h"

namespace kelto::cli {
namespace {

using test::ReadFile;
using test::RunTool;

TEST(GenerateCommand, AFailedWriteKeepsThePreviousFile) {
  kelto::test::TempDir dir;
  const std::string plant = (dir.path() / "plant.json").string();
  const auto files = [&] {
    return std::distance(std::filesystem::directory_iterator(dir.path()), {});
  };
  std::ofstream(plant) << "the good plant";
  {
    kelto::test::FileSizeLimit full(4096);
    EXPECT_EQ(RunTool({"generate", "--components", "500", "-o", plant}).err,
              "kelto3d generate: cannot write " + plant + ": File too large\n");
  }
  EXPECT_EQ(ReadFile(plant), "the good plant");
  EXPECT_EQ(files(), 1);
  // Written whole, it replaces the old file.
  EXPECT_EQ(RunTool({"generate", "--components", "5", "-o", plant}).code, 0);
  EXPECT_EQ(ReadFile(plant).rfind("{\n  \"format\": \"kelto-piping\"", 0), 0u);
  EXPECT_EQ(files(), 1);
}

}  // namespace
}  // namespace kelto::cli
