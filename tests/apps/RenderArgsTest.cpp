// What `kelto3d render` accepts on its command line, checked without GL.
#include "RenderArgs.h"

#include <gtest/gtest.h>

#include <sstream>

#include "CommandLine.h"
#include "RenderCommand.h"
#include "render/GLRenderer.h"

namespace kelto::cli {
namespace {

TEST(RenderArgs, PictureSizes) {
  // {text, width, height}; 0 × 0 where the text is refused.
  const std::tuple<const char*, int, int> cases[] = {
      {"1600x1000", 1600, 1000}, {"1x1", 1, 1},     {"8192X8192", 8192, 8192}, {"0x10", 0, 0},
      {"8193x10", 0, 0},         {"-5x10", 0, 0},   {"+5x10", 0, 0},           {"10x", 0, 0},
      {" 10x10", 0, 0},          {"10.5x10", 0, 0}, {"99999999999x10", 0, 0},
  };
  for (const auto& [text, width, height] : cases) {
    const auto got = ParsePictureSize(text);
    EXPECT_EQ(got ? std::pair(got->width, got->height) : std::pair(0, 0), std::pair(width, height))
        << text;
  }
}

// 0x1000000: the top byte is no channel.
TEST(RenderArgs, ColoursAsHashRgbOrModelOrderNumbers) {
  // clang-format off
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"#FF0000", 0x0000FF}, {"0x0000FF", 0x0000FF}, {"#0080ff", 0xFF8000}, {"#102030", 0x302010},
      {"255", 0xFF}, {"0", 0}, {"0xFFFFFF", 0xFFFFFF}, {"#FFF", {}}, {"#GG0000", {}},
      {"#FF00001", {}}, {"0x1000000", {}}, {"16777216", {}}, {"-1", {}}, {"0x", {}}, {"", {}},
      {"red", {}}};
  // clang-format on
  for (const auto& [text, colour] : cases) EXPECT_EQ(ParseColourArgument(text), colour) << text;
}

TEST(RenderArgs, FormatFromTheExtension) {
  const std::pair<const char*, std::optional<PictureFormat>> cases[] = {
      {"out/Plant.PNG", PictureFormat::Png}, {"x.tar.pdf", PictureFormat::Pdf},
      {"x.Svg", PictureFormat::Svg},         {"x.jpeg", {}},
      {"png", {}},                           {"dir.png/file", {}},
      {".png", {}},                          {"x.png.txt", {}}};
  for (const auto& [path, format] : cases) EXPECT_EQ(PictureFormatOf(path), format) << path;
}

// Option text is converted to the option's own type; anything that does not
// convert is refused with a message naming the option and the value, and the
// option keeps its value.
TEST(RenderArgs, RendererOptionsFromText) {
  CGLRenderer renderer;  // registers its options; no GL needed
  COptions& options = renderer.GetOptions();
  const std::tuple<const char*, const char*, _variant_t> good[] = {
      {"Edges", "32", _variant_t(32)},
      {"BackgroundColour", "0x102030", _variant_t(0x102030)},
      {"AxesRight", "TRUE", _variant_t(true)},
      {"ShowDebugInfo", "1", _variant_t(true)},
      {"NormalLineWidth", "2.5", _variant_t(2.5f)},
  };
  for (const auto& [name, value, expected] : good) {
    EXPECT_EQ(SetOptionFromText(options, name, value), std::nullopt) << name;
    EXPECT_EQ(options.Get(name), expected) << name << "=" << value;
  }
  const std::tuple<const char*, const char*, const char*> bad[] = {
      {"Edgez", "16", "no renderer option is called \"Edgez\""},
      {"Edges", "many", "\"many\" is not a whole number"},
      {"Edges", "99999999999", "out of range (3 to 1024)"},
      {"Edges", "2", "out of range (3 to 1024)"},
      {"NormalLineWidth", "1e308", "out of range (0.1 to 100)"},
      {"BackgroundColour", "0x1000000", "out of range (0 to 16777215)"},
      {"Edges", "0xZZ", "is not a hexadecimal number"},
      {"AxesTop", "maybe", "is not True, False or a number"},
      {"NormalLineWidth", "wide", "is not a number"},
  };
  for (const auto& [name, value, says] : bad) {
    const auto problem = SetOptionFromText(options, name, value).value_or("accepted");
    EXPECT_NE(problem.find(std::string(name) + "=" + value), std::string::npos) << problem;
    EXPECT_NE(problem.find(says), std::string::npos) << problem;
  }
  EXPECT_EQ(options.Get("Edges"), _variant_t(32));
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

// The other options are seen at work in the rendering tests; what is left is
// where each value lands when files and repeatable options interleave.
TEST(RenderArgs, RepeatableOptionsTakeOneValueEach) {
  std::ostringstream err;
  const auto a = Parse({"a.json", "--symbols", "one.sym", "b.json", "-o", "a.png", "--option",
                        "Edges=8", "--representation", "Symbolic", "--symbols", "two.sym",
                        "--markers", "--option", "AxesSize=0", "c.json", "--view", "svdlookdown"},
                       err);
  ASSERT_TRUE(a) << err.str();
  EXPECT_EQ(a->model.representation, Representation::Symbolic);
  EXPECT_EQ(a->model.symbols, (std::vector<std::string>{"one.sym", "two.sym"}));
  EXPECT_EQ(a->files, (std::vector<std::string>{"a.json", "b.json", "c.json"}));
  EXPECT_EQ(a->options,
            (std::vector<std::pair<std::string, std::string>>{{"Edges", "8"}, {"AxesSize", "0"}}));
  EXPECT_TRUE(a->markers);
  EXPECT_EQ(a->view, svdLookDown);
}

TEST(RenderArgs, ProblemsAreNamed) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
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
      {{"f.json", "-o", "f.png", "--colour-scheme", ""}, "--colour-scheme: needs an XML file"},
      {{"f.json", "-o", "f.png", "--representation", "wireframe"},
       "unknown representation \"wireframe\" (solid or symbolic)"},
      {{"f.json", "-o", "f.png", "--symbols", "s.sym"},
       "--symbols needs --representation symbolic"},
      {{"f.json", "-o", "f.png", "--representation", "symbolic", "--type-table", "t.xml"},
       "--type-table configures the solid model"},
      {{"f.json", "-o", "f.png", "--paper", "A3"}, "the output must be a .pdf or .svg file"},
      {{"f.json", "-o", "f.pdf", "--landscape"}, "--landscape needs --paper"},
      {{"f.json", "-o", "f.pdf", "--paper", "B5"}, "unknown paper \"B5\" (papers: "},
      {{"f.json", "-o", "f.png", "--axes-scale", "two"}, "from 0 to 100, not \"two\""},
      {{"f.json", "-o", "f.png", "--resolution", "0x5"}, "--resolution: expected WIDTHxHEIGHT"},
  };
  for (const auto& [args, says] : cases) {
    std::ostringstream err;
    EXPECT_FALSE(Parse(args, err)) << says;
    EXPECT_NE(err.str().find(says), std::string::npos) << err.str();
    EXPECT_EQ(err.str().rfind("kelto3d render: ", 0), 0u) << err.str();
  }
}

}  // namespace
}  // namespace kelto::cli
