// `kelto3d render` run in-process on small piping files written for each
// test and read through the real piping library; pictures are drawn
// off-screen (no display needed) and read back from the files written.
#include "RenderCommand.h"

#include "CommandLine.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "view/Pipeline3DViewCtrl.h"

namespace kelto::cli {
namespace {

// One pipeline of straight pipes, each from `from` to `to` (millimetres),
// 8-inch bore so that it shows at any picture size.
struct Pipe {
  double from[3];
  double to[3];
};

std::string PipingFile(const std::string& line, const std::vector<Pipe>& pipes) {
  std::ostringstream s;
  s << R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": ")" << line
    << R"(", "components": [)";
  for (std::size_t i = 0; i < pipes.size(); ++i) {
    const Pipe& p = pipes[i];
    s << (i ? "," : "") << R"({"id": ")" << line << "-P" << i << R"(", "type": "Pipe", "points": {)"
      << R"("Run_1": {"position": [)" << p.from[0] << ", " << p.from[1] << ", " << p.from[2]
      << R"(], "bore": 8, "boreUnits": 1},)"
      << R"("Run_2": {"position": [)" << p.to[0] << ", " << p.to[1] << ", " << p.to[2]
      << R"(], "bore": 8, "boreUnits": 1}},)"
      << R"("legs": [{"from": "Run_1", "to": "Run_2"}]})";
  }
  s << "]}]}";
  return s.str();
}

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "rgb(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A PNG read back; pixels with the origin at the top left.
class Png {
 public:
  explicit Png(const std::string& path)
      : m_surface(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Png() { cairo_surface_destroy(m_surface); }
  Png(const Png&) = delete;
  Png& operator=(const Png&) = delete;
  bool Ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(m_surface); }
  int Height() const { return cairo_image_surface_get_height(m_surface); }
  Rgb At(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
  }

 private:
  cairo_surface_t* m_surface;
};

bool IsLitGreen(const Rgb& c) { return c.g > 100 && c.r == 0 && c.b == 0; }

class RenderCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (dir_.path() / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    std::vector<std::string> line = {"render"};
    line.insert(line.end(), args.begin(), args.end());
    return RunCommandLine(line, out_, err_);
  }
  std::string FileStart(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string text(n, '\0');
    in.read(text.data(), static_cast<std::streamsize>(n));
    return text.substr(0, static_cast<std::size_t>(in.gcount()));
  }

  kelto::test::TempDir dir_;
  std::ostringstream out_, err_;
  // A pipe along x through the origin, seen from above: it crosses the
  // middle of the picture from left to right.
  const std::string pipe_ = Write("pipe.json", PipingFile("L1", {{{-1000, 0, 0}, {1000, 0, 0}}}));
};

TEST_F(RenderCommand, PngHasTheSizeTheBackgroundAndTheModelInTheMiddle) {
  const std::string png = Path("pipe.png");
  ASSERT_EQ(
      Run({pipe_, "-o", png, "--size", "160x100", "--view", "LookDown", "--background", "#102030"}),
      0)
      << err_.str();
  EXPECT_TRUE(err_.str().empty()) << "small renders are quiet: " << err_.str();
  Png picture(png);
  ASSERT_TRUE(picture.Ok());
  EXPECT_EQ(picture.Width(), 160);
  EXPECT_EQ(picture.Height(), 100);
  const Rgb background{0x10, 0x20, 0x30};
  // The axes indicator sits in the top-left corner; the others are empty.
  EXPECT_EQ(picture.At(159, 0), background);
  EXPECT_EQ(picture.At(0, 99), background);
  EXPECT_EQ(picture.At(159, 99), background);
  int axes = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) axes += picture.At(x, y) == background ? 0 : 1;
  EXPECT_GT(axes, 20) << "the axes indicator";
  // Framed on the model: the corners of its box fill the width but a margin
  // of 4 % each side; the pipe's centre line lies deeper than the box's top
  // corners, so in perspective it runs from about x = 20 to 140, some 16
  // pixels thick, clear of the top and bottom edges.
  for (const int x : {24, 80, 136}) EXPECT_TRUE(IsLitGreen(picture.At(x, 55))) << x;
  for (const int x : {12, 148}) EXPECT_EQ(picture.At(x, 55), background) << x;
  EXPECT_EQ(picture.At(80, 95), background);
  EXPECT_EQ(picture.At(80, 5), background);
}

