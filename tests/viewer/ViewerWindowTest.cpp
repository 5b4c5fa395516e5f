// The viewer's main window under a private X server, used with the mouse as
// a person would: pictures of the screen, double and right clicks through
// xdotool, the panels and the tree read back.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QUrl>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMessageBox>

#include "MainWindow.h"
#include "ModelTreePanel.h"
#include "SelectionPanel.h"
#include "ViewerFixture.h"
#include "support/TempDir.h"

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
    DoubleClick(ViewRect().topLeft() + p);
    WaitFor([&] { return window_->selection().size() == 1; });
    return window_->selection().value(0);
  }

  std::unique_ptr<MainWindow> window_;
};

TEST_F(ViewerWindow, OpensAFileAndShowsThePlantInFrame) {
  Open("pump-station.json");
  const QImage shot = Grab(ViewRect());
  // In frame: the plant reaches neither the top nor the bottom edge.
  QRect box;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 70; x < shot.width(); ++x)
      if (qGreen(shot.pixel(x, y)) > 100) box |= QRect(x, y, 1, 1);
  EXPECT_GT(box.width(), shot.width() / 3) << "the fitted plant fills the view";
  EXPECT_GT(box.top(), 0);
  EXPECT_LT(box.bottom(), shot.height() - 1);
  EXPECT_EQ(window_->modelTree()->fileCount(), 1);
  EXPECT_EQ(window_->modelTree()->componentCount(), 52);
}

TEST_F(ViewerWindow, DoubleClickSelectsAndThePanelShowsTheComponent) {
  Open("pump-station.json");
  const MainWindow::Object picked = SelectInView();
  ASSERT_TRUE(picked) << "the double click selected nothing";
  const SelectionPanel* panel = window_->selectionPanel();
  const QString id = panel->valueOf(QStringLiteral("Id"));
  EXPECT_EQ(id, viewer::GetText(picked.Get(), "Id"));
  EXPECT_FALSE(panel->valueOf(QStringLiteral("Type")).isEmpty());
  EXPECT_TRUE(panel->valueOf(QStringLiteral("Pipeline")).startsWith(QStringLiteral("8-P-101")) ||
              panel->valueOf(QStringLiteral("Pipeline")).startsWith(QStringLiteral("6-P-102")));
  // End points with their positions, read from the piping object.
  EXPECT_TRUE(panel->valueOf(QStringLiteral("Point Run_1")).startsWith('('));
  // The tree follows: the component's row is the selected one.
  const auto rows = window_->modelTree()->selectedItems();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0]->text(0), id);
  // And back: choosing another row selects that component in the view.
  QTreeWidgetItem* other = rows[0]->parent()->child(0) == rows[0] ? rows[0]->parent()->child(1)
                                                                  : rows[0]->parent()->child(0);
  window_->modelTree()->setCurrentItem(other);
  ASSERT_EQ(window_->selection().size(), 1);
  EXPECT_EQ(viewer::GetText(window_->selection()[0].Get(), "Id"), other->text(0));
}

TEST_F(ViewerWindow, RightClickOpensThePopupMenuOfThePickedComponent) {
  Open("pump-station.json");
  const QPoint p = PlantPoint(Grab(ViewRect()));
  Click(ViewRect().topLeft() + p, 3);
  ASSERT_TRUE(WaitFor([&] { return window_->popupMenu() && window_->popupMenu()->isVisible(); }));
  QMenu* menu = window_->popupMenu();
  QStringList texts;
  for (QAction* a : menu->actions()) texts << a->text();
  for (const char* wanted : {"&Centre Here", "&Select", "&Fit", "Copy &Tag", "&Properties"})
    EXPECT_TRUE(texts.contains(QString::fromLatin1(wanted))) << wanted;
  // Copy tag puts the component's id (the menu's heading) on the clipboard.
  for (QAction* a : menu->actions())
    if (a->text() == QLatin1String("Copy &Tag")) a->trigger();
  EXPECT_TRUE(texts.first().startsWith(QApplication::clipboard()->text()));
  EXPECT_FALSE(QApplication::clipboard()->text().isEmpty());
}

