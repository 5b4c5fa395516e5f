// `kelto3d render` run in-process on small piping files written for each
// test and read through the real piping library; pictures are drawn
// off-screen (no display needed) and read back from the files written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>

#include "ToolTestSupport.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace kelto::cli {
namespace {

using test::Png;

// One pipeline "line" of 8-inch straight pipes (so that they show at any
// picture size), each {x0, y0, z0, x1, y1, z1} in millimetres.
std::string PipingFile(const std::string& line, const std::vector<std::array<double, 6>>& pipes) {
  std::ostringstream s;
  s << R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": ")" << line
    << R"(", "components": [)";
  for (std::size_t i = 0; i < pipes.size(); ++i) {
    const auto& p = pipes[i];
    s << (i ? "," : "") << R"({"id": ")" << line << "-P" << i
      << R"(", "type": "Pipe", "points": {)";
    for (int end = 0; end < 2; ++end)
      s << (end ? "," : "") << R"("Run_)" << end + 1 << R"(": {"position": [)" << p[3 * end] << ", "
        << p[3 * end + 1] << ", " << p[3 * end + 2] << R"(], "bore": 8, "boreUnits": 1})";
    s << R"(}, "legs": [{"from": "Run_1", "to": "Run_2"}]})";
  }
  s << "]}]}";
  return s.str();
}

bool IsLitGreen(std::uint32_t c) { return (c >> 8 & 0xFF) > 100 && (c & 0xFF00FF) == 0; }

class RenderCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "render");
    const test::Result r = test::RunTool(args);
    out_ = r.out;
    err_ = r.err;
    return r.code;
  }

  kelto::test::TempDir dir_;
  std::string out_, err_;
  // A pipe along x through the origin, seen from above: it crosses the
  // middle of the picture from left to right.
  const std::string pipe_ = Write("pipe.json", PipingFile("L1", {{-1000, 0, 0, 1000, 0, 0}}));
  const std::string png_ = Path("pipe.png");
};

TEST_F(RenderCommand, PngHasTheSizeTheBackgroundAndTheModelInTheMiddle) {
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "160x100", "--view", "LookDown", "--background",
                 "#102030"}),
            0)
      << err_;
  EXPECT_EQ(err_, "") << "small renders are quiet";
  const Png picture(png_);
  ASSERT_EQ(picture.width, 160);
  ASSERT_EQ(picture.height, 100);
  // The axes indicator sits in the top-left corner; the others are empty.
  for (const auto& [x, y] :
       {std::pair{159, 0}, {0, 99}, {159, 99}, {12, 55}, {148, 55}, {80, 95}, {80, 5}})
    EXPECT_EQ(picture.At(x, y), 0x102030u) << x << "," << y;
  int axes = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) axes += picture.At(x, y) != 0x102030u;
  EXPECT_GT(axes, 20) << "the axes indicator";
  // Framed on the model: the corners of its box fill the width but a margin
  // of 4 % each side; the pipe's centre line lies deeper than the box's top
  // corners, so in perspective it runs from about x = 20 to 140, some 16
  // pixels thick (clear of x = 12 and 148, and of the top and bottom edges).
  for (const int x : {24, 80, 136}) EXPECT_TRUE(IsLitGreen(picture.At(x, 55))) << x;
}

// The symbolic representation draws the same pipe as one centre line.
TEST_F(RenderCommand, SymbolicRepresentationDrawsCentreLines) {
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "160x100", "--view", "LookDown", "--representation",
                 "symbolic", "--option", "AxesSize=0"}),
            0)
      << err_;
  const Png picture(png_);
  int rows = 0, lit = 0;
  for (int y = 0; y < picture.height; ++y) {
    rows += picture.At(80, y) != 0;
    lit += picture.At(30, y) != 0;
  }
  EXPECT_TRUE(rows >= 1 && rows <= 3) << rows << " rows: a line, not a solid pipe";
  EXPECT_GE(lit, 1);
}

