// The viewer's main window: the 3D view in the middle, the model tree and
// the selection panel docked beside it, a toolbar of the standard views and
// a status bar (components, frame time, selection).
//
// Files: each opened file is one KeltoFile object shown solid or symbolic;
// a file that fails to load is reported in a dialog (file, place, problem)
// and everything already open stays. Files are watched and reloaded
// (Update) when they change on disk.
//
// Settings: the window's layout, the recent files, the export size and the
// mouse bindings in the viewer's settings file; the graphics settings with
// the view's own SaveSettingsToRegistry under the user's key. Saved on
// close, restored on start.
#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "Automation.h"
#include "Kelto3DWidget.h"
#include "ViewExport.h"

class QLabel;
class QProgressDialog;
class ModelTreePanel;
class SelectionPanel;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  using Object = viewer::ComPtr<IUnknown>;
  enum class Representation { Solid = 0, Symbolic = 1 };

  // The registry key (below the current user) of the graphics settings.
  static constexpr const char* kRegistryKey = "Software\\Kelto3D\\Viewer";

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens files (one progress dialog for all of them, cancel between steps).
  // Files already open are reloaded instead. Returns how many opened.
  int openFiles(const QStringList& paths, Representation representation = Representation::Solid);
  // Reloads a file from disk and refreshes its model (Update).
  bool reloadFile(const QString& path);
  void closeAllFiles();
  QStringList openFilePaths() const;
  QStringList recentFiles() const { return m_recent; }

  bool exportView(const viewer::ExportRequest& request, QString* error);

  // The parts, for tests and for embedding applications.
  Kelto3DWidget* viewWidget() const { return m_view; }
  ModelTreePanel* modelTree() const { return m_tree; }
  SelectionPanel* selectionPanel() const { return m_panel; }
  // The popup menu last shown for the view (null when none is open).
  QMenu* popupMenu() const { return m_popup; }
  // The error dialog last shown (null when none is open).
  QMessageBox* errorDialog() const { return m_errorBox; }
  QList<Object> selection() const { return m_selection; }

  // Empties the selection in the view and the panels.
  void clearSelection();

  // Visibility through the view's visibility interface.
  bool setObjectVisible(IUnknown* object, bool visible);
  void setObjectsVisible(const QList<Object>& objects, bool visible);
  void isolateSelection();
  void showAll();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct OpenFile {
    QString Path;
    Representation Rep = Representation::Solid;
    Object File;
  };

  void buildActions();
  void buildDocks();
  void restoreSettings();
  void saveSettings();
  void onControlCreated();
  // Loads one file; on failure reports it and returns false.
  // With a progress dialog: a cancel between reading and building skips
  // the file.
  bool loadOne(const QString& path, Representation representation, QProgressDialog* progress = nullptr);
  void reportLoadFailure(const QString& path, const QString& description);
  void addRecent(const QString& path);
  void rebuildRecentMenu();
  void onFileChanged(const QString& path);
  void reloadChanged();

  void onViewSelectionChanged();
  void onTreeSelection(const QList<Object>& objects);
  void onPopupMenu(const QPoint& pos, Object items);
  void refreshSelection();
  void updateStatus();
  // Runs body with the control's selection set to objects, then restores
  // the user's selection (the fits and centring work on the selection).
  template <class F>
  void withSelection(const QList<Object>& objects, F&& body);

  void openDialog(Representation representation);
  void exportDialog();
  void copyView();
  void preferences();
  void standardView(int direction);

  Kelto3DWidget* m_view = nullptr;
  ModelTreePanel* m_tree = nullptr;
  SelectionPanel* m_panel = nullptr;
  QMenu* m_recentMenu = nullptr;
  QLabel* m_statusComponents = nullptr;
  QLabel* m_statusFrame = nullptr;
  QLabel* m_statusSelection = nullptr;
  QPointer<QMenu> m_popup;
  QPointer<QMessageBox> m_errorBox;

  QList<OpenFile> m_files;
  QStringList m_recent;
  QList<Object> m_selection;
  QFileSystemWatcher m_watcher;
  QStringList m_changed;
  QTimer m_reloadTimer;
  QStringList m_pendingOpen;  // opened before the view existed
  Representation m_pendingRep = Representation::Solid;
  viewer::ExportRequest m_lastExport;
};
