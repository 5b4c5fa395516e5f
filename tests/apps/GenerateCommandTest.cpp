// `kelto3d generate` writes its file whole or not at all.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace kelto::cli {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(GenerateCommand, AFailedWriteKeepsThePreviousFile) {
  kelto::test::TempDir dir;
  const auto plant = dir.path() / "plant.json";
  std::ofstream(plant) << "the good plant";
  std::ostringstream out, err;
  {
    kelto::test::FileSizeLimit full(4096);
    EXPECT_EQ(RunCommandLine({"generate", "--components", "500", "-o", plant.string()}, out, err),
              1);
  }
  EXPECT_EQ(err.str(), "kelto3d generate: cannot write " + plant.string() + ": File too large\n");
  EXPECT_EQ(ReadFile(plant), "the good plant");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  // Written whole, it replaces the old file.
  err.str("");
  EXPECT_EQ(RunCommandLine({"generate", "--components", "5", "-o", plant.string()}, out, err), 0)
      << err.str();
  EXPECT_EQ(ReadFile(plant).rfind("{\n  \"format\": \"kelto-piping\"", 0), 0u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  err.str("");
  EXPECT_EQ(RunCommandLine({"generate", "--components", "5", "-o", dir.path().string()}, out, err),
            1);
  EXPECT_EQ(err.str(),
            "kelto3d generate: cannot write " + dir.path().string() + ": Is a directory\n");
}

}  // namespace
}  // namespace kelto::cli
