// `kelto3d dump` and `kelto3d info` on piping data whose names hold control
// characters: what they print must not drive the terminal or forge lines.

#include "ToolTestSupport.h"

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
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"info",
       {"  L\\x1b[2J\\nforged: 9 components: 1 component\n", "    Pipe\\x07: 1 (",
        "    G\\u009b1m: 1\n"}},
      {"dump",
       {"  pipeline L\\x1b[2J\\nforged: 9 components\n", "    component C\\x00\\r Pipe\\x07\n"}},
  };
  for (const auto& [command, shown] : cases) {
    const test::Result r = test::RunTool({command, path});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const std::string& line : shown)
      EXPECT_NE(r.out.find(line), std::string::npos) << command << " lacks " << line << r.out;
    for (const char ch : r.out) {
      const auto byte = static_cast<unsigned char>(ch);
      EXPECT_TRUE(ch == '\n' || (byte >= 0x20 && byte != 0x7f)) << command << ": " << int(byte);
    }
  }
}

}  // namespace
}  // namespace kelto::cli
