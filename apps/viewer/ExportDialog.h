// The export dialog: file (its suffix picks PNG, PDF or SVG), picture size
// in pixels, resolution of PDF and SVG pages, background.
#pragma once

#include <QDialog>

#include "ViewExport.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

class ExportDialog : public QDialog {
  Q_OBJECT

 public:
  ExportDialog(const viewer::ExportRequest& last, const QSize& viewSize, QWidget* parent = nullptr);
  viewer::ExportRequest request() const;

 private:
  QLineEdit* m_path;
  QSpinBox* m_width;
  QSpinBox* m_height;
  QSpinBox* m_dpi;
  QCheckBox* m_white;
};
