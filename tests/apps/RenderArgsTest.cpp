// What `kelto3d render` accepts on its command line, checked without GL.
#include "RenderArgs.h"

#include "CommandLine.h"
#include "RenderCommand.h"

#include <gtest/gtest.h>

#include <sstream>

#include "render/GLRenderer.h"

namespace kelto::cli {
namespace {

TEST(RenderArgs, PictureSizes) {
  struct Case {
    const char* text;
    std::optional<PictureSize> size;
  };
  const Case cases[] = {
      {"1600x1000", PictureSize{1600, 1000}},
      {"1x1", PictureSize{1, 1}},
      {"8192X8192", PictureSize{8192, 8192}},
      {"0x10", std::nullopt},
      {"8193x10", std::nullopt},
      {"-5x10", std::nullopt},
      {"+5x10", std::nullopt},
      {"10x", std::nullopt},
      {" 10x10", std::nullopt},
      {"10.5x10", std::nullopt},
      {"99999999999x10", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = ParsePictureSize(c.text);
    ASSERT_EQ(got.has_value(), c.size.has_value()) << c.text;
    if (got) {
      EXPECT_EQ(got->width, c.size->width) << c.text;
      EXPECT_EQ(got->height, c.size->height) << c.text;
    }
  }
}

TEST(RenderArgs, ColoursAsHashRgbOrModelOrderNumbers) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> colour;
  };
  const Case cases[] = {
      {"#FF0000", 0x0000FF},  // red either way round
      {"0x0000FF", 0x0000FF},
      {"#0080ff", 0xFF8000},
      {"#102030", 0x302010},
      {"255", 0xFF},
      {"0", 0},
      {"0xFFFFFF", 0xFFFFFF},
      {"#FFF", std::nullopt},
      {"#GG0000", std::nullopt},
      {"#FF00001", std::nullopt},
      {"0x1000000", std::nullopt},  // the top byte is no channel
      {"16777216", std::nullopt},
      {"-1", std::nullopt},
      {"0x", std::nullopt},
      {"", std::nullopt},
      {"red", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseColourArgument(c.text), c.colour) << c.text;
}

TEST(RenderArgs, FormatFromTheExtension) {
  EXPECT_EQ(PictureFormatOf("a.png"), PictureFormat::Png);
  EXPECT_EQ(PictureFormatOf("out/Plant.PNG"), PictureFormat::Png);
  EXPECT_EQ(PictureFormatOf("x.tar.pdf"), PictureFormat::Pdf);
  EXPECT_EQ(PictureFormatOf("x.Svg"), PictureFormat::Svg);
  for (const char* bad : {"x.jpeg", "png", "dir.png/file", ".png", "x.png.txt", ""})
    EXPECT_EQ(PictureFormatOf(bad), std::nullopt) << bad;
}

// Option text is converted to the option's own type; anything that does not
// convert is refused with a message naming the option and the value, and the
// option keeps its value.
TEST(RenderArgs, RendererOptionsFromText) {
  CGLRenderer renderer;  // registers its options; no GL needed
  COptions& options = renderer.GetOptions();
  struct Good {
    const char* name;
    const char* value;
    _variant_t expected;
  };
  const Good good[] = {
      {"Edges", "32", _variant_t(32)},
      {"BackgroundColour", "0x102030", _variant_t(0x102030)},
      {"AxesTop", "false", _variant_t(false)},
      {"AxesRight", "TRUE", _variant_t(true)},
      {"ShowDebugInfo", "1", _variant_t(true)},
      {"NormalLineWidth", "2.5", _variant_t(2.5f)},
  };
  for (const Good& g : good) {
    EXPECT_EQ(SetOptionFromText(options, g.name, g.value), std::nullopt) << g.name;
    EXPECT_EQ(options.Get(g.name), g.expected) << g.name << "=" << g.value;
  }
  struct Bad {
    const char* name;
    const char* value;
    const char* says;
  };
  const Bad bad[] = {
      {"Edgez", "16", "no renderer option is called \"Edgez\""},
      {"edges", "16", "no renderer option is called \"edges\""},
      {"Edges", "many", "\"many\" is not a whole number"},
      {"Edges", "99999999999", "out of range (3 to 1024)"},
      {"Edges", "-5", "out of range (3 to 1024)"},
      {"Edges", "2", "out of range (3 to 1024)"},
      {"NormalLineWidth", "1e308", "out of range (0.1 to 100)"},
      {"NormalLineWidth", "0", "out of range (0.1 to 100)"},
      {"BackgroundColour", "0x1000000", "out of range (0 to 16777215)"},
      {"BackgroundColour", "0xFFFFFFFF", "out of range (0 to 16777215)"},
      {"Edges", "0xZZ", "is not a hexadecimal number"},
      {"AxesTop", "maybe", "is not True, False or a number"},
      {"NormalLineWidth", "wide", "is not a number"},
  };
  for (const Bad& b : bad) {
    const auto problem = SetOptionFromText(options, b.name, b.value);
    ASSERT_TRUE(problem.has_value()) << b.name << "=" << b.value;
    EXPECT_NE(problem->find(std::string(b.name) + "=" + b.value), std::string::npos) << *problem;
    EXPECT_NE(problem->find(b.says), std::string::npos) << *problem;
  }
  EXPECT_EQ(options.Get("Edges"), _variant_t(32));
  EXPECT_EQ(options.Get("AxesTop"), _variant_t(false));
  EXPECT_EQ(options.Get("NormalLineWidth"), _variant_t(2.5f));
}

// Parses render's arguments the way the tool does; nullopt on a usage error
// (its message in err).
std::optional<RenderArgs> Parse(const std::vector<std::string>& args, std::ostream& err) {
  CRenderCommand render;
  std::ostringstream out;
  if (ParseCommandArguments(render, args, out, err)) return std::nullopt;
  return render.Args();
}

TEST(RenderArgs, ParsesEveryOption) {
  std::ostringstream err;
  const auto a = Parse(
      {"a.json",       "--size",   "320x200",         "--view",     "svdlookdown", "--background",
       "#FF0000",      "--option", "Edges=8",         "--option",   "AxesSize=0",  "b.json",
       "-o",           "pic.SVG",  "--markers",       "--progress", "--ext-dims",  "d.xml",
       "--type-table", "<T/>",     "--colour-scheme", "c.xml"},
      err);
  ASSERT_TRUE(a) << err.str();
  EXPECT_EQ(a->files, (std::vector<std::string>{"a.json", "b.json"}));
  EXPECT_EQ(a->output, "pic.SVG");
  EXPECT_EQ(a->format, PictureFormat::Svg);
  EXPECT_EQ(a->size.width, 320);
  EXPECT_EQ(a->size.height, 200);
  EXPECT_EQ(a->view, svdLookDown);
  EXPECT_EQ(a->background, 0x0000FF);
  EXPECT_EQ(a->options,
            (std::vector<std::pair<std::string, std::string>>{{"Edges", "8"}, {"AxesSize", "0"}}));
  EXPECT_TRUE(a->markers);
  EXPECT_TRUE(a->progress);
  EXPECT_EQ(a->model.extDims, "d.xml");
  EXPECT_EQ(a->model.typeTable, "<T/>");
  EXPECT_EQ(a->colourScheme, "c.xml");
  EXPECT_TRUE(err.str().empty());

  // Symbol files go with the symbolic representation, in the order given; a
  // repeatable option takes one value at a time, so the file after it is a
  // piping file again.
  const auto symbolic = Parse({"a.json", "--symbols", "one.sym", "b.json", "-o", "a.png",
                               "--representation", "Symbolic", "--symbols", "two.sym"},
                              err);
  ASSERT_TRUE(symbolic) << err.str();
  EXPECT_EQ(symbolic->model.representation, Representation::Symbolic);
  EXPECT_EQ(symbolic->model.symbols, (std::vector<std::string>{"one.sym", "two.sym"}));
  EXPECT_EQ(symbolic->files, (std::vector<std::string>{"a.json", "b.json"}));
}

TEST(RenderArgs, ProblemsAreNamed) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"f.json"}, "--output is required"},
      {{"-o", "f.png"}, "FILE is required"},
      {{"f.json", "-o", "f.jpg"}, "cannot tell the format of \"f.jpg\""},
      {{"f.json", "-o"}, "--output needs a value (OUT)"},
      {{"f.json", "-o", "f.png", "--view", "Sideways"},
       "unknown view \"Sideways\" (views: NorthTopLeft, NorthTopRight, NorthBottomLeft, "
       "NorthBottomRight, LookDown, LookUp, LookEast, LookWest, LookNorth, LookSouth)"},
      {{"f.json", "-o", "f.png", "--size", "0x100"}, "--size: expected WIDTHxHEIGHT"},
      {{"f.json", "-o", "f.png", "--background", "pink"}, "not \"pink\""},
      {{"f.json", "-o", "f.png", "--option", "Edges"}, "--option: expected NAME=VALUE"},
      {{"f.json", "-o", "f.png", "--option", "=3"}, "--option: expected NAME=VALUE"},
      {{"f.json", "-o", "f.png", "--colour-scheme", ""}, "--colour-scheme: needs an XML file"},
      {{"f.json", "-o", "f.png", "--representation", "wireframe"},
       "unknown representation \"wireframe\" (solid or symbolic)"},
      {{"f.json", "-o", "f.png", "--symbols", "s.sym"},
       "--symbols needs --representation symbolic"},
      {{"f.json", "-o", "f.png", "--representation", "symbolic", "--type-table", "t.xml"},
       "--type-table configures the solid model"},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    EXPECT_FALSE(Parse(c.args, err)) << c.says;
    EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    EXPECT_EQ(err.str().rfind("kelto3d render: ", 0), 0u) << err.str();
  }
}

}  // namespace
}  // namespace kelto::cli
