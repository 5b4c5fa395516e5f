// The solid builder on the piping-data library's own objects: the example
// plants against their golden dumps, a generated plant holding every
// component type.
//
// Golden files live in tests/solid/golden/<example>.dump (the output of
// `kelto3d dump --detail`). After a deliberate change of the geometry,
// rewrite them with KELTO_UPDATE_GOLDEN=1 and review the difference.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SolidTestSupport.h"

#include "kelto/data/Generator.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "solid/ModelDump.h"
#include "solid/ModelSummary.h"
#include "solid/SolidModelBuilder.h"
#include "support/TempDir.h"

namespace solid_test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class GoldenDumpTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenDumpTest, DumpMatchesTheReviewedCopy) {
  const fs::path source = KELTO_SOURCE_DIR;
  // Loaded by a path relative to the source tree, so that the file's label in
  // the dump is the same on every machine.
  const ComPtr<IKeltoFile> file = [&] {
    struct InSource {
      fs::path previous = fs::current_path();
      InSource() { fs::current_path(KELTO_SOURCE_DIR); }
      ~InSource() { fs::current_path(previous); }
    } here;
    return LoadFile(fs::path("examples") / (GetParam() + ".json"));
  }();
  CSolidModelBuilder builder;
  CModelSummary summary;
  builder.SetObserver(&summary);
  const auto root = builder.BuildModel(file.Get());
  std::ostringstream dump;
  kelto::solid::WriteModelDump(dump, *root, {true});

  const fs::path golden = source / "tests/solid/golden" / (GetParam() + ".dump");
  if (std::getenv("KELTO_UPDATE_GOLDEN")) {
    std::ofstream(golden, std::ios::binary) << dump.str();
    GTEST_SKIP() << "rewrote " << golden;
  }
  EXPECT_EQ(dump.str(), ReadText(golden)) << "compare with " << golden;
  // Hand-made plants draw every component, and draw it with its function.
  EXPECT_TRUE(summary.Failures().empty());
  for (const auto& note : summary.Fallbacks())
    ADD_FAILURE() << note.component << " (" << note.type << "): " << note.outcome.requested << ": "
                  << note.outcome.reason;
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenDumpTest,
                         ::testing::Values("drain-spool", "pipe-rack", "pump-station",
                                           "steam-header"));

TEST(RealPlant, GeneratedPlantDrawsEveryTypeWithItsFunction) {
  kelto::test::TempDir dir;
  const fs::path path = dir.path() / "plant.json";
  std::ofstream(path, std::ios::binary) << kelto::data::Generate(1500, 7);
  CSolidModelBuilder builder;
  CModelSummary summary;
  builder.SetObserver(&summary);
  builder.BuildModel(LoadFile(path).Get());

  EXPECT_TRUE(summary.Failures().empty());
  for (const auto& note : summary.Fallbacks())
    ADD_FAILURE() << note.type << ": " << note.outcome.reason;
  // Every type of the default table occurs, drawn by its own function.
  const auto& table = builder.GeometryBuilder().GetTypeTable();
  for (const auto& [type, entry] : table) {
    const std::string name = kelto::com::Utf16ToUtf8(type);
    const auto found = summary.Types().find(name);
    ASSERT_NE(found, summary.Types().end()) << name << " is not in the plant";
    EXPECT_TRUE(found->second.count(entry.functionName)) << name;
  }
}

}  // namespace
}  // namespace solid_test
