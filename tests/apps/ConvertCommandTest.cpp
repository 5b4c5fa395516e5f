// kelto3d convert, and the done-when of PCF support: a plant converted JSON →
// PCF → JSON gives the same `kelto3d dump --detail` as the original.
#include "ConvertCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DumpCommand.h"
#include "GenerateCommand.h"
#include "support/TempDir.h"

namespace {

std::string Example(const std::string& name) {
  return std::string(KELTO_SOURCE_DIR) + "/examples/" + name;
}

struct Ran {
  int code;
  std::string out, err;
};

template <class Command>
Ran Run(Command command, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = command(args, out, err);
  return {code, out.str(), err.str()};
}

// The dump without its first line, which names the file.
std::string Dump(const std::string& path) {
  const Ran r = Run(kelto::cli::RunDump, {"--detail", path});
  EXPECT_EQ(r.code, 0) << r.err;
  return r.out.substr(r.out.find('\n') + 1);
}

}  // namespace

TEST(ConvertCommand, RoundTripThroughPcfGivesTheSameDump) {
  kelto::test::TempDir dir;
  const std::string generated = (dir.path() / "generated.json").string();
  ASSERT_EQ(Run(kelto::cli::RunGenerate,
                {"--components", "3000", "--seed", "3", "-o", generated}).code, 0);
  std::vector<std::string> plants{generated};
  for (const char* name : {"drain-spool.json", "pump-station.json", "steam-header.json",
                           "pipe-rack.json"})
    plants.push_back(Example(name));
  for (const std::string& plant : plants) {
    const std::string pcf = (dir.path() / "plant.pcf").string();
    const std::string back = (dir.path() / "back.json").string();
    const Ran there = Run(kelto::cli::RunConvert, {plant, pcf});
    ASSERT_EQ(there.code, 0) << there.err;
    ASSERT_EQ(Run(kelto::cli::RunConvert, {pcf, back}).code, 0);
    EXPECT_EQ(Dump(back), Dump(plant)) << plant;
    EXPECT_EQ(there.err, "") << plant;
  }
}

TEST(ConvertCommand, PcfSamplesConvertAndDumpTheSameAsJson) {
  kelto::test::TempDir dir;
  for (const char* name : {"pcf/pump-suction-discharge.pcf", "pcf/steam-header.pcf",
                           "pcf/inch-bores-mm-coordinates.pcf"}) {
    const std::string json = (dir.path() / "sample.json").string();
    ASSERT_EQ(Run(kelto::cli::RunConvert, {Example(name), json, "--units-bore", "mm"}).code, 0);
    EXPECT_EQ(Dump(json), Dump(Example(name))) << name;
  }
}

TEST(ConvertCommand, KeepGoingListsWhatWasSkipped) {
  kelto::test::TempDir dir;
  const std::string in = (dir.path() / "in.pcf").string();
  std::ofstream(in) << "PIPELINE-REFERENCE L\nPIPE\n    END-POINT 0 0 0 1\n    END-POINT 9 0 0 1\n"
                       "VALVE\n    END-POINT 9 0 0 1\n";
  const std::string out = (dir.path() / "out.json").string();
  const Ran strict = Run(kelto::cli::RunConvert, {in, out});
  EXPECT_EQ(strict.code, 1);
  EXPECT_EQ(strict.err, "kelto3d convert: " + in +
                            ":5: VALVE: VALVE needs 2 END-POINT lines, found 1\n");
  const Ran lenient = Run(kelto::cli::RunConvert, {"--keep-going", in, out});
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
      {{"only-one.json"}, "needs an input and an output file"},
      {{"a.json", "b.pcf", "--units-bore", "feet"}, "--units-bore takes mm, inch or keep, not \"feet\""},
      {{"a.json", "b.pcf", "--units-coords"}, "--units-coords needs mm, inch or keep"},
      {{"--fast", "a.json", "b.pcf"}, "unknown option \"--fast\""},
  };
  for (const auto& c : cases) {
    const Ran r = Run(kelto::cli::RunConvert, c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.rfind(std::string("kelto3d convert: ") + c.problem + "\n", 0), 0u) << r.err;
  }
  const Ran help = Run(kelto::cli::RunConvert, {"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--keep-going"), std::string::npos);
}
