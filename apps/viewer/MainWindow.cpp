#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "ModelTreePanel.h"
#include "MouseBindings.h"
#include "SelectionPanel.h"
#include "platform/com/Api.h"

namespace {

constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001u);

// The ten standard views: label, what the user sees, key.
struct StandardView {
  const char* Label;
  const char* Tip;
  const char* Key;
};
constexpr StandardView kViews[10] = {
    {"NW", "Isometric, north to the top left", "1"},
    {"NE", "Isometric, north to the top right", "2"},
    {"SW", "Isometric from below the north, north to the bottom left", "3"},
    {"SE", "Isometric, north to the bottom right", "4"},
    {"Plan", "Looking down (plan)", "5"},
    {"Below", "Looking up from below", "6"},
    {"East", "Looking east", "7"},
    {"West", "Looking west", "8"},
    {"North", "Looking north", "9"},
    {"South", "Looking south", "0"},
};

BSTR RegistryKey() {
  std::u16string key;
  for (const char* c = MainWindow::kRegistryKey; *c; ++c) key.push_back(static_cast<char16_t>(*c));
  return SysAllocString(key.c_str());
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(tr("Kelto3D Viewer"));
  setObjectName(QStringLiteral("MainWindow"));
  setWindowIcon(QIcon(QStringLiteral(":/kelto3d-viewer.png")));
  m_view = new Kelto3DWidget(this);
  setCentralWidget(m_view);
  connect(m_view, &Kelto3DWidget::controlCreated, this, &MainWindow::onControlCreated);
  connect(m_view, &Kelto3DWidget::selectionChanged, this, &MainWindow::onViewSelectionChanged);
  connect(m_view, &Kelto3DWidget::popupMenuRequested, this, &MainWindow::onPopupMenu);
  connect(m_view, &Kelto3DWidget::fileDropped, this,
          [this](const QString& path) { openFiles({path}); });
  connect(m_view, &Kelto3DWidget::framePainted, this, [this](double ms) {
    m_statusFrame->setText(tr("frame %1 ms").arg(ms, 0, 'f', 1));
  });
  buildDocks();
  buildActions();

  m_statusComponents = new QLabel(this);
  m_statusFrame = new QLabel(this);
  m_statusSelection = new QLabel(this);
  statusBar()->addPermanentWidget(m_statusComponents);
  statusBar()->addPermanentWidget(m_statusFrame);
  statusBar()->addPermanentWidget(m_statusSelection);
  updateStatus();

  m_reloadTimer.setSingleShot(true);
  m_reloadTimer.setInterval(300);  // editors write in several steps
  connect(&m_reloadTimer, &QTimer::timeout, this, &MainWindow::reloadChanged);
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &MainWindow::onFileChanged);
  restoreSettings();
  resize(1200, 800);
  if (QSettings().contains(QStringLiteral("window/geometry")))
    restoreGeometry(QSettings().value(QStringLiteral("window/geometry")).toByteArray());
}

MainWindow::~MainWindow() {
  // Every object of the module goes before the control does.
  m_watcher.removePaths(m_watcher.files());
  m_selection.clear();
  m_panel->clear();
  m_tree->clearFiles();
  m_files.clear();
}

void MainWindow::buildDocks() {
  m_tree = new ModelTreePanel(this);
  m_panel = new SelectionPanel(this);
  auto* treeDock = new QDockWidget(tr("Model"), this);
  treeDock->setObjectName(QStringLiteral("ModelDock"));
  treeDock->setWidget(m_tree);
  addDockWidget(Qt::LeftDockWidgetArea, treeDock);
  auto* panelDock = new QDockWidget(tr("Selection"), this);
  panelDock->setObjectName(QStringLiteral("SelectionDock"));
  panelDock->setWidget(m_panel);
  addDockWidget(Qt::RightDockWidgetArea, panelDock);
  connect(m_tree, &ModelTreePanel::selectionPicked, this, &MainWindow::onTreeSelection);
  connect(m_tree, &ModelTreePanel::visibilityToggled, this,
          [this](Object object, bool visible) { setObjectVisible(object.Get(), visible); });
  connect(m_tree, &ModelTreePanel::typeToggled, this, &MainWindow::setObjectsVisible);
}