TEST_F(RenderCommand, RendererOptionsReachThePictureBeforeTheBackground) {
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "160x100", "--view", "svdLookDown", "--option",
                 "AxesSize=0", "--option", "BackgroundColour=0x0000FF"}),
            0)
      << err_;
  EXPECT_EQ(Png(png_).At(10, 10), 0xFF0000u) << "no axes indicator, red background";
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "160x100", "--option", "BackgroundColour=255",
                 "--background", "#00FF00", "--option", "AxesSize=0"}),
            0);
  EXPECT_EQ(Png(png_).At(0, 0), 0x00FF00u);
}

// Two files in one picture, fitted together: one pipe west of the origin,
// the other east of it, the gap between them in the middle.
TEST_F(RenderCommand, SeveralFilesShareOnePicture) {
  const std::string west = Write("west.json", PipingFile("W", {{-1000, 0, 0, -300, 0, 0}}));
  const std::string east = Write("east.json", PipingFile("E", {{300, 0, 0, 1000, 0, 0}}));
  ASSERT_EQ(Run({west, east, "-o", png_, "--size", "200x100", "--view", "LookDown"}), 0) << err_;
  const Png picture(png_);
  // Framed on both: the pipes span about x = 8…72 and 128…192.
  EXPECT_TRUE(IsLitGreen(picture.At(40, 50)));
  EXPECT_TRUE(IsLitGreen(picture.At(160, 50)));
  EXPECT_EQ(picture.At(100, 50), 0u) << "the gap is in the middle";
}

TEST_F(RenderCommand, PdfAndSvgHoldThePictureOnAPageOfOnePointAPixel) {
  for (const auto& [name, magic, size] :
       {std::tuple{"pipe.pdf", "%PDF-", "/MediaBox [ 0 0 160 100 ]"},
        {"pipe.svg", "<?xml", "width=\"160\" height=\"100\""}}) {
    ASSERT_EQ(Run({pipe_, "-o", Path(name), "--size", "160x100"}), 0) << err_;
    const std::string file = test::ReadFile(Path(name));
    EXPECT_EQ(file.rfind(magic, 0), 0u) << name;
    EXPECT_NE(file.find(size), std::string::npos) << name;
    EXPECT_GT(file.size(), 1000u) << name << " holds an image";
  }
}

TEST_F(RenderCommand, ColourSchemeRecoloursAndWarnsOfBrokenRules) {
  const auto with = [&](const std::string& scheme) {
    return Run(
        {pipe_, "-o", png_, "--size", "160x100", "--view", "LookDown", "--colour-scheme", scheme});
  };
  ASSERT_EQ(with(R"(<C><Lookup><Tag Colour="Red"/></Lookup></C>)"), 0) << err_;
  const std::uint32_t centre = Png(png_).At(80, 50);
  EXPECT_TRUE((centre >> 16) > 100 && (centre & 0xFFFF) == 0) << std::hex << centre;
  // A scheme file with a broken rule still renders; the problem is a warning
  // naming the file.
  const std::string scheme =
      Write("scheme.xml", "<C><Aspect/><Lookup><Tag Colour=\"Red\"/></Lookup></C>");
  EXPECT_EQ(with(scheme), 0);
  EXPECT_NE(err_.find("kelto3d render: warning: " + scheme + ": "), std::string::npos) << err_;
}

// An output that cannot be written is refused before any piping file is read;
// one that fails while being written (a full disk) leaves the previous picture
// and nothing else.
TEST_F(RenderCommand, OutputIsWholeOrNotWrittenAtAll) {
  std::filesystem::create_directory(Path("folder.png"));
  EXPECT_EQ(Run({Path("nonexist.json"), "-o", Path("folder.png")}), 1);
  EXPECT_EQ(err_, "kelto3d render: cannot write " + Path("folder.png") + ": Is a directory\n");
  for (const char* name : {"old.png", "old.pdf", "old.svg"}) {
    const std::string picture = Write(name, "the good picture");
    {
      kelto::test::FileSizeLimit full(500);  // each takes well over 1000 bytes here
      EXPECT_EQ(Run({pipe_, "-o", picture, "--size", "200x200"}), 1) << name;
    }
    EXPECT_EQ(err_, "kelto3d render: cannot write " + picture + ": File too large\n");
    EXPECT_EQ(test::ReadFile(picture), "the good picture") << name;
  }
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    files += entry.path().filename().string().front() == '.' ? 100 : 1;
  EXPECT_EQ(files, 5u) << "no temporary left behind";
}

