#include "RenderSheet.h"

#include "core/PrintableText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

#include "platform/dc/DeviceContext.h"
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

// The bitmap as a cairo image, rows top-down.
cairo_surface_t* ImageOf(kelto::gl::CGLDIBSurface& surface) {
  const std::uint8_t* bits = surface.Bits();
  const int w = surface.Width(), h = surface.Height();
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_surface_flush(image);
  std::uint8_t* out = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  // BGRX bytes are cairo's native xRGB words on the little-endian machines
  // this runs on.
  for (int y = 0; out && y < h; ++y)
    std::memcpy(out + std::size_t(y) * stride, bits + std::size_t(h - 1 - y) * surface.Stride(),
                std::size_t(w) * 4);
  cairo_surface_mark_dirty(image);
  return image;
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

bool WriteRendering(kelto::gl::CGLDIBSurface& surface, const CModelNode& root,
                    const CViewState& view, const RenderArgs& args, std::ostream& err) {
  using kelto::dc::CDeviceContext;
  try {
    if (!args.paper) {
      // PDF and SVG pages take the picture's size in points, one pixel a
      // point; the bitmap is stretched onto them.
      const int w = args.size.width, h = args.size.height;
      CDeviceContext dc =
          args.format == PictureFormat::Png   ? CDeviceContext::CreatePng(args.output, w, h)
          : args.format == PictureFormat::Pdf ? CDeviceContext::CreatePdf(args.output, w, h)
                                              : CDeviceContext::CreateSvg(args.output, w, h);
      surface.Blit(dc.Cairo(), 0, 0, w, h);
      if (dc.Finish()) return true;
      err << "kelto3d render: " << PrintableText(dc.Error()) << '\n';
      return false;
    }
    const CPaper paper = PaperOf(args);
    CDeviceContext dc =
        args.format == PictureFormat::Pdf
            ? CDeviceContext::CreatePdf(args.output, paper.WidthPt(), paper.HeightPt())
            : CDeviceContext::CreateSvg(args.output, paper.WidthPt(), paper.HeightPt());
    if (args.model.representation == Representation::Symbolic) {
      DrawLineArtSheet(dc.Cairo(), root, view, paper, InfoFor(args));
    } else {
      CDrawingInfo info = InfoFor(args);
      info.Scale = CLineDrawing(root, view, CSheet(paper).DrawingArea()).ScaleText();
      DrawPictureSheet(dc.Cairo(), paper, info, [&](cairo_t* cr, const CRect& area) {
        // Painted plainly (not through Blit, whose padded edges and copy
        // operator an SVG page can only hold by turning the whole page into
        // one picture, title block included).
        cairo_surface_t* image = ImageOf(surface);
        cairo_translate(cr, area.X, area.Y);
        cairo_scale(cr, area.Width / surface.Width(), area.Height / surface.Height());
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(image);
      });
    }
    if (dc.Finish()) return true;
    err << "kelto3d render: " << PrintableText(dc.Error()) << '\n';
  } catch (const std::exception& e) {
    err << "kelto3d render: " << PrintableText(e.what()) << '\n';
  }
  return false;
}

}  // namespace kelto::cli
