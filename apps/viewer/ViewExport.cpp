#include "ViewExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

#include "Automation.h"

namespace viewer {

ExportFormat FormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pdf")) return ExportFormat::Pdf;
  if (suffix == QLatin1String("svg")) return ExportFormat::Svg;
  return ExportFormat::Png;
}

bool ExportView(kelto3d::IPipeline3DViewCtrl* view, const ExportRequest& r, QString* error) {
  const auto fail = [&](const QString& why) {
    if (error) *error = QObject::tr("Cannot export to %1: %2").arg(QDir::toNativeSeparators(r.Path), why);
    return false;
  };
  if (!view) return fail(QObject::tr("there is no view."));
  if (r.Width < 1 || r.Height < 1 || r.Width > 16384 || r.Height > 16384)
    return fail(QObject::tr("the size must be 1 to 16384 pixels a side."));
  // Written beside the target and renamed at the end: a failed export never
  // leaves a torn file, nor spoils one that was there.
  const QString part = r.Path + QStringLiteral(".part");
  double w = r.Width, h = r.Height;
  if (r.Format != ExportFormat::Png) {
    w = r.Width * 72.0 / r.Dpi;  // points
    h = r.Height * 72.0 / r.Dpi;
  }
  const UINT hdc = KeltoCreateFileDC(QFile::encodeName(part).constData(), static_cast<int>(r.Format), w, h);
  if (!hdc) {
    const QString why = TakeErrorDescription();
    return fail(why.isEmpty() ? QObject::tr("the file cannot be created.") : why);
  }
  const HRESULT drawn = view->DrawToDC(static_cast<LONG>(hdc), 0, 0, static_cast<LONG>(w), static_cast<LONG>(h),
                                       r.Background, r.AxesScale, r.Width, r.Height, VARIANT_FALSE);
  QString why = drawn < 0 ? TakeErrorDescription() : QString();
  const HRESULT finished = KeltoDeleteDC(hdc);
  if (drawn >= 0 && finished < 0) why = TakeErrorDescription();
  if (drawn < 0 || finished < 0) {
    QFile::remove(part);
    return fail(why.isEmpty() ? QObject::tr("the view could not be drawn.") : why);
  }
  QFile::remove(r.Path);
  if (!QFile::rename(part, r.Path)) {
    QFile::remove(part);
    return fail(QObject::tr("the file cannot be replaced."));
  }
  return true;
}

QImage RenderView(kelto3d::IPipeline3DViewCtrl* view, int width, int height, int background,
                  double axesScale) {
  if (!view || width < 1 || height < 1) return {};
  const UINT hdc = KeltoCreateImageDC(width, height);
  if (!hdc) return {};
  QImage image;
  if (view->DrawToDC(static_cast<LONG>(hdc), 0, 0, width, height, background, axesScale, width,
                     height, VARIANT_FALSE) >= 0) {
    // Rows top first, B, G, R, 255: QImage's ARGB32 on a little-endian machine.
    std::vector<BYTE> pixels(static_cast<std::size_t>(width) * height * 4);
    if (KeltoGetDCPixels(hdc, pixels.data(), static_cast<UINT>(pixels.size())) >= 0)
      image = QImage(pixels.data(), width, height, width * 4, QImage::Format_ARGB32).copy();
  }
  KeltoDeleteDC(hdc);
  return image;
}

}  // namespace viewer
