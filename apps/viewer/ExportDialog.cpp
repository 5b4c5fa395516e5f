#include "ExportDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

ExportDialog::ExportDialog(const viewer::ExportRequest& last, const QSize& viewSize, QWidget* parent)
    : QDialog(parent),
      m_path(new QLineEdit(last.Path.isEmpty() ? QDir::home().filePath(QStringLiteral("view.png")) : last.Path)),
      m_width(new QSpinBox),
      m_height(new QSpinBox),
      m_dpi(new QSpinBox),
      m_white(new QCheckBox(tr("White background"))) {
  setWindowTitle(tr("Export View"));
  for (QSpinBox* box : {m_width, m_height}) {
    box->setRange(1, 16384);
    box->setSuffix(tr(" px"));
  }
  m_width->setValue(last.Width);
  m_height->setValue(last.Height);
  m_dpi->setRange(36, 1200);
  m_dpi->setValue(last.Dpi);
  m_dpi->setSuffix(tr(" dpi"));
  m_white->setChecked(last.Background == 0xFFFFFF);
  auto* browse = new QPushButton(tr("&Browse..."));
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), m_path->text(),
                                                      tr("PNG image (*.png);;PDF page (*.pdf);;SVG drawing (*.svg)"));
    if (!path.isEmpty()) m_path->setText(path);
  });
  auto* asView = new QPushButton(tr("As the &view"));
  connect(asView, &QPushButton::clicked, this, [this, viewSize] {
    m_width->setValue(viewSize.width());
    m_height->setValue(viewSize.height());
  });
  auto* file = new QHBoxLayout;
  file->addWidget(m_path);
  file->addWidget(browse);
  auto* size = new QHBoxLayout;
  size->addWidget(m_width);
  size->addWidget(m_height);
  size->addWidget(asView);
  auto* form = new QFormLayout(this);
  form->addRow(tr("&File:"), file);
  form->addRow(tr("&Size:"), size);
  form->addRow(tr("PDF/SVG &resolution:"), m_dpi);
  form->addRow(QString(), m_white);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

viewer::ExportRequest ExportDialog::request() const {
  viewer::ExportRequest r;
  r.Path = m_path->text();
  r.Format = viewer::FormatOf(r.Path);
  r.Width = m_width->value();
  r.Height = m_height->value();
  r.Dpi = m_dpi->value();
  r.Background = m_white->isChecked() ? 0xFFFFFF : 0;
  return r;
}
