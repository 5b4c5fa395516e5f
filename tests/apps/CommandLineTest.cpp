// What every kelto3d command shares: its help and its usage errors.
#include "ToolTestSupport.h"

#include <sstream>

namespace kelto::cli {
namespace {

using test::Result;
using test::RunTool;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ExpectWithin80Columns(const std::string& text, const std::string& what) {
  for (const std::string& line : Lines(text)) EXPECT_LE(line.size(), 80u) << what << ": " << line;
}

// Every registered command, so that a command added later is held to the
// same rules without a test of its own.
TEST(CommandLine, EveryCommandHasHelpWithin80Columns) {
  const Result tool = RunTool({"--help"});
  EXPECT_EQ(tool.code, 0);
  ExpectWithin80Columns(tool.out, "kelto3d --help");
  for (const auto& command : MakeCommands()) {
    const std::string name = command->Name();
    EXPECT_NE(tool.out.find("\n  " + name + " "), std::string::npos) << "listed: " << name;
    for (const char* flag : {"--help", "-h"}) {
      const Result help = RunTool({name, flag});
      EXPECT_EQ(help.code, 0) << name;
      EXPECT_TRUE(help.err.empty()) << name << ": " << help.err;
      EXPECT_EQ(help.out.rfind("Usage: kelto3d " + name, 0), 0u) << help.out;
      ExpectWithin80Columns(help.out, name + " --help");
    }
  }
}

TEST(CommandLine, UsageErrorsAreOneLineAndAPointerToTheHelp) {
  for (const auto& command : MakeCommands()) {
    const std::string name = command->Name();
    const Result r = RunTool({name, "--no-such-option"});
    EXPECT_EQ(r.code, kUsageExit) << name;
    EXPECT_TRUE(r.out.empty()) << name;
    EXPECT_EQ(r.err, "kelto3d " + name + ": unknown option \"--no-such-option\"\nTry 'kelto3d " +
                         name + " --help'\n");
  }
  struct Case {
    std::vector<std::string> args;
    std::string first;
  };
  const Case cases[] = {
      {{}, "kelto3d: which command?"},
      {{"draw"},
       "kelto3d: unknown command \"draw\" (commands: generate, convert, dump, info, render, "
       "register, unregister, classes)"},
      {{"generate", "-o", "-"}, "kelto3d generate: --components is required"},
      {{"generate", "--components", "-5", "-o", "-"},
       "kelto3d generate: --components: expected a whole number from 0 to 10000000, not \"-5\""},
      {{"generate", "--components", "1", "--seed", "18446744073709551616", "-o", "-"},
       "--seed: expected a whole number from 0 to 18446744073709551615"},
      {{"generate", "--components", "1"}, "kelto3d generate: --output is required"},
      {{"dump"}, "kelto3d dump: FILE is required"},
      {{"dump", "a.json", "b.json"}, "kelto3d dump: unexpected argument \"b.json\""},
      {{"info", "--ext-dims"}, "kelto3d info: --ext-dims needs a value (XML)"},
      {{"info", "a.json", "--representation", "wire"}, "unknown representation \"wire\""},
  };
  for (const Case& c : cases) {
    const Result r = RunTool(c.args);
    EXPECT_EQ(r.code, kUsageExit) << c.first;
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_NE(lines[0].find(c.first), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("Try 'kelto3d ", 0), 0u) << lines[1];
  }
}

}  // namespace
}  // namespace kelto::cli
