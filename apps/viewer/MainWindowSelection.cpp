// Selection in step between view, tree and panel; the view's popup menu;
// visibility; pictures of the view.
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

#include "ExportDialog.h"
#include "MainWindow.h"
#include "ModelTreePanel.h"
#include "MouseBindings.h"
#include "SelectionPanel.h"

namespace {

// The objects of a PipeItems collection (1-based), in order.
QList<MainWindow::Object> ItemsOf(IUnknown* items) {
  QList<MainWindow::Object> out;
  const int n = viewer::Get(items, "Count").toInt();
  for (int i = 1; i <= n; ++i)
    if (auto o = viewer::GetObject(items, "Item", {i})) out.append(o);
  return out;
}

}  // namespace

void MainWindow::refreshSelection() {
  m_selection.clear();
  if (auto* v = m_view->view()) {
    kelto3d::IPipeItems* items = nullptr;
    if (v->get_SelectedItems(&items) >= 0 && items) {
      m_selection = ItemsOf(items);
      items->Release();
    }
  }
  m_panel->showObjects(m_selection);
  m_tree->showSelection(m_selection);
  updateStatus();
}

void MainWindow::clearSelection() {
  if (m_view->view()) m_view->view()->UnselectAll();
  refreshSelection();
}

void MainWindow::onViewSelectionChanged() {
  // One event per change: the collection is read once the burst is over.
  QTimer::singleShot(0, this, &MainWindow::refreshSelection);
}

void MainWindow::onTreeSelection(const QList<Object>& objects) {
  auto* v = m_view->view();
  if (!v) return;
  v->UnselectAll();
  for (const Object& o : objects)
    if (auto d = o.As<IDispatch>()) v->Select(d.Get());
  refreshSelection();
}

template <class F>
void MainWindow::withSelection(const QList<Object>& objects, F&& body) {
  auto* v = m_view->view();
  if (!v) return;
  // Select and Unselect fire no events: the user's selection comes back
  // without a flicker in the panels.
  v->UnselectAll();
  for (const Object& o : objects)
    if (auto d = o.As<IDispatch>()) v->Select(d.Get());
  body(v);
  v->UnselectAll();
  for (const Object& o : m_selection)
    if (auto d = o.As<IDispatch>()) v->Select(d.Get());
}

void MainWindow::onPopupMenu(const QPoint& pos, Object items) {
  const QList<Object> picked = ItemsOf(items.Get());
  if (m_popup) m_popup->close();
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("ViewPopupMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const Object first = picked.isEmpty() ? Object() : picked.first();
  if (first) {
    const QString id = viewer::GetText(first.Get(), "Id");
    const QString type = viewer::GetText(viewer::GetObject(first.Get(), "Details").Get(), "TypeName");
    menu->addSection(type.isEmpty() ? id : tr("%1 (%2)").arg(id, type));
    menu->addAction(tr("&Centre Here"), this, [this, first] {
      withSelection({first}, [](kelto3d::IPipeline3DViewCtrl* v) { v->CentreViewOnSelection(); });
    });
    menu->addAction(tr("&Select"), this, [this, first] { onTreeSelection({first}); });
    menu->addAction(tr("&Fit"), this, [this, first] {
      withSelection({first}, [](kelto3d::IPipeline3DViewCtrl* v) { v->FitViewToSelection(); });
    });
    menu->addAction(tr("Copy &Tag"), this, [id] { QApplication::clipboard()->setText(id); });
    menu->addAction(tr("&Properties"), this, [this, first] {
      onTreeSelection({first});
      if (auto* dock = qobject_cast<QDockWidget*>(m_panel->parentWidget())) {
        dock->show();
        dock->raise();
      }
    });
    menu->addSeparator();
    menu->addAction(tr("&Hide"), this, [this, first] { setObjectVisible(first.Get(), false); });
  } else {
    menu->addSection(tr("Nothing here"));
  }
  menu->addAction(tr("&Isolate Selection"), this, &MainWindow::isolateSelection)->setEnabled(!m_selection.isEmpty());
  menu->addAction(tr("Show &All"), this, &MainWindow::showAll);
  menu->addAction(tr("Fit A&ll"), this, [this] {
    if (m_view->view()) m_view->view()->FitView();
  });
  // Shown without a nested event loop: the event came from inside the
  // control's pump.
  menu->popup(m_view->mapToGlobal(pos));
  m_popup = menu;
}

bool MainWindow::setObjectVisible(IUnknown* object, bool visible) {
  const auto visibility = Object(m_view->control()).As<kelto3d::IPipeline3DViewVisibility>();
  if (!visibility || !object) return false;
  const HRESULT hr = visibility->SetVisible(object, visible ? VARIANT_TRUE : VARIANT_FALSE);
  m_tree->setChecked(object, visible);
  updateStatus();
  return hr == S_OK;
}

void MainWindow::setObjectsVisible(const QList<Object>& objects, bool visible) {
  const auto visibility = Object(m_view->control()).As<kelto3d::IPipeline3DViewVisibility>();
  if (!visibility) return;
  std::vector<IUnknown*> raw;
  for (const Object& o : objects) raw.push_back(o.Get());
  visibility->SetVisibleMany(static_cast<LONG>(raw.size()), raw.data(), visible ? VARIANT_TRUE : VARIANT_FALSE);
  updateStatus();
}

void MainWindow::isolateSelection() {
  const auto visibility = Object(m_view->control()).As<kelto3d::IPipeline3DViewVisibility>();
  if (!visibility || m_selection.isEmpty()) return;
  visibility->IsolateSelection();
  // The tree shows what is drawn: every row ticked as the view says.
  m_tree->setAllChecked(true);
  for (int i = 0; i < m_tree->fileCount(); ++i) {
    QList<QTreeWidgetItem*> rows{m_tree->topLevelItem(i)};
    while (!rows.isEmpty()) {
      QTreeWidgetItem* row = rows.takeLast();
      VARIANT_BOOL shown = VARIANT_TRUE;
      visibility->GetVisible(m_tree->objectOf(row), &shown);
      if (!shown) {
        m_tree->setChecked(m_tree->objectOf(row), false);
        continue;
      }
      for (int c = 0; c < row->childCount(); ++c) rows.append(row->child(c));
    }
  }
  updateStatus();
}

void MainWindow::showAll() {
  if (const auto visibility = Object(m_view->control()).As<kelto3d::IPipeline3DViewVisibility>())
    visibility->ShowAll();
  m_tree->setAllChecked(true);
  updateStatus();
}

bool MainWindow::exportView(const viewer::ExportRequest& request, QString* error) {
  return viewer::ExportView(m_view->view(), request, error);
}

void MainWindow::exportDialog() {
  ExportDialog dialog(m_lastExport, m_view->size(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  m_lastExport = dialog.request();
  QString error;
  if (exportView(m_lastExport, &error))
    statusBar()->showMessage(tr("Exported %1").arg(m_lastExport.Path), 5000);
  else
    QMessageBox::warning(this, tr("Export"), error);
}

void MainWindow::copyView() {
  const QSize size = m_view->size() * 2;  // sharper than the screen for documents
  const QImage image = viewer::RenderView(m_view->view(), size.width(), size.height(), 0xFFFFFF);
  if (image.isNull()) {
    statusBar()->showMessage(tr("The view could not be copied."), 5000);
    return;
  }
  QApplication::clipboard()->setImage(image);
  statusBar()->showMessage(tr("View copied (%1 x %2)").arg(size.width()).arg(size.height()), 3000);
}

void MainWindow::preferences() {
  viewer::MouseBindingsDialog dialog(m_view->control(), this);
  dialog.exec();
}
