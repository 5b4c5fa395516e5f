// `kelto3d render` run in-process on small piping files written for each
// test (and the pump station example) read through the real piping library;
// pictures are drawn off-screen (no display needed) and read back from the
// files written. The bitmap's resolution and the axes scale are DrawToDC's,
// pinned by its tests.
#include <sys/stat.h>

#include <filesystem>

#include "ToolTestSupport.h"
#include "support/FileSizeLimit.h"

namespace kelto::cli {
namespace {

using test::Png;

// One pipeline of one 8-inch straight pipe (it shows at any picture size)
// along x from x0 to x1 millimetres.
std::string PipingFile(const std::string& line, double x0, double x1) {
  std::ostringstream s;
  const auto end = [&](double x) {
    s << R"({"position": [)" << x << R"(, 0, 0], "bore": 8, "boreUnits": 1})";
  };
  s << R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": ")" << line
    << R"(", "components": [{"id": "P", "type": "Pipe", "points": {"Run_1": )";
  end(x0);
  s << R"(, "Run_2": )";
  end(x1);
  s << R"(}, "legs": [{"from": "Run_1", "to": "Run_2"}]}]}]})";
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
  // The pipe rendered to png_ (160 x 100, seen from above) with more args.
  Png Render(std::vector<std::string> args) {
    args.insert(args.begin(), {pipe_, "-o", png_, "--size", "160x100", "--view", "LookDown"});
    EXPECT_EQ(Run(args), 0) << err_;
    return Png(png_);
  }

  kelto::test::TempDir dir_;
  std::string out_, err_;
  // A pipe along x through the origin, seen from above: it crosses the
  // middle of the picture from left to right.
  const std::string pipe_ = Write("pipe.json", PipingFile("L1", -1000, 1000));
  const std::string png_ = Path("pipe.png");
};

TEST_F(RenderCommand, PngHasTheSizeTheBackgroundAndTheModelInTheMiddle) {
  const Png picture = Render({"--background", "#102030"});
  EXPECT_EQ(err_, "") << "small renders are quiet";
  ASSERT_EQ(std::pair(picture.width, picture.height), std::pair(160, 100));
  // Empty but for the axes indicator (top left) and the pipe: framed on the
  // model's box with a margin of 4 % each side, and deeper than the box's top
  // corners, the pipe runs in perspective from about x = 20 to 140.
  for (const auto& [x, y] : {std::pair{159, 0}, {0, 99}, {12, 55}, {148, 55}, {80, 95}, {80, 5}})
    EXPECT_EQ(picture.At(x, y), 0x102030u) << x << "," << y;
  int axes = 0;
  for (int i = 0; i < 50 * 50; ++i) axes += picture.At(i % 50, i / 50) != 0x102030u;
  EXPECT_GT(axes, 20) << "the axes indicator";
  for (const int x : {24, 80, 136}) EXPECT_TRUE(IsLitGreen(picture.At(x, 55))) << x;
}

// The symbolic representation draws the same pipe as one centre line.
TEST_F(RenderCommand, SymbolicRepresentationDrawsCentreLines) {
  const Png picture = Render({"--representation", "symbolic", "--option", "AxesSize=0"});
  int rows = 0, lit = 0;
  for (int y = 0; y < picture.height; ++y) {
    rows += picture.At(80, y) != 0;
    lit += picture.At(30, y) != 0;
  }
  EXPECT_TRUE(rows >= 1 && rows <= 3) << rows << " rows: a line, not a solid pipe";
  EXPECT_GE(lit, 1);
}

// Two files in one picture, fitted together: one pipe west of the origin,
// the other east of it, the gap between them in the middle.
TEST_F(RenderCommand, SeveralFilesShareOnePicture) {
  const std::string west = Write("west.json", PipingFile("W", -1000, -300));
  const std::string east = Write("east.json", PipingFile("E", 300, 1000));
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
  const std::uint32_t centre =
      Render({"--colour-scheme", R"(<C><Lookup><Tag Colour="Red"/></Lookup></C>)"}).At(80, 50);
  EXPECT_TRUE((centre >> 16) > 100 && (centre & 0xFFFF) == 0) << std::hex << centre;
  // A scheme file with a broken rule still renders; the problem is a warning
  // naming the file.
  const std::string scheme =
      Write("scheme.xml", "<C><Aspect/><Lookup><Tag Colour=\"Red\"/></Lookup></C>");
  Render({"--colour-scheme", scheme});
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

TEST_F(RenderCommand, MarkersAddToThePictureAndProgressIsShownWhenAskedFor) {
  const Png plain = Render({});
  EXPECT_NE(Render({"--markers", "--progress"}).px, plain.px);
  for (const std::string& line :
       {"kelto3d render: loading " + pipe_, "kelto3d render: building 1 components of " + pipe_,
        std::string("model nodes for display: 100%"),
        std::string("display lists (one per pipeline): 100%"), "kelto3d render: writing " + png_})
    EXPECT_NE(err_.find(line + "\n"), std::string::npos) << err_;
}

// Printable sheets, of the pump station: line art as vectors, a solid model
// as its picture.
TEST_F(RenderCommand, ALineArtSheetIsVectorsAndASolidSheetAPicture) {
  const std::string plant = std::string(KELTO_SOURCE_DIR) + "/examples/pump-station.json";
  EXPECT_EQ(Run({plant, "--representation", "symbolic", "--paper", "A3", "--landscape", "-o",
                 Path("lines.pdf")}),
            0)
      << err_;
  EXPECT_EQ(Run({plant, "--paper", "a4", "-o", Path("solid.svg")}), 0) << err_;
  const std::string lines = test::ReadFile(Path("lines.pdf"));
  const std::string solid = test::ReadFile(Path("solid.svg"));
  EXPECT_NE(lines.find("/MediaBox [ 0 0 1190.55"), std::string::npos);
  EXPECT_EQ(lines.find("/Image"), std::string::npos);
  EXPECT_NE(solid.find("width=\"595.27"), std::string::npos) << "A4";
  EXPECT_NE(solid.find("<image"), std::string::npos);
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
