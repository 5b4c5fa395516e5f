// The viewer's main window under a private X server, used with the mouse as
// a person would: pictures of the screen, double and right clicks through
// xdotool, the panels and the tree read back.
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

#include "MainWindow.h"
#include "ModelTreePanel.h"
#include "SelectionPanel.h"
#include "ViewerFixture.h"

namespace viewer::test {
namespace {

class ViewerWindow : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    window_ = std::make_unique<MainWindow>();
    window_->resize(1000, 700);
    window_->move(0, 0);
    window_->show();
    ASSERT_TRUE(WaitFor([&] { return window_->viewWidget()->hasControl(); }))
        << window_->viewWidget()->errorText().toStdString();
  }
  void TearDown() override {
    window_.reset();
    GuiTest::TearDown();
  }

  QRect ViewRect() const {
    const Kelto3DWidget* v = window_->viewWidget();
    return QRect(v->mapToGlobal(QPoint(0, 0)), v->size());
  }
  // The view's picture once the plant is in it (an empty image otherwise).
  QImage ShownPlant(int atLeast = 300) {
    QImage shot;
    WaitFor([&] {
      shot = Grab(ViewRect());
      return PlantPixels(shot) >= atLeast;
    });
    return shot;
  }
  void Open(const char* example) {
    ASSERT_EQ(window_->openFiles({Example(example)}), 1);
    ASSERT_FALSE(ShownPlant().isNull());
  }
  // Double-clicks the plant near the middle of the view; the component.
  MainWindow::Object SelectInView(QPoint* at = nullptr) {
    const QPoint p = PlantPoint(Grab(ViewRect()));
    EXPECT_GE(p.x(), 0) << "no plant on the screen";
    if (at) *at = p;
    Click(ViewRect().topLeft() + p, 1, 2);
    WaitFor([&] { return window_->selection().size() == 1; });
    return window_->selection().value(0);
  }

  std::unique_ptr<MainWindow> window_;
};

// Opened, a double click selects a component, the panel shows it and the
// tree follows, and back; the tree's ticks hide and show; a right click
// raises its menu. (The fit is the control's, pinned off-screen.)
TEST_F(ViewerWindow, OpensAFileSelectsWithTheMouseAndShowsWhatWasPicked) {
  Open("pump-station.json");
  EXPECT_EQ(window_->modelTree()->fileCount(), 1);
  EXPECT_EQ(window_->modelTree()->componentCount(), 52);
  QPoint at;
  const MainWindow::Object picked = SelectInView(&at);
  ASSERT_TRUE(picked) << "the double click selected nothing";
  const SelectionPanel* panel = window_->selectionPanel();
  const QString id = panel->valueOf(QStringLiteral("Id"));
  EXPECT_EQ(id, viewer::GetText(picked.Get(), "Id"));
  EXPECT_TRUE(panel->valueOf(QStringLiteral("Pipeline")).contains(QStringLiteral("-P-10")));
  EXPECT_TRUE(panel->valueOf(QStringLiteral("Point Run_1")).startsWith('('));
  const auto rows = window_->modelTree()->selectedItems();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0]->text(0), id);
  QTreeWidgetItem* other = rows[0]->parent()->child(rows[0]->parent()->child(0) == rows[0]);
  window_->modelTree()->setCurrentItem(other);
  ASSERT_EQ(window_->selection().size(), 1);
  EXPECT_EQ(viewer::GetText(window_->selection()[0].Get(), "Id"), other->text(0));
  // The tree's tick boxes reach the view (what hiding does to pixels and
  // picks is the visibility tests').
  const int shown = PlantPixels(Grab(ViewRect()));
  rows[0]->parent()->setCheckState(0, Qt::Unchecked);  // as a click on its box does
  EXPECT_TRUE(WaitFor([&] {
    const int now = PlantPixels(Grab(ViewRect()));
    return now > 0 && now < shown * 9 / 10;
  })) << "the pipeline still shows, or the other one went too";
  rows[0]->parent()->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(WaitFor([&] { return PlantPixels(Grab(ViewRect())) == shown; }));

  Click(ViewRect().topLeft() + at, 3);
  ASSERT_TRUE(WaitFor([&] { return window_->popupMenu() && window_->popupMenu()->isVisible(); }));
  QStringList texts;
  for (QAction* a : window_->popupMenu()->actions()) texts << a->text();
  for (const char* wanted : {"&Centre Here", "&Select", "&Fit", "Copy &Tag", "&Properties"})
    EXPECT_TRUE(texts.contains(QString::fromLatin1(wanted))) << wanted;
  // Copy tag puts the component's id (the menu's heading) on the clipboard.
  for (QAction* a : window_->popupMenu()->actions())
    if (a->text() == QLatin1String("Copy &Tag")) a->trigger();
  EXPECT_FALSE(QApplication::clipboard()->text().isEmpty());
  EXPECT_TRUE(texts.first().startsWith(QApplication::clipboard()->text()));
}