TEST_F(ViewerWindow, UntickingAPipelineHidesItsPixelsAndItsPicks) {
  Open("pump-station.json");
  const QImage before = Grab(ViewRect());
  QPoint at;
  const MainWindow::Object picked = SelectInView(&at);
  ASSERT_TRUE(picked);
  ModelTreePanel* tree = window_->modelTree();
  QTreeWidgetItem* pipeline = tree->itemFor(picked.Get())->parent();
  pipeline->setCheckState(0, Qt::Unchecked);  // as a click on its box does
  window_->clearSelection();

  QImage after;
  ASSERT_TRUE(WaitFor([&] {
    after = Grab(ViewRect());
    return PlantPixels(after) < PlantPixels(before) * 9 / 10;
  })) << "the pipeline still shows";
  EXPECT_GT(PlantPixels(after), 0) << "the other pipeline stays";
  EXPECT_LT(qGreen(after.pixel(at)), 50) << "the picked spot shows the background";
  // A double click where the pipeline was finds nothing.
  DoubleClick(ViewRect().topLeft() + at);
  WaitFor([&] { return !window_->selection().isEmpty(); }, 1500);
  EXPECT_TRUE(window_->selection().isEmpty());

  // Ticked again, it is drawn again as before.
  pipeline->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(WaitFor([&] { return PlantPixels(Grab(ViewRect())) == PlantPixels(before); }));
}