void MainWindow::buildActions() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Open..."), QKeySequence::Open, this, [this] { openDialog(Representation::Solid); });
  file->addAction(tr("Open as &Symbolic..."), QKeySequence(tr("Ctrl+Shift+O")), this,
                  [this] { openDialog(Representation::Symbolic); });
  m_recentMenu = file->addMenu(tr("Open &Recent"));
  file->addAction(tr("Re&load All"), QKeySequence::Refresh, this, [this] {
    for (const QString& path : openFilePaths()) reloadFile(path);
  });
  file->addAction(tr("&Close All"), this, &MainWindow::closeAllFiles);
  file->addSeparator();
  file->addAction(tr("&Export View..."), QKeySequence(tr("Ctrl+E")), this, &MainWindow::exportDialog);
  file->addAction(tr("&Copy View"), QKeySequence(tr("Ctrl+Shift+C")), this, &MainWindow::copyView);
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QToolBar* bar = addToolBar(tr("Views"));
  bar->setObjectName(QStringLiteral("ViewsToolBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (int i = 0; i < 10; ++i) {
    QAction* a = view->addAction(tr(kViews[i].Tip), this, [this, i] { standardView(i); });
    a->setShortcut(QKeySequence(QString::fromLatin1(kViews[i].Key)));
    a->setIconText(tr(kViews[i].Label));
    a->setToolTip(tr("%1 (%2)").arg(tr(kViews[i].Tip), QString::fromLatin1(kViews[i].Key)));
    bar->addAction(a);
  }
  view->addSeparator();
  bar->addSeparator();
  QAction* fit = view->addAction(tr("&Fit All"), QKeySequence(tr("F")), this, [this] {
    if (m_view->view()) m_view->view()->FitView();
  });
  QAction* fitSel = view->addAction(tr("Fit &Selection"), QKeySequence(tr("Shift+F")), this, [this] {
    if (m_view->view()) m_view->view()->FitViewToSelection();
  });
  QAction* centre = view->addAction(tr("&Centre on Selection"), QKeySequence(tr("C")), this, [this] {
    if (m_view->view()) m_view->view()->CentreViewOnSelection();
  });
  fit->setIconText(tr("Fit"));
  fitSel->setIconText(tr("Fit sel."));
  centre->setIconText(tr("Centre"));
  bar->addActions({fit, fitSel, centre});
  view->addSeparator();
  view->addAction(tr("Graphics &Options..."), this, [this] {
    if (m_view->view()) m_view->view()->OptionsDialog();
  });
  view->addAction(tr("&Mouse Bindings..."), this, &MainWindow::preferences);

  QMenu* select = menuBar()->addMenu(tr("&Selection"));
  select->addAction(tr("&Clear Selection"), QKeySequence(tr("Esc")), this, &MainWindow::clearSelection);
  select->addAction(tr("&Hide Selection"), QKeySequence(tr("H")), this, [this] {
    setObjectsVisible(m_selection, false);
    for (const Object& o : m_selection) m_tree->setChecked(o.Get(), false);
  });
  QAction* isolate = select->addAction(tr("&Isolate Selection"), QKeySequence(tr("I")), this,
                                       &MainWindow::isolateSelection);
  QAction* all = select->addAction(tr("Show &All"), QKeySequence(tr("Shift+H")), this, &MainWindow::showAll);
  isolate->setIconText(tr("Isolate"));
  all->setIconText(tr("Show all"));
  bar->addSeparator();
  bar->addActions({isolate, all});

  QMenu* panels = menuBar()->addMenu(tr("&Panels"));
  for (QDockWidget* dock : findChildren<QDockWidget*>()) panels->addAction(dock->toggleViewAction());
  panels->addAction(bar->toggleViewAction());
}

void MainWindow::standardView(int direction) {
  if (m_view->view()) m_view->view()->SetStandardViewDir(static_cast<kelto3d::StandardViewDir>(direction));
}

void MainWindow::onControlCreated() {
  if (auto* v = m_view->view()) {
    BSTR key = RegistryKey();
    v->LoadSettingsFromRegistry(kCurrentUser, key);  // E_FAIL the first time: defaults stay
    SysFreeString(key);
    viewer::MouseBindings::Load(m_view->control());
  }
  if (!m_pendingOpen.isEmpty()) {
    const QStringList paths = std::exchange(m_pendingOpen, {});
    QTimer::singleShot(0, this, [this, paths] { openFiles(paths, m_pendingRep); });
  }
}

void MainWindow::restoreSettings() {
  QSettings s;
  m_recent = s.value(QStringLiteral("files/recent")).toStringList();
  rebuildRecentMenu();
  restoreState(s.value(QStringLiteral("window/state")).toByteArray());
  m_lastExport.Width = s.value(QStringLiteral("export/width"), 1600).toInt();
  m_lastExport.Height = s.value(QStringLiteral("export/height"), 1200).toInt();
  m_lastExport.Dpi = s.value(QStringLiteral("export/dpi"), 150).toInt();
}

void MainWindow::saveSettings() {
  QSettings s;
  s.setValue(QStringLiteral("window/geometry"), saveGeometry());
  s.setValue(QStringLiteral("window/state"), saveState());
  s.setValue(QStringLiteral("files/recent"), m_recent);
  s.setValue(QStringLiteral("export/width"), m_lastExport.Width);
  s.setValue(QStringLiteral("export/height"), m_lastExport.Height);
  s.setValue(QStringLiteral("export/dpi"), m_lastExport.Dpi);
  if (auto* v = m_view->view()) {
    BSTR key = RegistryKey();
    v->SaveSettingsToRegistry(kCurrentUser, key);
    SysFreeString(key);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  saveSettings();
  if (m_popup) m_popup->close();
  if (m_errorBox) m_errorBox->close();
  event->accept();
}

void MainWindow::updateStatus() {
  LONG hidden = 0;
  if (const auto visibility = Object(m_view->control()).As<kelto3d::IPipeline3DViewVisibility>())
    visibility->GetHiddenCount(&hidden);
  QString components = tr("%n component(s)", "", m_tree->componentCount());
  if (hidden > 0) components += tr(", %n part(s) hidden", "", hidden);
  m_statusComponents->setText(components);
  m_statusSelection->setText(tr("%n selected", "", static_cast<int>(m_selection.size())));
  if (m_statusFrame->text().isEmpty()) m_statusFrame->setText(tr("frame - ms"));
}
