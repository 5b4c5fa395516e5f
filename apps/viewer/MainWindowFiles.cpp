// Opening, reloading and closing files; recent files.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>

#include "MainWindow.h"
#include "ModelTreePanel.h"
#include "SelectionPanel.h"

namespace {
constexpr int kMaxRecent = 10;
const char* RepName(MainWindow::Representation r) {
  return r == MainWindow::Representation::Symbolic ? "symbolic" : "solid";
}
}  // namespace

QStringList MainWindow::openFilePaths() const {
  QStringList paths;
  for (const OpenFile& f : m_files) paths << f.Path;
  return paths;
}

void MainWindow::openDialog(Representation representation) {
  const QStringList paths = QFileDialog::getOpenFileNames(
      this, representation == Representation::Symbolic ? tr("Open as Symbolic") : tr("Open"),
      m_recent.isEmpty() ? QDir::currentPath() : QFileInfo(m_recent.first()).path(),
      tr("Piping files (*.json *.pcf);;All files (*)"));
  if (!paths.isEmpty()) openFiles(paths, representation);
}

int MainWindow::openFiles(const QStringList& paths, Representation representation) {
  if (!m_view->view()) {
    // The view is made when the window is first shown; open then.
    m_pendingOpen += paths;
    m_pendingRep = representation;
    return 0;
  }
  int opened = 0;
  QProgressDialog progress(tr("Opening files..."), tr("Cancel"), 0, 2 * paths.size(), this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  for (int i = 0; i < paths.size() && !progress.wasCanceled(); ++i) {
    progress.setValue(2 * i);
    progress.setLabelText(tr("Opening %1...").arg(QFileInfo(paths[i]).fileName()));
    const QString path = QFileInfo(paths[i]).absoluteFilePath();
    if (openFilePaths().contains(path)) {
      opened += reloadFile(path) ? 1 : 0;
      continue;
    }
    opened += loadOne(path, representation, &progress) ? 1 : 0;
  }
  progress.setValue(2 * paths.size());
  updateStatus();
  return opened;
}

bool MainWindow::loadOne(const QString& path, Representation representation, QProgressDialog* progress) {
  QElapsedTimer timer;
  timer.start();
  const Object file = viewer::Create("Kelto.File");
  if (!file) {
    reportLoadFailure(path, tr("The piping-data module (Kelto.File) is not available."));
    return false;
  }
  const viewer::CallResult loaded = viewer::Call(file.Get(), "Load", {QDir::toNativeSeparators(path)});
  if (!loaded.Ok()) {
    reportLoadFailure(path, loaded.Error);
    return false;
  }
  // Read: the last chance to cancel this file before its model is built.
  if (progress) {
    progress->setValue(progress->value() + 1);
    progress->setLabelText(tr("Building the model of %1...").arg(QFileInfo(path).fileName()));
    QApplication::processEvents();
    if (progress->wasCanceled()) return false;
  }
  const viewer::CallResult added = viewer::Call(m_view->control(), "AddKeltoFile",
                                                {file.Get(), static_cast<int>(representation)});
  if (!added.Ok()) {
    reportLoadFailure(path, added.Error);
    return false;
  }
  m_files.append(OpenFile{path, representation, file});
  m_tree->addFile(path, tr(RepName(representation)), file.Get());
  m_watcher.addPath(path);
  addRecent(path);
  statusBar()->showMessage(tr("Opened %1 in %2 s").arg(QFileInfo(path).fileName()).arg(timer.elapsed() / 1000.0, 0, 'f', 1));
  return true;
}

void MainWindow::reportLoadFailure(const QString& path, const QString& description) {
  // Not modal for the application: the view and every open file stay usable.
  if (m_errorBox) m_errorBox->close();
  auto* box = new QMessageBox(QMessageBox::Warning, tr("Cannot open file"),
                              tr("Cannot open %1").arg(QDir::toNativeSeparators(path)),
                              QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("LoadErrorDialog"));
  box->setInformativeText(description.isEmpty() ? tr("The file could not be read.") : description);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  m_errorBox = box;
  statusBar()->showMessage(tr("Cannot open %1").arg(QFileInfo(path).fileName()), 5000);
}

bool MainWindow::reloadFile(const QString& path) {
  for (OpenFile& f : m_files) {
    if (f.Path != path) continue;
    // A failed load keeps the file's previous contents, and so the view.
    const viewer::CallResult loaded = viewer::Call(f.File.Get(), "Load", {QDir::toNativeSeparators(path)});
    if (!loaded.Ok()) {
      reportLoadFailure(path, loaded.Error);
      return false;
    }
    viewer::Call(m_view->control(), "Update", {f.File.Get(), static_cast<int>(f.Rep)});
    m_tree->addFile(path, tr(RepName(f.Rep)), f.File.Get());
    refreshSelection();
    statusBar()->showMessage(tr("Reloaded %1").arg(QFileInfo(path).fileName()), 3000);
    return true;
  }
  return false;
}

void MainWindow::closeAllFiles() {
  if (m_view->view()) m_view->view()->UnselectAll();
  for (const OpenFile& f : m_files) viewer::Call(m_view->control(), "RemoveKeltoFile", {f.File.Get()});
  if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
  m_tree->clearFiles();
  m_files.clear();
  refreshSelection();
}

void MainWindow::onFileChanged(const QString& path) {
  if (!m_changed.contains(path)) m_changed << path;
  m_reloadTimer.start();
}

void MainWindow::reloadChanged() {
  for (const QString& path : std::exchange(m_changed, {})) {
    // Editors that save by renaming end the watch: watch the new file.
    if (QFileInfo::exists(path)) {
      m_watcher.addPath(path);
      reloadFile(path);
    }
  }
}

void MainWindow::addRecent(const QString& path) {
  m_recent.removeAll(path);
  m_recent.prepend(path);
  while (m_recent.size() > kMaxRecent) m_recent.removeLast();
  rebuildRecentMenu();
}

void MainWindow::rebuildRecentMenu() {
  m_recentMenu->clear();
  for (const QString& path : m_recent)
    m_recentMenu->addAction(QDir::toNativeSeparators(path), this, [this, path] { openFiles({path}); });
  m_recentMenu->setEnabled(!m_recent.isEmpty());
}
