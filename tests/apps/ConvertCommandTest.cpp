// kelto3d convert, and the done-when of PCF support: a plant converted JSON →
// PCF → JSON gives the same `kelto3d dump --detail` as the original.

#include "ToolTestSupport.h"

namespace kelto::cli {
namespace {

using test::Result;
using test::RunTool;

std::string Example(const std::string& name) {
  return std::string(KELTO_SOURCE_DIR) + "/examples/" + name;
}

// The dump without its first line, which names the file.
std::string Dump(const std::string& path) {
  const Result r = RunTool({"dump", "--detail", path});
  EXPECT_EQ(r.code, 0) << r.err;
  return r.out.substr(r.out.find('\n') + 1);
}

TEST(ConvertCommand, RoundTripThroughPcfGivesTheSameDump) {
  kelto::test::TempDir dir;
  const std::string generated = (dir.path() / "generated.json").string();
  ASSERT_EQ(RunTool({"generate", "--components", "3000", "--seed", "3", "-o", generated}).code, 0);
  const std::string pcf = (dir.path() / "plant.pcf").string();
  const std::string back = (dir.path() / "back.json").string();
  for (const std::string& plant :
       {generated, Example("drain-spool.json"), Example("pump-station.json"),
        Example("steam-header.json"), Example("pipe-rack.json")}) {
    const Result there = RunTool({"convert", plant, pcf});
    ASSERT_EQ(there.code, 0) << there.err;
    EXPECT_EQ(there.err, "") << plant;
    ASSERT_EQ(RunTool({"convert", pcf, back}).code, 0);
    EXPECT_EQ(Dump(back), Dump(plant)) << plant;
  }
}

// A bad block stops convert, info and dump, naming its line; with
// --keep-going each goes on and lists what it skipped.
TEST(ConvertCommand, KeepGoingSkipsBadBlocksAndListsThem) {
  kelto::test::TempDir dir;
  const std::string in = (dir.path() / "in.pcf").string();
  std::ofstream(in) << "PIPELINE-REFERENCE L\nPIPE\n    END-POINT 0 0 0 1\n    END-POINT 9 0 0 1\n"
                       "VALVE\n    END-POINT 9 0 0 1\n";
  const std::string problem = ":5: VALVE: VALVE needs 2 END-POINT lines, found 1\n";
  const std::string out = (dir.path() / "out.json").string();
  EXPECT_EQ(RunTool({"convert", in, out}).err, "kelto3d convert: " + in + problem);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"convert", in, out}, {"info", in}, {"dump", in}}) {
    EXPECT_EQ(RunTool(args).code, 1) << args[0];
    auto lenient = args;
    lenient.insert(lenient.begin() + 1, "--keep-going");
    const Result r = RunTool(lenient);
    EXPECT_EQ(r.code, 0) << args[0] << r.err;
    EXPECT_EQ(r.err, "kelto3d " + args[0] + ": warning: " + in +
                         ":5: skipped the VALVE block (lines 5 to 6): line 5: VALVE: VALVE needs "
                         "2 END-POINT lines, found 1\n");
  }
}

// (Unknown options and missing values are every command's, in CommandLineTest.)
TEST(ConvertCommand, BadArgumentsAreNamed) {
  for (const auto& [args, problem] :
       {std::pair{std::vector<std::string>{"convert", "only-one.json"},
                  "needs an input and an output file"},
        {{"convert", "a.json", "b.pcf", "--units-bore", "feet"},
         "--units-bore: expected mm, inch or keep, not \"feet\""}}) {
    const Result r = RunTool(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("kelto3d convert: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(problem), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace kelto::cli
