// Printed drawings: paper sizes, where the camera puts points on the sheet,
// and what a sheet of a line-art model holds (read back from the file).
#include "view/print/LineDrawing.h"

#include <gtest/gtest.h>

#include <cairo-svg.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "render/CameraMath.h"
#include "render/RendererFixture.h"
#include "support/TempDir.h"

namespace kelto::test {
namespace {

CViewState LookDownAt(const CPoint3& centre, double distance) {
  CViewState v;
  ViewDirRotation({0, 0, -1}, {0, 1, 0}, v.Rotation);
  v.Centre = centre;
  v.Distance = distance;
  return v;
}

std::size_t Count(const std::string& text, const std::regex& re) {
  return std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator());
}

TEST(LineDrawing, ProjectsWithTheCameraFramedForTheArea) {
  TestTree tree;
  tree.Add(Cylinder({-5, 0, 0}, {5, 0, 0}, 2));
  const CRect area{100, 50, 800, 400};
  const CLineDrawing drawing(*tree.Root(), LookDownAt({1, 2, 0}, 40), area);
  double x = 0, y = 0;
  ASSERT_TRUE(drawing.Project({1, 2, 0}, x, y));
  EXPECT_NEAR(x, 500, 1e-9) << "the view centre is the area's centre";
  EXPECT_NEAR(y, 250, 1e-9);
  // At the centre's depth, one unit north and east is PointsPerUnit up the
  // page and to the right.
  double ne_x, ne_y;
  ASSERT_TRUE(drawing.Project({2, 3, 0}, ne_x, ne_y));
  EXPECT_NEAR(ne_x - x, drawing.PointsPerUnit(), 1e-9);
  EXPECT_NEAR(y - ne_y, drawing.PointsPerUnit(), 1e-9);
  EXPECT_FALSE(drawing.Project({1, 2, 41}, x, y)) << "behind the eye";
  // The scale bar: 1, 2 or 5 times a power of ten, about a fifth of the width.
  const double bar = drawing.ScaleBarLength(), wanted = area.Width / 5 / drawing.PointsPerUnit();
  EXPECT_TRUE(bar <= wanted && bar > wanted / 2.5) << bar;
  const double mantissa = bar / std::pow(10.0, std::floor(std::log10(bar)));
  EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
              std::abs(mantissa - 5) < 1e-9)
      << bar;
}

// An SVG sheet shows as text what a PDF one holds compressed: the same
// drawing calls make both.
TEST(LineDrawing, ASheetOnA3HoldsVectorLinesAndTextNotAPicture) {
  TestTree tree;
  CGeometrySet square;
  const CPoint3 corners[] = {{-5, -5, 0}, {5, -5, 0}, {5, 5, 0}, {-5, 5, 0}};
  for (int i = 0; i < 4; ++i) square.AddLine(corners[i], corners[(i + 1) % 4], 0xFFFFFF);
  square.AddLine({0, 0, 0}, {0, 0, 80}, 0x0000FF);  // through the eye: clipped, not dropped
  tree.Add(square);
  CGeometrySet ring;
  ring.AddCircle({0, 0, 0}, 4, {0, 0, 1}, 0x00FF00);
  tree.Add(ring);

  TempDir dir;
  const std::string path = (dir.path() / "plan.svg").string();
  const CPaper a3 = *FindPaper("A3", true);
  cairo_surface_t* surface = cairo_svg_surface_create(path.c_str(), a3.WidthPt(), a3.HeightPt());
  cairo_t* cr = cairo_create(surface);
  DrawLineArtSheet(cr, *tree.Root(), LookDownAt({0, 0, 0}, 30), a3,
                   {"plant.json", "Look down", "2026-12-07", ""});
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(surface);
  std::ifstream in(path, std::ios::binary);
  const std::string svg{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(svg.find("<image"), std::string::npos) << "no picture anywhere";
  // The square's four sides, the ring's 64, the line through the eye's
  // visible part, the frame and the title block's rules.
  EXPECT_GE(Count(svg, std::regex(R"(\bL -?[0-9])")), 4u + 64u + 1u);
  EXPECT_GE(Count(svg, std::regex(R"(<use xlink:href="#glyph)")), 10u) << "texts as glyphs";
  EXPECT_NE(svg.find("stroke:rgb(0%,0%,0%)"), std::string::npos) << "white lines drawn black";
  EXPECT_NE(svg.find("stroke:rgb(0%,100%,0%)"), std::string::npos) << "green stays green";
}

// Where lines cross, the nearer one is on top, whichever node the tree
// happens to hold first.
TEST(LineDrawing, NearerComponentsAreDrawnOverFartherOnes) {
  for (const bool nearFirst : {true, false}) {
    TestTree tree;
    CGeometrySet farLine, nearLine;
    farLine.AddLine({-5, 0, 0}, {5, 0, 0}, 0x0000FF);   // red, on the ground
    nearLine.AddLine({0, -5, 5}, {0, 5, 5}, 0xFF0000);  // blue, above it
    tree.Add(nearFirst ? nearLine : farLine);
    tree.Add(nearFirst ? farLine : nearLine);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 200);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    CLineDrawing(*tree.Root(), LookDownAt({0, 0, 0}, 40), {0, 0, 200, 200}).Draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image);
    const auto* row =
        cairo_image_surface_get_data(image) + 100 * cairo_image_surface_get_stride(image);
    const std::uint32_t centre = reinterpret_cast<const std::uint32_t*>(row)[100];
    const int red = centre >> 16 & 0xFF, blue = centre & 0xFF;
    EXPECT_GT(blue, red) << "near line added " << (nearFirst ? "first" : "second");
    cairo_surface_destroy(image);
  }
}

}  // namespace
}  // namespace kelto::test
