// Pictures of the view: files (PNG, PDF, SVG) and images for the clipboard,
// drawn by the control's DrawToDC into device contexts that the runtime
// makes (its C functions below, exported by libkelto3d-runtime.so).
#pragma once

#include <QImage>
#include <QString>

#include "kelto3d/View.h"

extern "C" {
UINT KeltoCreateImageDC(int width, int height);
UINT KeltoCreateFileDC(const char* path, int kind, double width, double height);
HRESULT KeltoGetDCPixels(UINT hdc, BYTE* buffer, UINT bufferSize);
HRESULT KeltoDeleteDC(UINT hdc);
}

namespace viewer {

enum class ExportFormat { Png = 1, Pdf = 2, Svg = 3 };

struct ExportRequest {
  QString Path;
  ExportFormat Format = ExportFormat::Png;
  int Width = 1600;   // pixels of the picture
  int Height = 1200;
  int Dpi = 150;      // PDF and SVG: the page is Width x Height at this resolution
  int Background = 0;  // 0x00BBGGRR
  double AxesScale = 1.0;
};

// The format a file name asks for (by its suffix); PNG when it names none.
ExportFormat FormatOf(const QString& path);
// Draws the view into the file. The file appears complete or not at all (it
// is written beside and renamed); false with *error naming file and reason.
bool ExportView(kelto3d::IPipeline3DViewCtrl* view, const ExportRequest& request, QString* error);
// The view as an image of this size (null image on failure).
QImage RenderView(kelto3d::IPipeline3DViewCtrl* view, int width, int height, int background,
                  double axesScale = 1.0);

}  // namespace viewer
