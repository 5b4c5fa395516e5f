// `kelto3d dump` and `kelto3d info` on piping data whose names hold control
// characters: what they print must not drive the terminal or forge lines.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace kelto::cli {
namespace {

TEST(ModelCommands, NamesFromTheFileArePrintedEscaped) {
  kelto::test::TempDir dir;
  const std::string path = (dir.path() / "names.json").string();
  std::ofstream(path) << R"({"format": "kelto-piping", "version": 1, "pipelines": [
    {"id": "L\u001b[2J\nforged: 9 components", "components": [
      {"id": "C\u0000\r", "type": "Pipe\u0007", "group": "G\u009b1m", "points": {
        "Run_1": {"position": [0, 0, 0], "bore": 8, "boreUnits": 1},
        "Run_2": {"position": [1000, 0, 0], "bore": 8, "boreUnits": 1}},
       "legs": [{"from": "Run_1", "to": "Run_2"}]}]}]})";
  struct Case {
    const char* command;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"info",
       {"  L\\x1b[2J\\nforged: 9 components: 1 component\n", "    Pipe\\x07: 1 (",
        "    G\\u009b1m: 1\n"}},
      {"dump",
       {"  pipeline L\\x1b[2J\\nforged: 9 components\n", "    component C\\x00\\r Pipe\\x07\n"}},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine({c.command, path}, out, err), 0) << err.str();
    const std::string text = out.str();
    for (const std::string& line : c.shown)
      EXPECT_NE(text.find(line), std::string::npos) << c.command << " lacks " << line << text;
    for (const char ch : text) {
      const auto byte = static_cast<unsigned char>(ch);
      EXPECT_TRUE(ch == '\n' || (byte >= 0x20 && byte != 0x7f)) << c.command << ": " << int(byte);
    }
  }
}

}  // namespace
}  // namespace kelto::cli
