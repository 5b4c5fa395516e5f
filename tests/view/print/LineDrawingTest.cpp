// Printed drawings: paper sizes, where the camera puts points on the sheet,
// and what a PDF of a line-art model holds (read back from the file).
#include "view/print/LineDrawing.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cairo-pdf.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

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

// The decompressed content of every stream in a PDF, one after the other.
std::string PdfContent(const std::string& pdf) {
  std::string out;
  for (std::size_t at = 0; (at = pdf.find("stream\n", at)) != std::string::npos;) {
    const std::size_t begin = at + 7, end = pdf.find("endstream", begin);
    if (end == std::string::npos) break;
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pdf.data() + begin));
    z.avail_in = static_cast<uInt>(end - begin);
    char buf[65536];
    int st = Z_OK;
    do {
      z.next_out = reinterpret_cast<Bytef*>(buf);
      z.avail_out = sizeof buf;
      st = inflate(&z, Z_NO_FLUSH);
      out.append(buf, sizeof buf - z.avail_out);
    } while (st == Z_OK);
    inflateEnd(&z);
    at = end;
  }
  return out;
}

std::size_t Count(const std::string& text, const std::regex& re) {
  return std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator());
}

TEST(Paper, IsoSizesInBothOrientations) {
  struct Case {
    const char* name;
    bool landscape;
    double width, height;
  } cases[] = {{"A4", false, 210, 297}, {"a4", true, 297, 210}, {"A3", true, 420, 297},
               {"A0", false, 841, 1189}, {"A2", false, 420, 594}};
  for (const Case& c : cases) {
    const auto paper = FindPaper(c.name, c.landscape);
    ASSERT_TRUE(paper) << c.name;
    EXPECT_EQ(paper->WidthMm, c.width);
    EXPECT_EQ(paper->HeightMm, c.height);
  }
  EXPECT_FALSE(FindPaper("A5", false));
  EXPECT_FALSE(FindPaper("Letter", false));
  EXPECT_EQ(FindPaper("a3", true)->Describe(), "A3 landscape");
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
  // At the centre's depth, one unit east is PointsPerUnit to the right and
  // one unit north as far up the page.
  double ex, ey, nx, ny;
  ASSERT_TRUE(drawing.Project({2, 2, 0}, ex, ey));
  ASSERT_TRUE(drawing.Project({1, 3, 0}, nx, ny));
  EXPECT_NEAR(ex - x, drawing.PointsPerUnit(), 1e-9);
  EXPECT_NEAR(y - ny, drawing.PointsPerUnit(), 1e-9);
  EXPECT_NEAR(ey, y, 1e-9);
  EXPECT_FALSE(drawing.Project({1, 2, 41}, x, y)) << "behind the eye";

  const double bar = drawing.ScaleBarLength();
  const double wanted = area.Width / 5 / drawing.PointsPerUnit();
  EXPECT_LE(bar, wanted);
  EXPECT_GT(bar, wanted / 2.5);
  const double mantissa = bar / std::pow(10.0, std::floor(std::log10(bar)));
  EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
              std::abs(mantissa - 5) < 1e-9)
      << bar;
}

TEST(LineDrawing, APdfOnA3HoldsVectorLinesAndTextNotAPicture) {
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
  const std::string path = (dir.path() / "plan.pdf").string();
  const CPaper a3 = *FindPaper("A3", true);
  {
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), a3.WidthPt(), a3.HeightPt());
    cairo_t* cr = cairo_create(surface);
    DrawLineArtSheet(cr, *tree.Root(), LookDownAt({0, 0, 0}, 30), a3,
                     {"plant.json", "Look down", "2026-12-07", ""});
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
  }
  std::ifstream in(path, std::ios::binary);
  const std::string pdf{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 1190.55"), std::string::npos) << "A3 across";
  EXPECT_EQ(pdf.find("/Image"), std::string::npos) << "no picture anywhere";
  const std::string content = PdfContent(pdf);
  // The square's four sides, the ring's 64, the line through the eye's
  // visible part, the frame and the title block's rules.
  EXPECT_GE(Count(content, std::regex(R"(\d l\b)")), 4u + 64u + 1u);
  EXPECT_GE(Count(content, std::regex(R"(\bTJ\b|\bTj\b)")), 10u) << "texts as text";
  EXPECT_NE(content.find("0 0 0 RG"), std::string::npos) << "white lines drawn black";
  EXPECT_NE(content.find("0 1 0 RG"), std::string::npos) << "green stays green";
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
    const auto* row = cairo_image_surface_get_data(image) + 100 * cairo_image_surface_get_stride(image);
    const std::uint32_t centre = reinterpret_cast<const std::uint32_t*>(row)[100];
    const int red = centre >> 16 & 0xFF, blue = centre & 0xFF;
    EXPECT_GT(blue, red) << "near line added " << (nearFirst ? "first" : "second");
    cairo_surface_destroy(image);
  }
}

}  // namespace
}  // namespace kelto::test