TEST_F(RenderCommand, MarkersAddToThePicture) {
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "160x100"}), 0);
  ASSERT_EQ(Run({pipe_, "-o", Path("markers.png"), "--size", "160x100", "--markers"}), 0);
  EXPECT_NE(Png(png_).px, Png(Path("markers.png")).px);
}

TEST_F(RenderCommand, ProgressOnlyWhenAskedForOnSmallModels) {
  ASSERT_EQ(Run({pipe_, "-o", png_, "--size", "64x64", "--progress"}), 0);
  for (const std::string& line :
       {"kelto3d render: loading " + pipe_, "kelto3d render: building 1 components of " + pipe_,
        std::string("model nodes for display: 100%"),
        std::string("display lists (one per pipeline): 100%"), "kelto3d render: writing " + png_})
    EXPECT_NE(err_.find(line + "\n"), std::string::npos) << err_;
}

TEST_F(RenderCommand, FailuresNameTheirCauseAndExitCode) {
  const std::string fifo = Path("fifo.xml");  // opening must not wait for a writer
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = Path("nonexist.json"), png = Path("x.png");
  const std::string folder = Path("no/such/folder/x.png");
  // What follows "PIPE -o x.png", the exit code, and what the message says.
  // Configurations are read only from regular files of a sane size, and one
  // that does not load stops the command, naming the place.
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{missing}, 1, missing},
      {{"--option", "Wobble=1"}, 2, "option Wobble=1: no renderer option"},
      {{"--ext-dims", Path("dims.xml")}, 1, "cannot read --ext-dims file " + Path("dims.xml")},
      {{"--representation", "symbolic", "--symbols", Path("s.sym")}, 1, Path("s.sym")},
      {{"--type-table", Path("")}, 1,
       "cannot read --type-table file " + Path("") + ": it is not a regular file (a folder)"},
      {{"--ext-dims", "/dev/zero"}, 1,
       "cannot read --ext-dims file /dev/zero: it is not a regular file (a character device)"},
      {{"--colour-scheme", fifo}, 1,
       "cannot read --colour-scheme file " + fifo + ": it is not a regular file (a FIFO)"},
      {{"--type-table", "<Bad"}, 1,
       "--type-table: not well-formed XML: Error parsing start element tag at line 1, column 4"},
      {{"--ext-dims", Write("bad-dims.xml", "<D>\n  <Lookup></D>")}, 1,
       "--ext-dims " + Path("bad-dims.xml") +
       ": not well-formed XML: Start-end tags mismatch at line 2, column"},
      {{"--colour-scheme", "<C><Lookup>"}, 1, "--colour-scheme: not well-formed"},
      {{"--type-table", "<Component-Geometry><Component-Processing><Component-Type-Handler>"
        "<Component-Type-Entry Component-Type=\"Pipe\"/></Component-Type-Handler>"
        "</Component-Processing></Component-Geometry>"}, 1,
       "--type-table: XML Error: Component-Type-Entry 1 has no \"Construction-Function\""}};
  // clang-format on
  for (const auto& [extra, code, says] : cases) {
    std::vector<std::string> args = {pipe_, "-o", png};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(Run(args), code) << says;
    EXPECT_NE(err_.find(says), std::string::npos) << err_;
    EXPECT_FALSE(std::filesystem::exists(png)) << says;
  }
  EXPECT_EQ(Run({pipe_, "-o", folder}), 1);
  EXPECT_NE(err_.find("cannot write " + folder + ": No such file or directory"), std::string::npos);
  // Usage errors point to the help; failures do not.
  EXPECT_EQ(Run({pipe_, "-o", png, "--view", "Up"}), 2);
  EXPECT_NE(err_.find("Try 'kelto3d render --help'"), std::string::npos);
  EXPECT_EQ(Run({missing, "-o", png}), 1);
  EXPECT_NE(err_.find(missing), std::string::npos);
  EXPECT_EQ(err_.find("--help"), std::string::npos);
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.find("LookSouth"), std::string::npos) << "the help lists the views";
}

}  // namespace
}  // namespace kelto::cli
