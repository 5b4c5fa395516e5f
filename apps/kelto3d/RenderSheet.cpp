#include "RenderSheet.h"

#include "ErrorInfoText.h"
#include "core/PrintableText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/dc/DCApi.h"
#include "platform/dc/DCHandleTable.h"
#include "render/StandardViewDir.h"
#include "view/print/LineDrawing.h"

namespace kelto::cli {

namespace {

// A sheet's picture without --resolution: 150 dots an inch.
constexpr double kSheetDpi = 150;

CPaper PaperOf(const RenderArgs& args) { return *FindPaper(*args.paper, args.landscape); }

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

CDrawingInfo InfoFor(const RenderArgs& args) {
  std::string files;
  for (const std::string& f : args.files) files += (files.empty() ? "" : ", ") + f;
  return {files, std::string(StandardViewDirName(args.view)), Today(), ""};
}

// A device context of the runtime's, given up unfinished unless Finish is
// reached: a drawing that fails half-way leaves the file as it was.
class CRuntimeDC {
 public:
  explicit CRuntimeDC(UINT hdc, const std::string& what) : m_hdc(hdc) {
    if (!m_hdc) throw std::runtime_error(ErrorInfoText("cannot make " + what));
  }
  CRuntimeDC(const CRuntimeDC&) = delete;
  CRuntimeDC& operator=(const CRuntimeDC&) = delete;
  ~CRuntimeDC() {
    if (m_hdc) KeltoAbandonDC(m_hdc);
  }
  UINT Handle() const { return m_hdc; }
  cairo_t* Cairo() const { return kelto::dc::CDCHandleTable::Instance().Find(m_hdc); }
  // Writes the file; throws with the reason when it cannot.
  void Finish() {
    const HRESULT hr = KeltoFinishDC(m_hdc);
    const std::string why = FAILED(hr) ? ErrorInfoText("cannot write the file") : "";
    KeltoDeleteDC(std::exchange(m_hdc, 0));
    if (FAILED(hr)) throw std::runtime_error(why);
  }

 private:
  UINT m_hdc;
};

CRuntimeDC FileDC(const RenderArgs& args, double width, double height) {
  const int kind = args.format == PictureFormat::Png   ? KELTO_DC_PNG
                   : args.format == PictureFormat::Pdf ? KELTO_DC_PDF
                                                       : KELTO_DC_SVG;
  return CRuntimeDC(KeltoCreateFileDC(args.output.c_str(), kind, width, height), args.output);
}

// The picture drawn into an image of width × height pixels, as a cairo
// image (rows top-down).
cairo_surface_t* PictureImage(const DrawPictureFn& draw, int width, int height) {
  CRuntimeDC image(KeltoCreateImageDC(width, height), "the picture's image");
  draw(image.Handle(), 0, 0, width, height);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // B, G, R, 0xFF rows are cairo's native xRGB words on the little-endian
  // machines this runs on; cairo's rows may be padded.
  std::vector<BYTE> pixels(std::size_t(width) * height * 4);
  if (FAILED(KeltoGetDCPixels(image.Handle(), pixels.data(), UINT(pixels.size())))) {
    cairo_surface_destroy(surface);
    throw std::runtime_error(ErrorInfoText("cannot read the picture"));
  }
  std::uint8_t* out = cairo_image_surface_get_data(surface);
  for (int y = 0; out && y < height; ++y)
    std::memcpy(out + std::size_t(y) * stride, pixels.data() + std::size_t(y) * width * 4,
                std::size_t(width) * 4);
  cairo_surface_mark_dirty(surface);
  return surface;
}

int Side(double v) { return std::clamp(int(std::lround(v)), 1, kMaxPictureSide); }

}  // namespace

double RenderLayout::AxesFactor() const {
  return vectors || framing.height == 0 ? 1.0 : double(bitmap.height) / framing.height;
}

RenderLayout LayoutFor(const RenderArgs& args) {
  if (!args.paper) return {args.size, args.resolution.value_or(args.size), false};
  // A sheet's indicator keeps its size in pixels of the bitmap: the sheet is
  // looked at in print, not beside the screen.
  const CRect area = CSheet(PaperOf(args)).DrawingArea();
  const PictureSize shape{Side(area.Width), Side(area.Height)};
  if (args.model.representation == Representation::Symbolic) return {shape, shape, true};
  const double k = kSheetDpi / 72;
  const PictureSize bitmap =
      args.resolution.value_or(PictureSize{Side(area.Width * k), Side(area.Height * k)});
  return {bitmap, bitmap, false};
}

bool WriteRendering(const DrawPictureFn& draw, const CModelNode& root, const CViewState& view,
                    const RenderArgs& args, std::ostream& err) {
  try {
    if (!args.paper) {
      // PDF and SVG pages take the picture's size in points, one pixel a
      // point; the bitmap is stretched onto them.
      const int w = args.size.width, h = args.size.height;
      CRuntimeDC dc = FileDC(args, w, h);
      draw(dc.Handle(), 0, 0, w, h);
      dc.Finish();
      return true;
    }
    const CPaper paper = PaperOf(args);
    const RenderLayout layout = LayoutFor(args);
    // The picture first: a sheet is only begun once there is one.
    cairo_surface_t* image =
        layout.vectors ? nullptr : PictureImage(draw, layout.bitmap.width, layout.bitmap.height);
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> imageOwner(
        image, &cairo_surface_destroy);
    CRuntimeDC dc = FileDC(args, paper.WidthPt(), paper.HeightPt());
    if (layout.vectors) {
      DrawLineArtSheet(dc.Cairo(), root, view, paper, InfoFor(args));
    } else {
      CDrawingInfo info = InfoFor(args);
      info.Scale = CLineDrawing(root, view, CSheet(paper).DrawingArea()).ScaleText();
      DrawPictureSheet(dc.Cairo(), paper, info, [&](cairo_t* cr, const CRect& area) {
        // Painted plainly (not through DrawToDC's Blit, whose padded edges
        // and copy operator an SVG page can only hold by turning the whole
        // page into one picture, title block included).
        cairo_translate(cr, area.X, area.Y);
        cairo_scale(cr, area.Width / layout.bitmap.width, area.Height / layout.bitmap.height);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
      });
    }
    dc.Finish();
    return true;
  } catch (const std::exception& e) {
    err << "kelto3d render: " << PrintableText(e.what()) << '\n';
  }
  return false;
}

}  // namespace kelto::cli