TEST_F(ViewerWindow, ExportWritesTheRequestedSizeAndFormat) {
  Open("steam-header.json");
  const kelto::test::TempDir dir;
  const QString base = QString::fromStdString(dir.path().string());
  struct Case {
    const char* Name;
    int Width, Height;
    QByteArray Start;  // how the file begins
  };
  for (const Case& c : {Case{"view.png", 640, 360, "\x89PNG"}, Case{"view.pdf", 300, 200, "%PDF"},
                        Case{"view.svg", 300, 200, "<?xml"}}) {
    viewer::ExportRequest r;
    r.Path = base + QLatin1Char('/') + QString::fromLatin1(c.Name);
    r.Format = viewer::FormatOf(r.Path);
    r.Width = c.Width;
    r.Height = c.Height;
    QString error;
    ASSERT_TRUE(window_->exportView(r, &error)) << c.Name << ": " << error.toStdString();
    QFile file(r.Path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.Name;
    EXPECT_TRUE(file.read(8).startsWith(c.Start)) << c.Name;
    EXPECT_FALSE(QFile::exists(r.Path + QStringLiteral(".part"))) << c.Name;
  }
  const QImage png(base + QStringLiteral("/view.png"));
  EXPECT_EQ(png.size(), QSize(640, 360));
  EXPECT_GT(PlantPixels(png.convertToFormat(QImage::Format_RGB32)), 200);

  // A folder that is not there: refused with the file named, nothing left.
  viewer::ExportRequest bad;
  bad.Path = base + QStringLiteral("/missing/view.png");
  QString error;
  EXPECT_FALSE(window_->exportView(bad, &error));
  EXPECT_TRUE(error.contains(bad.Path)) << error.toStdString();
  EXPECT_FALSE(QFile::exists(bad.Path));
}

TEST_F(ViewerWindow, ABrokenFileIsReportedAndWhatWasOpenStays) {
  Open("pump-station.json");
  const kelto::test::TempDir dir;
  const QString broken = QString::fromStdString((dir.path() / "broken.json").string());
  QFile f(broken);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(R"({"format":"kelto-piping","version":1,"pipelines":[{"id":"X","components":[)"
          R"({"id":"c","type":"Pipe","points":{"Run_1":{"position":[0,0]}}}]}]})");
  f.close();

  EXPECT_EQ(window_->openFiles({broken}), 0);
  ASSERT_TRUE(window_->errorDialog());
  EXPECT_TRUE(window_->errorDialog()->isVisible());
  EXPECT_TRUE(window_->errorDialog()->text().contains(broken));
  // The place in the file and the problem.
  const QString detail = window_->errorDialog()->informativeText();
  EXPECT_TRUE(detail.contains(QStringLiteral("/pipelines/0/components/0/points/Run_1/position")))
      << detail.toStdString();
  EXPECT_TRUE(detail.contains(QStringLiteral("expected 3 numbers"))) << detail.toStdString();

  // Everything that was open stays, and the view still answers the mouse.
  EXPECT_EQ(window_->openFilePaths().size(), 1);
  EXPECT_EQ(window_->modelTree()->fileCount(), 1);
  EXPECT_TRUE(SelectInView());
}

TEST_F(ViewerWindow, FilesDroppedOnTheViewOpen) {
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
  EXPECT_FALSE(ShownPlant().isNull());
}

TEST_F(ViewerWindow, AFileChangedOnDiskIsReloaded) {
  const kelto::test::TempDir dir;
  const QString path = QString::fromStdString((dir.path() / "spool.json").string());
  QFile source(Example("drain-spool.json"));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  QJsonObject plant = QJsonDocument::fromJson(source.readAll()).object();
  const auto write = [&](const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  };
  write(QJsonDocument(plant).toJson());
  ASSERT_EQ(window_->openFiles({path}), 1);
  const auto componentsShown = [&] { return window_->modelTree()->componentCount(); };
  ASSERT_EQ(componentsShown(), 7);

  // The last component taken out: the model follows.
  QJsonArray pipelines = plant[QStringLiteral("pipelines")].toArray();
  QJsonObject first = pipelines[0].toObject();
  QJsonArray components = first[QStringLiteral("components")].toArray();
  components.removeLast();
  first[QStringLiteral("components")] = components;
  pipelines[0] = first;
  plant[QStringLiteral("pipelines")] = pipelines;
  write(QJsonDocument(plant).toJson());
  EXPECT_TRUE(WaitFor([&] { return componentsShown() == 6; }));

  // Broken on disk: reported, and the last good model stays.
  write("{\"format\": \"kelto-piping\", ");
  EXPECT_TRUE(WaitFor([&] { return window_->errorDialog() && window_->errorDialog()->isVisible(); }));
  EXPECT_EQ(componentsShown(), 6);
  EXPECT_EQ(window_->openFilePaths(), QStringList{path});
}

TEST_F(ViewerWindow, SettingsSurviveARestart) {
  Open("drain-spool.json");
  window_->findChild<QDockWidget*>(QStringLiteral("SelectionDock"))->hide();
  kelto3d::IOptions* options = nullptr;
  ASSERT_GE(window_->viewWidget()->view()->get_GraphicsOptions(&options), 0);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = 75;
  BSTR name = SysAllocString(u"AxesSize");
  ASSERT_GE(options->put_Item(name, v), 0);
  options->Release();
  window_->close();
  window_.reset();

  window_ = std::make_unique<MainWindow>();
  window_->show();
  ASSERT_TRUE(WaitFor([&] { return window_->viewWidget()->hasControl(); }));
  EXPECT_EQ(window_->recentFiles().value(0), Example("drain-spool.json"));
  EXPECT_FALSE(window_->findChild<QDockWidget*>(QStringLiteral("SelectionDock"))->isVisible());
  EXPECT_TRUE(window_->findChild<QDockWidget*>(QStringLiteral("ModelDock"))->isVisible());
  ASSERT_GE(window_->viewWidget()->view()->get_GraphicsOptions(&options), 0);
  VariantInit(&v);
  ASSERT_GE(options->get_Item(name, &v), 0);
  EXPECT_EQ(v.lVal, 75) << "graphics settings from the registry";
  VariantClear(&v);
  SysFreeString(name);
  options->Release();
}

}  // namespace
}  // namespace viewer::test