// The symbolic representation draws the same pipe as one centre line, with
// the symbols of a library file when one is given; a library file that
// cannot be read stops the command with a message naming it.
TEST_F(RenderCommand, SymbolicRepresentationDrawsCentreLines) {
  const std::string png = Path("lines.png");
  ASSERT_EQ(Run({pipe_, "-o", png, "--size", "160x100", "--view", "LookDown",
                 "--representation", "symbolic", "--option", "AxesSize=0"}),
            0)
      << err_.str();
  Png picture(png);
  ASSERT_TRUE(picture.Ok());
  int lit = 0, rows = 0;
  for (int y = 0; y < 100; ++y) {
    const bool row = picture.At(80, y) != Rgb{};
    lit += picture.At(30, y) != Rgb{} ? 1 : 0;
    rows += row ? 1 : 0;
  }
  EXPECT_GE(rows, 1) << "a line crosses the middle";
  EXPECT_LE(rows, 3) << "a line, not a solid pipe";
  EXPECT_GE(lit, 1);

  const std::string missing = Path("missing.sym");
  EXPECT_EQ(Run({pipe_, "-o", png, "--representation", "symbolic", "--symbols", missing}), 1);
  EXPECT_NE(err_.str().find(missing), std::string::npos) << err_.str();
}

TEST_F(RenderCommand, RendererOptionsReachThePicture) {
  const std::string png = Path("no-axes.png");
  ASSERT_EQ(Run({pipe_, "-o", png, "--size", "160x100", "--view", "svdLookDown", "--option",
                 "AxesSize=0", "--option", "BackgroundColour=0x0000FF"}),
            0)
      << err_.str();
  Png picture(png);
  ASSERT_TRUE(picture.Ok());
  EXPECT_EQ(picture.At(10, 10), (Rgb{255, 0, 0})) << "no axes indicator, red background";
  // --background is applied after the options.
  ASSERT_EQ(Run({pipe_, "-o", png, "--size", "160x100", "--option", "BackgroundColour=255",
                 "--background", "#00FF00", "--option", "AxesSize=0"}),
            0);
  EXPECT_EQ(Png(png).At(0, 0), (Rgb{0, 255, 0}));
}

// Two files in one picture, fitted together: one pipe west of the origin,
// the other east of it, the gap between them in the middle.
TEST_F(RenderCommand, SeveralFilesShareOnePicture) {
  const std::string west = Write("west.json", PipingFile("W", {{{-1000, 0, 0}, {-300, 0, 0}}}));
  const std::string east = Write("east.json", PipingFile("E", {{{300, 0, 0}, {1000, 0, 0}}}));
  const std::string png = Path("both.png");
  ASSERT_EQ(Run({west, east, "-o", png, "--size", "200x100", "--view", "LookDown"}), 0)
      << err_.str();
  Png picture(png);
  ASSERT_TRUE(picture.Ok());
  // Framed on both: the pipes span about x = 8…72 and 128…192.
  EXPECT_TRUE(IsLitGreen(picture.At(40, 50))) << picture.At(40, 50);
  EXPECT_TRUE(IsLitGreen(picture.At(160, 50))) << picture.At(160, 50);
  EXPECT_EQ(picture.At(100, 50), Rgb{}) << "the gap is in the middle";

  CRenderProgress quiet(err_, false);
  RenderArgs args;
  args.files = {west, east};
  const auto control = kelto::com::MakeObject<CPipeline3DViewCtrl>();
  const auto model = AddFilesTo(*control, args, quiet, err_);
  ASSERT_TRUE(model);
  EXPECT_EQ(control->GetRoot().GetChildren().size(), 2u);
  EXPECT_EQ(model->components, 2u);
  EXPECT_EQ(model->notDrawn, 0u);
}

