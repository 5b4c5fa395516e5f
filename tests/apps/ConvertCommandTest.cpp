// kelto3d convert, and the done-when of PCF support: a plant converted JSON →
// PCF → JSON gives the same `kelto3d dump --detail` as the original.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CommandLine.h"
#include "support/TempDir.h"

namespace {

std::string Example(const std::string& name) {
  return std::string(KELTO_SOURCE_DIR) + "/examples/" + name;
}

struct Ran {
  int code;
  std::string out, err;
};

Ran Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = kelto::cli::RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

// The dump without its first line, which names the file.
std::string Dump(const std::string& path) {
  const Ran r = Tool({"dump", "--detail", path});
  EXPECT_EQ(r.code, 0) << r.err;
  return r.out.substr(r.out.find('\n') + 1);
}

}  // namespace

TEST(ConvertCommand, RoundTripThroughPcfGivesTheSameDump) {
  kelto::test::TempDir dir;
  const std::string generated = (dir.path() / "generated.json").string();
  ASSERT_EQ(Tool({"generate", "--components", "3000", "--seed", "3", "-o", generated}).code, 0);
  std::vector<std::string> plants{generated};
  for (const char* name : {"drain-spool.json", "pump-station.json", "steam-header.json",
                           "pipe-rack.json"})
    plants.push_back(Example(name));
  for (const std::string& plant : plants) {
    const std::string pcf = (dir.path() / "plant.pcf").string();
    const std::string back = (dir.path() / "back.json").string();
    const Ran there = Tool({"convert", plant, pcf});
    ASSERT_EQ(there.code, 0) << there.err;
    ASSERT_EQ(Tool({"convert", pcf, back}).code, 0);
    EXPECT_EQ(Dump(back), Dump(plant)) << plant;
    EXPECT_EQ(there.err, "") << plant;
  }
}

TEST(ConvertCommand, PcfSamplesConvertAndDumpTheSameAsJson) {
  kelto::test::TempDir dir;
  for (const char* name : {"pcf/pump-suction-discharge.pcf", "pcf/steam-header.pcf",
                           "pcf/inch-bores-mm-coordinates.pcf"}) {
    const std::string json = (dir.path() / "sample.json").string();
    ASSERT_EQ(Tool({"convert", Example(name), json, "--units-bore", "mm"}).code, 0);
    EXPECT_EQ(Dump(json), Dump(Example(name))) << name;
  }
}

TEST(ConvertCommand, KeepGoingListsWhatWasSkipped) {
  kelto::test::TempDir dir;
  const std::string in = (dir.path() / "in.pcf").string();
  std::ofstream(in) << "PIPELINE-REFERENCE L\nPIPE\n    END-POINT 0 0 0 1\n    END-POINT 9 0 0 1\n"
                       "VALVE\n    END-POINT 9 0 0 1\n";
  const std::string out = (dir.path() / "out.json").string();
  const Ran strict = Tool({"convert", in, out});
  EXPECT_EQ(strict.code, 1);
  EXPECT_EQ(strict.err, "kelto3d convert: " + in +
                            ":5: VALVE: VALVE needs 2 END-POINT lines, found 1\n");
  const Ran lenient = Tool({"convert", "--keep-going", in, out});
  EXPECT_EQ(lenient.code, 0);
  EXPECT_EQ(lenient.err, "kelto3d convert: warning: " + in +
                             ":5: skipped the VALVE block (lines 5 to 6): line 5: VALVE: VALVE "
                             "needs 2 END-POINT lines, found 1\n");
}

TEST(ConvertCommand, BadArgumentsAreNamed) {
  const struct {
    std::vector<std::string> args;
    const char* problem;
  } cases[] = {
      {{"convert", "only-one.json"}, "needs an input and an output file"},
      {{"convert", "a.json", "b.pcf", "--units-bore", "feet"},
       "--units-bore: expected mm, inch or keep, not \"feet\""},
      {{"convert", "a.json", "b.pcf", "--units-coords"}, "--units-coords"},
      {{"convert", "--fast", "a.json", "b.pcf"}, "--fast"},
  };
  for (const auto& c : cases) {
    const Ran r = Tool(c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind("kelto3d convert: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.problem), std::string::npos) << r.err;
  }
  const Ran help = Tool({"convert", "--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--keep-going"), std::string::npos);
}

TEST(ConvertCommand, ModelCommandsReadPastBadBlocksWhenAsked) {
  kelto::test::TempDir dir;
  const std::string in = (dir.path() / "in.pcf").string();
  std::ofstream(in) << "PIPELINE-REFERENCE L\nPIPE\n    END-POINT 0 0 0 1\n    END-POINT 9 0 0 1\n"
                       "VALVE\n    END-POINT 9 0 0 1\n";
  for (const char* command : {"info", "dump"}) {
    EXPECT_EQ(Tool({command, in}).code, 1) << command;
    const Ran r = Tool({command, "--keep-going", in});
    EXPECT_EQ(r.code, 0) << command << r.err;
    EXPECT_EQ(r.err, std::string("kelto3d ") + command + ": warning: " + in +
                         ":5: skipped the VALVE block (lines 5 to 6): line 5: VALVE: VALVE needs "
                         "2 END-POINT lines, found 1\n");
  }
}