// Dropped files open. The view exports whole in the format asked for; a
// folder that is not there is refused with the file named, and nothing is left.
TEST_F(ViewerWindow, DroppedFilesOpenAndTheViewExports) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Example("drain-spool.json")),
                QUrl::fromLocalFile(Example("steam-header.json"))});
  // What Qt delivers for a drop from a file manager: enter, then drop.
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_->viewWidget(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_->viewWidget(), &drop);
  // The control reports the drop back (DropFile, one per file).
  ASSERT_TRUE(WaitFor([&] { return window_->openFilePaths().size() == 2; }));
  EXPECT_EQ(window_->modelTree()->componentCount(), 7 + 58);
  ASSERT_FALSE(ShownPlant().isNull());

  const kelto::test::TempDir dir;
  const QString base = QString::fromStdString(dir.path().string()) + QLatin1Char('/');
  for (const auto& [name, width, start] : {std::tuple{"view.png", 640, "\x89PNG"},
                                           {"view.pdf", 300, "%PDF"},
                                           {"view.svg", 300, "<?xml"},
                                           {"missing/view.png", 300, ""}}) {
    viewer::ExportRequest r;
    r.Path = base + QString::fromLatin1(name);
    r.Format = viewer::FormatOf(r.Path);
    r.Width = width;
    r.Height = width * 9 / 16;
    QString error;
    EXPECT_EQ(window_->exportView(r, &error), *start != 0) << name << ": " << error.toStdString();
    QFile file(r.Path);
    EXPECT_EQ(file.open(QIODevice::ReadOnly) && file.read(8).startsWith(start), *start != 0)
        << name;
    EXPECT_TRUE(*start || error.contains(r.Path)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(r.Path + QStringLiteral(".part"))) << name;
  }
  const QImage png(base + QStringLiteral("view.png"));
  EXPECT_EQ(png.size(), QSize(640, 360));
  EXPECT_GT(PlantPixels(png.convertToFormat(QImage::Format_RGB32)), 200);
}

// A file changed on disk is reloaded; broken, it is reported with the place
// and the problem, and what was open stays.
TEST_F(ViewerWindow, AFileChangedOnDiskIsReloadedAndABrokenOneReported) {
  const kelto::test::TempDir dir;
  const QString path = QString::fromStdString((dir.path() / "plant.json").string());
  const auto write = [&](const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  };
  const auto example = [](const char* name) {
    QFile f(Example(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  write(example("drain-spool.json"));
  ASSERT_EQ(window_->openFiles({path}), 1);
  const auto componentsShown = [&] { return window_->modelTree()->componentCount(); };
  ASSERT_EQ(componentsShown(), 7);
  write(example("pump-station.json"));
  EXPECT_TRUE(WaitFor([&] { return componentsShown() == 52; })) << "the model follows";
  write(R"({"format":"kelto-piping","version":1,"pipelines":[{"id":"X","components":[)"
        R"({"id":"c","type":"Pipe","points":{"Run_1":{"position":[0,0]}}}]}]})");
  ASSERT_TRUE(
      WaitFor([&] { return window_->errorDialog() && window_->errorDialog()->isVisible(); }));
  EXPECT_TRUE(window_->errorDialog()->text().contains(path));
  const QString detail = window_->errorDialog()->informativeText();
  EXPECT_TRUE(detail.contains(QStringLiteral("/pipelines/0/components/0/points/Run_1/position")))
      << detail.toStdString();
  EXPECT_TRUE(detail.contains(QStringLiteral("expected 3 numbers"))) << detail.toStdString();
  EXPECT_EQ(componentsShown(), 52);
  window_->errorDialog()->close();  // it lies over the middle of the view
  ASSERT_TRUE(WaitFor([&] { return !window_->errorDialog(); }));
  EXPECT_TRUE(SelectInView()) << "the kept model answers the mouse";
  EXPECT_EQ(window_->openFilePaths(), QStringList{path});
}

TEST_F(ViewerWindow, SettingsSurviveARestart) {
  Open("drain-spool.json");
  window_->findChild<QDockWidget*>(QStringLiteral("SelectionDock"))->hide();
  const auto options = [&] {
    return viewer::GetObject(window_->viewWidget()->view(), "GraphicsOptions");
  };
  BSTR name = SysAllocString(u"AxesSize");
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = 75;
  EXPECT_GE(options().As<kelto3d::IOptions>()->put_Item(name, v), 0);
  SysFreeString(name);
  window_->close();
  window_.reset();
  window_ = std::make_unique<MainWindow>();
  window_->show();
  ASSERT_TRUE(WaitFor([&] { return window_->viewWidget()->hasControl(); }));
  EXPECT_EQ(window_->recentFiles().value(0), Example("drain-spool.json"));
  EXPECT_FALSE(window_->findChild<QDockWidget*>(QStringLiteral("SelectionDock"))->isVisible());
  EXPECT_TRUE(window_->findChild<QDockWidget*>(QStringLiteral("ModelDock"))->isVisible());
  EXPECT_EQ(viewer::Get(options().Get(), "Item", {QStringLiteral("AxesSize")}).toInt(), 75)
      << "graphics settings from the registry";
}

}  // namespace
}  // namespace viewer::test