TEST_F(RenderCommand, PdfAndSvgHoldThePicture) {
  struct Case {
    const char* name;
    const char* magic;
    const char* size;  // the page in points, one a pixel
  };
  for (const Case c : {Case{"pipe.pdf", "%PDF-", "/MediaBox [ 0 0 160 100 ]"},
                       Case{"pipe.svg", "<?xml", "width=\"160\" height=\"100\""}}) {
    const std::string path = Path(c.name);
    ASSERT_EQ(Run({pipe_, "-o", path, "--size", "160x100"}), 0) << err_.str();
    const std::string head = FileStart(path, 1 << 16);
    EXPECT_EQ(head.rfind(c.magic, 0), 0u) << c.name;
    EXPECT_NE(head.find(c.size), std::string::npos) << c.name;
    EXPECT_GT(head.size(), 1000u) << c.name << " holds an image";
  }
}

TEST_F(RenderCommand, ColourSchemeRecoloursAndReportsItsProblems) {
  const std::string png = Path("red.png");
  const std::vector<std::string> base = {pipe_,     "-o",     png,       "--size",
                                         "160x100", "--view", "LookDown"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  ASSERT_EQ(Run(with({"--colour-scheme", R"(<C><Lookup><Tag Colour="Red"/></Lookup></C>)"})), 0)
      << err_.str();
  const Rgb centre = Png(png).At(80, 50);
  EXPECT_TRUE(centre.r > 100 && centre.g == 0 && centre.b == 0) << centre;

  // A scheme file with a broken rule still renders; the problem is a warning
  // naming the file.
  const std::string scheme =
      Write("scheme.xml", "<C><Aspect/><Lookup><Tag Colour=\"Red\"/></Lookup></C>");
  EXPECT_EQ(Run(with({"--colour-scheme", scheme})), 0);
  EXPECT_NE(err_.str().find("kelto3d render: warning: " + scheme + ": "), std::string::npos)
      << err_.str();

  EXPECT_EQ(Run(with({"--colour-scheme", Path("missing.xml")})), 1);
  EXPECT_NE(err_.str().find("cannot read --colour-scheme file " + Path("missing.xml")),
            std::string::npos)
      << err_.str();
}

// An output that cannot be written is refused before any piping file is read;
// one that fails while being written (a full disk) leaves the previous picture
// and nothing else.
TEST_F(RenderCommand, OutputIsWholeOrNotWrittenAtAll) {
  std::filesystem::create_directory(Path("folder.png"));
  EXPECT_EQ(Run({Path("nonexist.json"), "-o", Path("folder.png")}), 1);
  EXPECT_EQ(err_.str(), "kelto3d render: cannot write " + Path("folder.png") +
                            ": Is a directory\n");

  for (const char* name : {"old.png", "old.pdf", "old.svg"}) {
    const std::string picture = Write(name, "the good picture");
    {
      // Each of the three takes well over 1000 bytes at this size.
      kelto::test::FileSizeLimit full(500);
      EXPECT_EQ(Run({pipe_, "-o", picture, "--size", "200x200"}), 1) << name;
    }
    EXPECT_EQ(err_.str(), "kelto3d render: cannot write " + picture + ": File too large\n");
    EXPECT_EQ(FileStart(picture, 100), "the good picture") << name;
  }
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    files += entry.path().filename().string().front() == '.' ? 100 : 1;
  EXPECT_EQ(files, 5u) << "no temporary left behind";
}

TEST_F(RenderCommand, MarkersPutGeometryOnThePipelines) {
  for (const bool markers : {false, true}) {
    CRenderProgress quiet(err_, false);
    RenderArgs args;
    args.files = {pipe_};
    args.markers = markers;
    const auto control = kelto::com::MakeObject<CPipeline3DViewCtrl>();
    ASSERT_TRUE(AddFilesTo(*control, args, quiet, err_)) << err_.str();
    const CModelNode& file = *control->GetRoot().GetChildren().begin()->second;
    const CModelNode& pipeline = *file.GetChildren().begin()->second;
    EXPECT_EQ(pipeline.GetGeometry().size() > 0, markers);
  }
}

TEST_F(RenderCommand, ProgressOnlyWhenAskedForOnSmallModels) {
  const std::string png = Path("p.png");
  ASSERT_EQ(Run({pipe_, "-o", png, "--size", "64x64", "--progress"}), 0);
  const std::string said = err_.str();
  for (const std::string& line :
       {"kelto3d render: loading " + pipe_, "kelto3d render: building 1 components of " + pipe_,
        std::string("model nodes for display: 100%"),
        std::string("display lists (one per pipeline): 100%"), "kelto3d render: writing " + png})
    EXPECT_NE(said.find(line + "\n"), std::string::npos) << said;
}

TEST_F(RenderCommand, FailuresNameTheirCauseAndExitCode) {
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string says;
  };
  const std::string png = Path("x.png");
  const std::string fifo = Path("fifo.xml");  // opening must not wait for a writer
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const Case cases[] = {
      {{Path("nonexist.json"), "-o", png}, 1, Path("nonexist.json")},
      {{pipe_, Path("nonexist.json"), "-o", png}, 1, Path("nonexist.json")},
      {{pipe_, "-o", Path("no/such/folder/x.png")},
       1,
       "cannot write " + Path("no/such/folder/x.png") + ": No such file or directory"},
      {{pipe_, "-o", png, "--option", "Wobble=1"}, 2, "option Wobble=1: no renderer option"},
      {{pipe_, "-o", png, "--ext-dims", Path("dims.xml")},
       1,
       "cannot read --ext-dims file " + Path("dims.xml")},
      // Configurations are read only from regular files of a sane size.
      {{pipe_, "-o", png, "--type-table", Path("")},
       1,
       "cannot read --type-table file " + Path("") + ": it is not a regular file (a folder)"},
      {{pipe_, "-o", png, "--ext-dims", "/dev/zero"},
       1,
       "cannot read --ext-dims file /dev/zero: it is not a regular file (a character device)"},
      {{pipe_, "-o", png, "--colour-scheme", fifo},
       1,
       "cannot read --colour-scheme file " + fifo + ": it is not a regular file (a FIFO)"},
      // A configuration that does not load stops the command, naming the place.
      {{pipe_, "-o", png, "--type-table", "<Bad"},
       1,
       "--type-table: not well-formed XML: Error parsing start element tag at line 1, column 4"},
      {{pipe_, "-o", png, "--ext-dims", Write("bad-dims.xml", "<D>\n  <Lookup></D>")},
       1,
       "--ext-dims " + Path("bad-dims.xml") + ": not well-formed XML: Start-end tags mismatch at "
       "line 2, column"},
      {{pipe_, "-o", png, "--colour-scheme", "<C><Lookup>"}, 1, "--colour-scheme: not well-formed"},
      {{pipe_, "-o", png, "--type-table",
        "<Component-Geometry><Component-Processing><Component-Type-Handler>"
        "<Component-Type-Entry Component-Type=\"Pipe\"/>"
        "</Component-Type-Handler></Component-Processing></Component-Geometry>"},
       1,
       "--type-table: XML Error: Component-Type-Entry 1 has no \"Construction-Function\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.code) << c.says;
    EXPECT_NE(err_.str().find(c.says), std::string::npos) << err_.str();
    EXPECT_FALSE(std::filesystem::exists(png)) << c.says;
  }
  // Usage errors point to the help; failures do not.
  EXPECT_EQ(Run({pipe_, "-o", png, "--view", "Up"}), 2);
  EXPECT_NE(err_.str().find("Try 'kelto3d render --help'"), std::string::npos);
  EXPECT_EQ(Run({Path("nonexist.json"), "-o", png}), 1);
  EXPECT_EQ(err_.str().find("--help"), std::string::npos);

  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("LookSouth"), std::string::npos) << "the help lists the views";
  EXPECT_TRUE(err_.str().empty());
}

}  // namespace
}  // namespace kelto::cli
